#include "widgets/UntrustedText.h"

#include "platform/HelpResources.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QImage>
#include <QTextDocument>

QString PlainToolTip(const QString& text)
{
    if (!Qt::mightBeRichText(text)) return text;
    QString escaped = text.toHtmlEscaped();
    escaped.replace('\n', "<br>");
    return "<p style=\"white-space:pre\">" + escaped + "</p>";
}

QMessageBox::StandardButton ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QVariant LoadCourseResource(int type, const QUrl& name, const QString& helpFolder)
{
    const QString file = AllowedHelpResource(name, helpFolder);
    QFile resource(file);
    const QByteArray bytes =
        !file.isEmpty() && OpenRegularFile(resource) ? resource.read(MostHelpBytes) : QByteArray();
    if (type == QTextDocument::StyleSheetResource && !bytes.isEmpty())
        return QString::fromUtf8(bytes);
    if (type != QTextDocument::ImageResource) return bytes.isEmpty() ? QVariant() : bytes;
    // Decoded here: bytes that are no picture would also send Qt to the name.
    QImage picture;
    if (picture.loadFromData(bytes)) return picture;
    QImage blank(1, 1, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    return blank;
}
