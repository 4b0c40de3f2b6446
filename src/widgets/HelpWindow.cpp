#include "widgets/HelpWindow.h"

#include "content/HelpDocument.h"
#include "platform/HelpResources.h"
#include "platform/RegularFile.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QUrl>

#include <algorithm>

namespace {
// A help document or one of its pictures is far smaller; a file larger
// than this (or a link to an endless device) is read no further.
constexpr qint64 MostHelpBytes = 16 << 20;
} // namespace

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
        loadedFile.clear();
        return false;
    }
    loadedHtml = QString::fromUtf8(help.read(MostHelpBytes));
    resourceFolder = QFileInfo(file).absolutePath();
    setSearchPaths({resourceFolder});
    setHtml(loadedHtml);
    loadedFile = file;
    return true;
}

QVariant HelpWindow::loadResource(int type, const QUrl& name)
{
    const QString file = AllowedHelpResource(name, resourceFolder);
    if (file.isEmpty()) return {};
    QFile resource(file);
    if (!OpenRegularFile(resource)) return {};
    const QByteArray bytes = resource.read(MostHelpBytes);
    if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(bytes);
    return bytes;
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
    setHtml(QString("<h2>Help</h2><p>Topic not found: %1</p>").arg(what.toHtmlEscaped()));
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
