#pragma once
// The tutor's help viewer: one non-modal window that shows the help document
// (an HTML file whose topics are named anchors <a name="N">, N the context
// number; its top is the contents). A missing file or topic shows a plain
// "topic not found" page, never a message box.
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTextBrowser>

#include <vector>

inline constexpr int HelpContext = 1;
inline constexpr int HelpQuit = 2;
inline constexpr int HelpContents = 3;

class HelpWindow : public QTextBrowser
{
    Q_OBJECT
public:
    static HelpWindow& Instance();

    // Shows `file` at its contents or at topic `context`; false when the file
    // or the topic is not there (the window then says so).
    bool ShowContents(const QString& file);
    bool ShowTopic(const QString& file, int context);
    void Quit();

    // Gives the help window the keyboard (F1); Esc then closes it and hands
    // the keyboard back to the control that had it.
    void TakeKeyboard();
    // Where the window appears the next time it opens (it is not moved while
    // the learner has it open).
    void PlaceAtNextOpening(const QRect& frame);
    // The same, and an open window that covers any of `keepClear` goes there
    // at once; one the learner put where it covers none of them stays.
    void PlaceClearOf(const QRect& frame, const std::vector<QRect>& keepClear);

    QString LastTopicShown() const { return lastTopic; }
    // The document is read again at the next request (it was rewritten).
    void ForgetLoadedFile() { loadedFile.clear(); }
    // The text marked as the topic shown (its heading), empty for none.
    QString MarkedText() const;

    // Pictures and style sheets come only from inside the course folder
    // (HelpResources.h); the document is untrusted.
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    HelpWindow();
    bool Load(const QString& file);
    void ShowNotFound(const QString& what);
    void FollowLink(const QUrl& link);
    void Present();
    void MoveTo(const QRect& frame);
    void MarkTopic(const QString& anchor);

    QString loadedFile;
    QString loadedHtml;
    QString lastTopic;
    QString resourceFolder;
    QString loadProblem; // why the document last asked for is not shown
    QPointer<QWidget> focusBefore;
    QRect nextPlace;
};

// Where the help window goes so that it hides none of the native speaker's
// views: beside the tutor's window when the screen has room for it there,
// else (a maximised tutor) over the lower right of the screen, below the
// native views. All rectangles in screen coordinates.
QRect HelpWindowPlace(const QRect& screenArea, const QRect& tutorFrame, const QRect& nativeViews,
                      const QSize& helpSize);

// The help call of the screens: command HelpContext (1), HelpQuit (2) or
// HelpContents (3). Returns true when the request was served.
bool WinHelp(uintptr_t owner, const QString& helpFile, int command, int data);
