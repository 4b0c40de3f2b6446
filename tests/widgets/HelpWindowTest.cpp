#include "widgets/HelpWindow.h"
#include "support/TutorFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QThread>

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A named pipe where the help document should be: opening it waits for a
// writer, which froze the tutor. Here a writer comes if the pipe is opened,
// so a viewer that opens it reads its text and shows it.
TEST_F(HelpViewer, ANamedPipeForTheHelpDocumentIsNotOpened)
{
    const QString pipe = dir.filePath("pipe.hlp");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    std::thread writer([path = QFile::encodeName(pipe)] {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 2000) {
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                const char text[] = "<a name=\"1\"></a><h1>Read from a pipe</h1>";
                [[maybe_unused]] const ssize_t written = ::write(fd, text, sizeof text - 1);
                ::close(fd);
                return;
            }
            QThread::msleep(5);
        }
    });
    EXPECT_FALSE(WinHelp(0, pipe, HelpContents, 0));
    writer.join();
    EXPECT_FALSE(HelpWindow::Instance().toPlainText().contains("Read from a pipe"));
}

// Every line of a topic wraps inside the window, whatever its size: text run
// under the scroll bar is cut off at the right.
TEST_F(HelpViewer, TopicLinesWrapAtTheWindowsWidthAndFollowAResize)
{
    const QString file = dir.filePath("wrap.hlp");
    QByteArray page = "<html><body><h1>Contents</h1>";
    for (int topic = 1; topic <= 30; ++topic)
        page +=
            "<a name=\"" + QByteArray::number(topic) + "\"></a><h2>Topic</h2><p>" +
            QByteArray("Notice how little weight the unstressed syllables carry. ").repeated(8) +
            "</p>";
    WriteFile("wrap.hlp", page + "</body></html>");
    HelpWindow& help = HelpWindow::Instance();
    // A window narrower than the document would choose for itself.
    ASSERT_TRUE(WinHelp(0, file, HelpContents, 0));
    help.resize(400, 480);
    ASSERT_TRUE(WinHelp(0, file, HelpContext, 20));
    EXPECT_GT(help.verticalScrollBar()->value(), 0) << "the topic is scrolled to";
    for (const int width : {400, 360, 520}) {
        help.resize(width, 480);
        QCoreApplication::processEvents();
        const double shown = help.viewport()->width();
        EXPECT_LE(help.document()->size().width(), shown) << "at " << width;
        EXPECT_GT(help.document()->idealWidth(), 0.8 * shown) << "lines use the width";
        ASSERT_TRUE(WinHelp(0, file, HelpContext, 25)) << "another topic, the same width";
        EXPECT_LE(help.document()->size().width(), shown) << "at " << width;
    }
    help.Quit();
}
