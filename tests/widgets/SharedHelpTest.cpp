// A shared course's help document is shown without loading anything from
// outside the course folder, and its links go nowhere on their own.
#include "platform/HelpResources.h"
#include "widgets/HelpWindow.h"
#include "support/SyntheticVoice.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void WritePicture(const QString& path)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(path, "PNG");
}

} // namespace

TEST(SharedCourseHelp, OnlyFilesInsideTheCourseFolderAreLoaded)
{
    QTemporaryDir dir;
    const QString course = dir.filePath("course");
    const QString help = course + "/Help";
    QDir().mkpath(help);
    QDir().mkpath(course + "/Sounds");
    WritePicture(help + "/stress.png");
    WritePicture(course + "/Sounds/shared.png");
    WritePicture(dir.filePath("outside.png"));
    QFile::link(dir.filePath("outside.png"), help + "/link.png");

    EXPECT_EQ(AllowedHelpResource(QUrl("stress.png"), help),
              QFileInfo(help + "/stress.png").canonicalFilePath());
    EXPECT_FALSE(AllowedHelpResource(QUrl("../Sounds/shared.png"), help).isEmpty());
    for (const QString& name :
         {QString("../../outside.png"), dir.filePath("outside.png"),
          "file://" + dir.filePath("outside.png"), QString("link.png"),
          QString("http://example.invalid/track.png"), QString("//example.invalid/x.png"),
          QString("missing.png"), QString("")})
        EXPECT_TRUE(AllowedHelpResource(QUrl(name), help).isEmpty()) << name.toStdString();

    EXPECT_EQ(ClassifyHelpLink(QUrl("#1203")), HelpLinkKind::Topic);
    EXPECT_EQ(ClassifyHelpLink(QUrl("https://example.invalid/")), HelpLinkKind::Web);
    EXPECT_EQ(ClassifyHelpLink(QUrl("mailto:teacher@example.invalid")), HelpLinkKind::Web);
    for (const char* link : {"file:///etc/passwd", "other.hlp#3", "javascript:alert(1)",
                             "/usr/bin/xterm", "smb://server/share"})
        EXPECT_EQ(ClassifyHelpLink(QUrl(link)), HelpLinkKind::Ignored) << link;
}

TEST(SharedCourseHelp, TheHelpWindowDrawsOnlyTheCoursesOwnPictures)
{
    QTemporaryDir dir;
    const QString help = dir.filePath("course/Help");
    QDir().mkpath(help);
    WritePicture(help + "/inside.png");
    WritePicture(dir.filePath("outside.png"));
    const QString document =
        QString("<html><body><h2><a name=\"100\"></a>Intro</h2><img src=\"inside.png\">"
                "<img src=\"%1\"><img src=\"../../outside.png\"></body></html>")
            .arg(dir.filePath("outside.png"));
    ASSERT_TRUE(WriteBytes(help + "/TVTutor.hlp", document.toUtf8()));

    HelpWindow& window = HelpWindow::Instance();
    ASSERT_TRUE(window.ShowTopic(help + "/TVTutor.hlp", 100));
    EXPECT_FALSE(window.loadResource(QTextDocument::ImageResource, QUrl("inside.png")).isNull());
    EXPECT_TRUE(window.loadResource(QTextDocument::ImageResource, QUrl(dir.filePath("outside.png")))
                    .isNull());
    EXPECT_TRUE(
        window.loadResource(QTextDocument::ImageResource, QUrl("../../outside.png")).isNull());
    EXPECT_TRUE(
        window.loadResource(QTextDocument::StyleSheetResource, QUrl("http://example.invalid/a.css"))
            .isNull());
    window.Quit();
}
