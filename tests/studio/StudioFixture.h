#pragma once
// The studio's main window on a new course in a scratch folder.
#include "course/CourseDocument.h"
#include "content/ContentText.h"
#include "studio/LessonTreeEditor.h"
#include "studio/StudioWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class StudioFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<StudioWindow>();
        course = dir.filePath("course");
        ASSERT_TRUE(window->CreateCourse(course, "Test Course"));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QByteArray PackFile(const QString& name) const
    {
        QByteArray bytes;
        ReadWholeFile(course + "/" + name, bytes);
        return bytes;
    }

    // The problem the window shows, empty when none.
    QString Problem() const
    {
        return window->ProblemBar->isVisible() ? window->ProblemBar->text() : QString();
    }

    QTemporaryDir dir;
    QString course;
    std::unique_ptr<StudioWindow> window;
};
