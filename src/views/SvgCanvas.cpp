#include "views/SvgCanvas.h"

#include <cmath>

namespace {

QString Colour(QColor colour)
{
    return colour.name(QColor::HexRgb);
}

} // namespace

QString SvgNumber(double value)
{
    if (!std::isfinite(value)) return QStringLiteral("0");
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.')) text.chop(1);
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

SvgCanvas::SvgCanvas(int width, int height) : width(width), height(height) {}

void SvgCanvas::Clear(QColor colour)
{
    elements << QStringLiteral("<rect class=\"clear\" x=\"0\" y=\"0\" width=\"%1\" height=\"%2\" "
                               "fill=\"%3\"/>")
                    .arg(width)
                    .arg(height)
                    .arg(Colour(colour));
}

void SvgCanvas::DrawLine(double x1, double y1, double x2, double y2, QColor colour, int width)
{
    elements << QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" "
                               "stroke-width=\"%6\"/>")
                    .arg(SvgNumber(x1), SvgNumber(y1), SvgNumber(x2), SvgNumber(y2), Colour(colour))
                    .arg(width);
}

void SvgCanvas::DrawRectangle(double x, double y, double w, double h, std::optional<QColor> fill,
                              QColor stroke, int width)
{
    elements << QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\" "
                               "stroke=\"%6\" stroke-width=\"%7\"/>")
                    .arg(SvgNumber(x), SvgNumber(y), SvgNumber(w), SvgNumber(h),
                         fill ? Colour(*fill) : QStringLiteral("none"), Colour(stroke))
                    .arg(width);
}

void SvgCanvas::MaskRectangle(double x, double y, double w, double h, QColor mask)
{
    elements << QStringLiteral("<rect class=\"mask\" x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                               "fill=\"%5\" style=\"mix-blend-mode:multiply\"/>")
                    .arg(SvgNumber(x), SvgNumber(y), SvgNumber(w), SvgNumber(h), Colour(mask));
}

namespace {

// Text as XML may hold it: escaped, and with the characters XML forbids
// (control characters, U+FFFE and U+FFFF), which a content file's texts can
// carry, shown as the replacement character; a parser refuses the whole
// picture for one of them.
QString XmlText(const QString& text)
{
    QString allowed = text;
    for (QChar& c : allowed) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            c = QChar::ReplacementCharacter;
    }
    return allowed.toHtmlEscaped();
}

} // namespace

void SvgCanvas::DrawText(double x, double y, const QString& text, QColor colour, int pixelSize,
                         TextAnchor anchor)
{
    const char* anchorName = anchor == TextAnchor::Middle ? "middle"
                             : anchor == TextAnchor::End  ? "end"
                                                          : "start";
    elements << QStringLiteral("<text x=\"%1\" y=\"%2\" fill=\"%3\" font-size=\"%4\" "
                               "text-anchor=\"%5\">%6</text>")
                    .arg(SvgNumber(x), SvgNumber(y), Colour(colour))
                    .arg(pixelSize)
                    .arg(QLatin1String(anchorName), XmlText(text));
}

QByteArray SvgCanvas::Document() const
{
    QByteArray text = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                     "height=\"%2\" viewBox=\"0 0 %1 %2\">\n")
                          .arg(width)
                          .arg(height)
                          .toUtf8();
    for (const QString& element : elements)
        text += element.toUtf8() + '\n';
    text += "</svg>\n";
    return text;
}
