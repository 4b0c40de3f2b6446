#pragma once
// A temporary installation for screen tests: content (Tree.txt, SentList.txt,
// help document), installation folder with Data and Bin, and a settings file
// pointing at them. Resets the shared state and catches the tutor's ending.
#include "support/QtPrinters.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TutorFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteFile(const QString& relativePath, const QByteArray& bytes);
    // Writes the settings file and returns its path.
    QString WriteSettings(bool withContentFolder = true);
    // Sets the folder variables as start-up would.
    void UseFolders();
    // The visible top-level widget of this class name, if any.
    static QWidget* VisibleScreen(const char* objectName);
    static void CloseAllScreens();

    QTemporaryDir dir;
    QString contentRoot;
    QString installRoot;
    int endCount = 0;
};

// A small lesson tree: Root > {Intro (leaf 10), Stress > {Words (11), Sentences (12)}, Rhythm}.
extern const QByteArray SampleTree;
extern const QByteArray SamplePhrases;
