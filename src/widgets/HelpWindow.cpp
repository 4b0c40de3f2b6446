#include "widgets/HelpWindow.h"

#include "content/ContentText.h"
#include "content/HelpDocument.h"
#include "platform/HelpResources.h"
#include "platform/RegularFile.h"
#include "widgets/UntrustedText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QUrl>

#include <algorithm>


HelpWindow& HelpWindow::Instance()
{
    static HelpWindow* window = new HelpWindow(); // lives as long as the application
    return *window;
}

HelpWindow::HelpWindow()
{
    setObjectName("HelpWindow");
    setWindowTitle("Tonvale Tutor Help");
    // Links are followed here, never by the browser widget itself: a help
    // document may only move within itself or hand a web address to the
    // system's browser.
    setOpenExternalLinks(false);
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
    resize(560, 480);
}

bool HelpWindow::Load(const QString& file)
{
    if (file == loadedFile && !document()->isEmpty()) return true;
    QFile help(file);
    if (!OpenRegularFile(help)) {
        loadProblem.clear();
        loadedFile.clear();
        return false;
    }
    // Read as the course's other texts are: a hand-written help document
    // may be in Windows-1252, whose accented letters UTF-8 alone would lose.
    QString html = DecodeContentText(help.read(MostHelpBytes));
    if (HelpTablesNestTooDeep(html)) {
        loadedFile.clear();
        loadProblem = "This course's help cannot be shown: its tables lie too many within "
                      "each other.";
        return false;
    }
    loadProblem.clear();
    loadedHtml = std::move(html);
    resourceFolder = QFileInfo(file).absolutePath();
    setSearchPaths({resourceFolder});
    setHtml(loadedHtml);
    loadedFile = file;
    return true;
}

QVariant HelpWindow::loadResource(int type, const QUrl& name)
{
    return LoadCourseResource(type, name, resourceFolder);
}

void HelpWindow::FollowLink(const QUrl& link)
{
    switch (ClassifyHelpLink(link)) {
    case HelpLinkKind::Topic:
        scrollToAnchor(link.fragment());
        break;
    case HelpLinkKind::Web:
        QDesktopServices::openUrl(link);
        break;
    case HelpLinkKind::Ignored:
        break;
    }
}

void HelpWindow::ShowNotFound(const QString& what)
{
    loadedFile.clear();
    const QString why = loadProblem.isEmpty() ? "Topic not found: " + what : loadProblem;
    setHtml(QString("<h2>Help</h2><p>%1</p>").arg(why.toHtmlEscaped()));
}

bool HelpWindow::ShowContents(const QString& file)
{
    const bool ok = Load(file);
    if (!ok) ShowNotFound(file);
    Present();
    if (ok) verticalScrollBar()->setValue(0); // the top of the document is its contents
    setTextCursor(QTextCursor(document()));
    lastTopic = ok ? QString("contents") : QString();
    return ok;
}

bool HelpWindow::ShowTopic(const QString& file, int context)
{
    const QString anchor = QString::number(context);
    bool ok = Load(file);
    if (ok) {
        // Topics are looked up in the document's source: an anchor without
        // text of its own leaves no trace in the rendered document.
        ok = HelpDocumentHasTopic(loadedHtml, context);
    }
    if (!ok) ShowNotFound(QFileInfo(file).fileName() + " #" + anchor);
    // Laid out first: scrolling a window not yet shown puts nothing on top.
    Present();
    if (ok) {
        scrollToAnchor(anchor);
        MarkTopic(anchor);
    }
    lastTopic = ok ? anchor : QString();
    return ok;
}

void HelpWindow::Present()
{
    const bool placed = !isVisible() && nextPlace.isValid();
    if (placed) MoveTo(nextPlace);
    show();
    // Its border is known only once shown: at the first opening the window
    // is fitted again so that it stays where the place ends.
    if (placed && frameGeometry().size() != nextPlace.size()) MoveTo(nextPlace);
    raise();
    // Laid out now, at the viewport's width, so that a topic can be scrolled
    // to the top; the browser's own wrapping keeps the width following the
    // window from then on (a width of the document's own choosing would run
    // lines under the scroll bar).
    if (lineWrapMode() == QTextEdit::WidgetWidth) document()->setTextWidth(viewport()->width());
}

void HelpWindow::MarkTopic(const QString& anchor)
{
    // The anchor has scrolled to the top; its heading is the first text
    // from there, found in the document itself and selected for the eye.
    const QString heading = HelpTopicHeading(loadedHtml, anchor.toInt());
    if (heading.isEmpty()) return;
    const int top = cursorForPosition(QPoint(0, 0)).position();
    QTextCursor found = document()->find(heading, std::max(0, top - 1));
    if (found.isNull()) found = document()->find(heading);
    if (!found.isNull()) setTextCursor(found);
}

QString HelpWindow::MarkedText() const
{
    return textCursor().selectedText();
}

void HelpWindow::TakeKeyboard()
{
    QWidget* focused = QApplication::focusWidget();
    if (focused && focused->window() != this) focusBefore = focused;
    activateWindow();
    setFocus(Qt::ShortcutFocusReason);
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        QTextBrowser::keyPressEvent(event);
        return;
    }
    hide();
    if (focusBefore) {
        focusBefore->window()->activateWindow();
        focusBefore->setFocus(Qt::OtherFocusReason);
    }
    focusBefore = nullptr;
}

void HelpWindow::PlaceAtNextOpening(const QRect& frame)
{
    nextPlace = frame;
}

void HelpWindow::PlaceClearOf(const QRect& frame, const std::vector<QRect>& keepClear)
{
    PlaceAtNextOpening(frame);
    const QRect now = frameGeometry();
    if (isVisible() && frame.isValid() &&
        std::any_of(keepClear.begin(), keepClear.end(),
                    [&](const QRect& clear) { return now.intersects(clear); }))
        MoveTo(frame);
}

void HelpWindow::MoveTo(const QRect& frame)
{
    // The place is the whole frame: the window's own size leaves room for
    // its border and title, so that it ends where the place ends.
    const QSize border = frameGeometry().size() - size();
    resize(frame.size() - border);
    move(frame.topLeft());
}

QRect HelpWindowPlace(const QRect& screenArea, const QRect& tutorFrame, const QRect& nativeViews,
                      const QSize& helpSize)
{
    const int width = std::min(helpSize.width(), screenArea.width());
    const int height = std::min(helpSize.height(), screenArea.height());
    const int top =
        std::clamp(tutorFrame.top(), screenArea.top(), screenArea.bottom() - height + 1);
    if (screenArea.right() - tutorFrame.right() >= width)
        return {tutorFrame.right() + 1, top, width, height};
    if (tutorFrame.left() - screenArea.left() >= width)
        return {tutorFrame.left() - width, top, width, height};
    // No room beside the tutor: below its native views, at the right, as
    // high as the room there allows.
    const int below = screenArea.bottom() - nativeViews.bottom();
    const int fitted = below >= 200 ? std::min(height, below) : height;
    return {screenArea.right() - width + 1, screenArea.bottom() - fitted + 1, width, fitted};
}

void HelpWindow::Quit()
{
    hide();
    lastTopic.clear();
}

bool WinHelp(uintptr_t, const QString& helpFile, int command, int data)
{
    switch (command) {
    case HelpContext:
        return HelpWindow::Instance().ShowTopic(helpFile, data);
    case HelpContents:
        return HelpWindow::Instance().ShowContents(helpFile);
    case HelpQuit:
        HelpWindow::Instance().Quit();
        return true;
    default:
        return false;
    }
}
