#include "platform/HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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
    setOpenExternalLinks(false);
    setOpenLinks(true);
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
    const QString html = QString::fromUtf8(help.readAll());
    setSearchPaths({QFileInfo(file).absolutePath()});
    setHtml(html);
    loadedFile = file;
    return true;
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
        scrollToAnchor(QString()), verticalScrollBar()->setValue(0);
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
        const QString html = toHtml();
        // QTextBrowser keeps named anchors as anchor names in the document.
        ok = html.contains(QRegularExpression(QString("name=\"%1\"").arg(anchor)));
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
