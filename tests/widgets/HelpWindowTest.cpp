#include "widgets/HelpWindow.h"
#include "support/TutorFixture.h"

namespace {
class HelpViewer : public TutorFixture
{
};
} // namespace

TEST_F(HelpViewer, ShowsContentsAndNumberedTopics)
{
    const QString file = contentRoot + "/Help/TVTutor.hlp";
    EXPECT_TRUE(WinHelp(0, file, HelpContents, 0));
    EXPECT_TRUE(HelpWindow::Instance().isVisible());
    EXPECT_EQ(HelpWindow::Instance().LastTopicShown(), "contents");
    EXPECT_TRUE(WinHelp(0, file, HelpContext, 1001));
    EXPECT_EQ(HelpWindow::Instance().LastTopicShown(), "1001");
    EXPECT_TRUE(WinHelp(0, file, HelpQuit, 0));
    EXPECT_FALSE(HelpWindow::Instance().isVisible());
}

TEST_F(HelpViewer, MissingTopicOrFileShowsAPlainPageInTheWindow)
{
    const QString file = contentRoot + "/Help/TVTutor.hlp";
    EXPECT_FALSE(WinHelp(0, file, HelpContext, 10)); // 10 is a prefix of 100, not a topic
    EXPECT_TRUE(HelpWindow::Instance().isVisible());
    EXPECT_TRUE(HelpWindow::Instance().toPlainText().contains("Topic not found"));

    EXPECT_FALSE(WinHelp(0, dir.filePath("missing.hlp"), HelpContents, 0));
    EXPECT_TRUE(HelpWindow::Instance().toPlainText().contains("Topic not found"));
    // The real document still loads after a failure.
    EXPECT_TRUE(WinHelp(0, file, HelpContext, 100));
    EXPECT_TRUE(HelpWindow::Instance().toPlainText().contains("Introduction"));
}
