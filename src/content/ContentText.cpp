#include "content/ContentText.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QStringDecoder>

std::vector<QByteArrayView> SplitContentLines(const QByteArray& bytes)
{
    std::vector<QByteArrayView> lines;
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(data + start, i - start);
            i += (c == '\r' && i + 1 < size && data[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < size) lines.emplace_back(data + start, size - start);
    return lines;
}

QByteArrayView TrimBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    while (begin < text.size() && text[begin] == ' ')
        ++begin;
    return TrimTrailingBlanks(text.sliced(begin));
}

QByteArrayView TrimTrailingBlanks(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.first(end);
}

QString DecodeContentText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder windows1252("windows-1252");
    if (windows1252.isValid()) return windows1252(bytes);
    return QString::fromLatin1(bytes);
}

QByteArrayView CutTextField(QByteArrayView text, qsizetype width)
{
    if (text.size() <= width) return text;
    if (!text.isValidUtf8()) return text.first(width);
    qsizetype cut = width;
    while (cut > 0 && (static_cast<uchar>(text[cut]) & 0xC0) == 0x80) // a continuation byte
        --cut;
    return text.first(cut);
}

bool ReadWholeFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!OpenRegularFile(file)) return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}
