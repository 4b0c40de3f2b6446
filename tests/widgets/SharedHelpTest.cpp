// A shared course's help document is shown without loading anything from
// outside the course folder, and its links go nowhere on their own.
#include "platform/HelpResources.h"
#include "widgets/HelpWindow.h"
#include "widgets/UntrustedText.h"
#include "support/SyntheticVoice.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextDocument>
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

// Tool tips quote course texts: one that looks like markup is shown as
// written, and one that does not is left as it is.
TEST(SharedCourseHelp, ToolTipsShowCourseTextAsWritten)
{
    for (const QString& text : {QString("<img src=\"/dev/zero\"> & <b>re</b>cord"),
                                QString("<p>Score 80 of 100.</p>")}) {
        QTextDocument shown;
        shown.setHtml(PlainToolTip(text));
        EXPECT_EQ(shown.toPlainText(), text) << text.toStdString();
    }
    EXPECT_EQ(PlainToolTip("Score 80 of 100.\nSay it again."), "Score 80 of 100.\nSay it again.");
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
    const auto shown = [&window](const QString& name) {
        return window.document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
    };
    EXPECT_EQ(shown("inside.png").size(), QSize(4, 4));
    // A picture refused is a blank stand-in, never nothing: given nothing,
    // Qt opens the name itself, and a named pipe there held the window.
    for (const QString& name : {dir.filePath("outside.png"), QString("../../outside.png")}) {
        EXPECT_EQ(shown(name).size(), QSize(1, 1)) << name.toStdString();
        EXPECT_EQ(window.loadResource(QTextDocument::ImageResource, QUrl(name))
                      .value<QImage>()
                      .size(),
                  QSize(1, 1))
            << name.toStdString();
    }
    EXPECT_TRUE(
        window.loadResource(QTextDocument::StyleSheetResource, QUrl("http://example.invalid/a.css"))
            .isNull());
    window.Quit();
}

// Qt lays out tables within tables in a time that doubles with each level:
// a kilobyte of them in a shared course's help held the tutor for good.
TEST(SharedCourseHelp, TablesWithinTablesTooDeepAreNotLaidOut)
{
    const auto nested = [](int levels, const QString& open) {
        return open.repeated(levels) + "x" + QString("</td></tr></table>").repeated(levels);
    };
    EXPECT_FALSE(HelpTablesNestTooDeep(nested(MostHelpTableNesting, "<table><tr><td>")));
    EXPECT_FALSE(HelpTablesNestTooDeep(nested(1, "<table><tr><td>").repeated(50)));
    EXPECT_TRUE(HelpTablesNestTooDeep(nested(MostHelpTableNesting + 1, "<TABLE border=1><tr><td>")));
    EXPECT_TRUE(HelpTablesNestTooDeep(QString("<table><tr><td>").repeated(12)));

    QTemporaryDir dir;
    const QString help = dir.filePath("course/Help");
    QDir().mkpath(help);
    const QString document = "<html><body><h2><a name=\"100\"></a>Intro</h2>" +
                             nested(12, "<table><tr><td>") + "</body></html>";
    ASSERT_TRUE(WriteBytes(help + "/TVTutor.hlp", document.toUtf8()));
    HelpWindow& window = HelpWindow::Instance();
    EXPECT_FALSE(window.ShowTopic(help + "/TVTutor.hlp", 100));
    EXPECT_TRUE(window.toPlainText().contains("cannot be shown")) << window.toPlainText().toStdString();
    window.Quit();
}

// A hand-written help document in Windows-1252 keeps its accented letters,
// as the course's lists and the studio read them.
TEST(SharedCourseHelp, AHelpDocumentInWindows1252IsReadAsWritten)
{
    QTemporaryDir dir;
    const QString help = dir.filePath("course/Help");
    QDir().mkpath(help);
    ASSERT_TRUE(WriteBytes(help + "/TVTutor.hlp",
                           "<html><body><h2><a name=\"100\"></a>Le caf\xE9</h2></body></html>"));
    HelpWindow& window = HelpWindow::Instance();
    ASSERT_TRUE(window.ShowTopic(help + "/TVTutor.hlp", 100));
    EXPECT_TRUE(window.toPlainText().contains(QString::fromUtf8("Le café")))
        << window.toPlainText().toStdString();
    window.Quit();
}
