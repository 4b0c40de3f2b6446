#include "views/CanvasOutput.h"

#include "platform/SaveFile.h"
#include "views/ImageCanvas.h"
#include "views/SvgCanvas.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

bool IsPng(const QString& path)
{
    return path.section('.', -1).compare("png", Qt::CaseInsensitive) == 0;
}

} // namespace

bool ParseCanvasSize(const QString& text, int& width, int& height)
{
    static const QRegularExpression pattern("^([0-9]{1,5})x([0-9]{1,5})$");
    const auto match = pattern.match(text);
    if (!match.hasMatch()) return false;
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return width >= 1 && height >= 1 && width <= MaxCanvasSide && height <= MaxCanvasSide;
}

bool IsCanvasFileName(const QString& path)
{
    return IsPng(path) || path.section('.', -1).compare("svg", Qt::CaseInsensitive) == 0;
}

bool WriteCanvasFile(const QString& path, int width, int height, QColor background,
                     const std::function<void(Canvas&)>& draw)
{
    QByteArray bytes;
    if (IsPng(path)) {
        ImageCanvas canvas(width, height, background);
        draw(canvas);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        canvas.Image().save(&buffer, "PNG");
    } else {
        SvgCanvas canvas(width, height);
        draw(canvas);
        bytes = canvas.Document();
    }
    QSaveFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size() && CommitSaveFile(file);
}
