#pragma once
// Showing text and documents that come with a course, which anyone may have
// written. Qt takes any text holding a tag for markup, and markup may name
// pictures, which Qt reads from wherever they point: a category called
// <img src="/dev/zero"> read memory full. Course text is therefore shown as
// plain text, and a course's HTML loads pictures only from its own folder.
#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <QVariant>

class QWidget;

// A tool tip that shows `text` as written, even where it looks like markup.
QString PlainToolTip(const QString& text);

// A message box whose text is shown as written.
QMessageBox::StandardButton ShowPlainMessage(
    QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A resource of a course's HTML, whose help document lies in helpFolder:
// the file's bytes when the name leads inside the course (HelpResources.h),
// read up to a help document's size limit. Any other picture is a blank
// stand-in, never nothing: given nothing, Qt opens the name as a file of its
// own accord, and a named pipe there would hold the screen for good.
QVariant LoadCourseResource(int type, const QUrl& name, const QString& helpFolder);

// The most of a help document, or of one of its pictures, that is read.
inline constexpr qint64 MostHelpBytes = 16 << 20;
