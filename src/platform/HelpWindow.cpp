#include "platform/HelpWindow.h"

#include "platform/HelpDocument.h"
#include "platform/HelpResources.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QUrl>

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
    if (file == loadedFile && !document()->isEmpty())
        return true;
    QFile help(file);
    if (!help.open(QIODevice::ReadOnly)) {
        loadedFile.clear();
        return false;
    }
    loadedHtml = QString::fromUtf8(help.readAll());
    resourceFolder = QFileInfo(file).absolutePath();
    setSearchPaths({resourceFolder});
    setHtml(loadedHtml);
    loadedFile = file;
    return true;
}

QVariant HelpWindow::loadResource(int type, const QUrl& name)
{
    const QString file = AllowedHelpResource(name, resourceFolder);
    if (file.isEmpty())
        return {};
    QFile resource(file);
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = resource.read(16 << 20);
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(bytes);
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
    if (!ok)
        ShowNotFound(file);
    else
        verticalScrollBar()->setValue(0); // the top of the document is its contents
    lastTopic = ok ? QString("contents") : QString();
    show();
    raise();
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
    if (!ok) {
        ShowNotFound(QFileInfo(file).fileName() + " #" + anchor);
        lastTopic.clear();
    } else {
        scrollToAnchor(anchor);
        lastTopic = anchor;
    }
    show();
    raise();
    return ok;
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
