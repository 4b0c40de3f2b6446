#include "support/TutorFixture.h"

#include "app/CommonVar.h"
#include "app/ContentLocation.h"
#include "app/Tutor.h"
#include "platform/HelpWindow.h"
#include "platform/InstanceLock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QWidget>

const QByteArray SampleTree = "Tonvale Tutor\r\n"
                              "*Intro / 10\r\n"
                              "*Stress\r\n"
                              "**Words / 11\r\n"
                              "**Sentences / 12\r\n"
                              "*Rhythm\r\n"
                              "**Twisters / 13\r\n";

const QByteArray SamplePhrases = "11_10.wav;photographer\r\n"
                                 "11_02.wav;photograph\r\n"
                                 "10_01.wav;Hello there.\r\n"
                                 "11_01.wav;  record  \r\n";

void TutorFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    ResetCommonVar();
    contentRoot = dir.filePath("content");
    installRoot = dir.filePath("install");
    QDir().mkpath(contentRoot + "/Sounds");
    QDir().mkpath(contentRoot + "/Help");
    QDir().mkpath(installRoot + "/Data");
    QDir().mkpath(installRoot + "/Bin");
    WriteFile("content/Sounds/Tree.txt", SampleTree);
    WriteFile("content/Sounds/SentList.txt", SamplePhrases);
    WriteFile("content/Help/TVTutor.hlp",
              "<html><body><h1>Contents</h1><a name=\"100\"></a><p>Introduction</p>"
              "<a name=\"1001\"></a><p>Hello</p></body></html>");
    SetEndTutorHandler([this] { ++endCount; });
}

void TutorFixture::TearDown()
{
    CloseAllScreens();
    HelpWindow::Instance().Quit();
    SetEndTutorHandler({});
    ResetCommonVar();
    // The temporary installation goes with the fixture; its lock first.
    ReleaseInstallationLock();
}

void TutorFixture::WriteFile(const QString& relativePath, const QByteArray& bytes)
{
    QFile file(dir.filePath(relativePath));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relativePath.toStdString();
    file.write(bytes);
}

QString TutorFixture::WriteSettings(bool withContentFolder)
{
    QByteArray ini = "[InstallDir]\nInstallDir=" + installRoot.toUtf8() + "\n";
    if (withContentFolder)
        ini += "[InstallCDDrive1331]\nInstallCDDrive1331=" + contentRoot.toUtf8() + "\n";
    static int counter = 0;
    const QString name = QString("settings%1.conf").arg(++counter);
    WriteFile(name, ini);
    return dir.filePath(name);
}

void TutorFixture::UseFolders()
{
    InstallRoot = installRoot;
    ContentRoot = contentRoot;
    SetFolderPaths();
}

QWidget* TutorFixture::VisibleScreen(const char* objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName && widget->isVisible())
            return widget;
    }
    return nullptr;
}

void TutorFixture::CloseAllScreens()
{
    // Leaving screens may open others (the phrase screen brings back the
    // tree), so close until nothing but the help window is left.
    for (int round = 0; round < 5; ++round) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget != &HelpWindow::Instance() && widget->isVisible())
                widget->close();
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != &HelpWindow::Instance())
            delete widget;
    }
}
