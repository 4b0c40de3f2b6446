#include "exercise/StatusDetail.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr int Gap = 3;        // pixels between the panel and its view's edges
constexpr int MaxWidth = 560; // wider panels only spread a short text thinly
constexpr qreal MinPointSize = 6;
constexpr int Padding = 4; // inside the panel's frame, above and below
constexpr int SidePadding = 6;

int BarHeight(const QFontMetricsF& metrics)
{
    return std::max(4, int(std::lround(metrics.height() / 3)));
}
} // namespace

StatusDetail::StatusDetail(Kind detailKind, QWidget* parent) : QWidget(parent), kind(detailKind)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void StatusDetail::SetRecording(double newProgress, double newLevel, bool isWarning,
                                const QString& newText)
{
    progress = std::clamp(newProgress, 0.0, 1.0);
    level = std::clamp(newLevel, 0.0, 1.0);
    warning = isWarning;
    if (newText != text) {
        text = newText;
        setAccessibleDescription(text);
        Refit();
    }
    update();
}

void StatusDetail::Advance()
{
    phase = (phase + 1) % 40;
    update();
}

void StatusDetail::SetText(const QString& newText)
{
    text = newText;
    setAccessibleDescription(text);
    Refit();
    update();
}

void StatusDetail::PlaceAtFootOf(const QRect& area, int height)
{
    view = area;
    room = height;
    Refit();
}

void StatusDetail::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) Refit();
}

QFont StatusDetail::TextFont(qreal pointSize) const
{
    QFont small = font();
    small.setPointSizeF(pointSize);
    return small;
}

int StatusDetail::HeightFor(int width, qreal pointSize) const
{
    const QFontMetricsF metrics(TextFont(pointSize));
    const qreal textWidth = std::max(1, width - 2 * SidePadding);
    const QRectF wrapped = metrics.boundingRect(QRectF(0, 0, textWidth, 1e6), Qt::TextWordWrap,
                                                text.isEmpty() ? "X" : text);
    const int bars = kind == Kind::Recording ? 2 : kind == Kind::Analysing ? 1 : 0;
    return int(std::ceil(wrapped.height())) + bars * (BarHeight(metrics) + 3) + 2 * Padding + 1;
}

void StatusDetail::Refit()
{
    if (view.isEmpty()) return;
    const int width = std::clamp(view.width() - 2 * Gap, 1, MaxWidth);
    const int limit = std::max(1, std::min(room, view.height() - 2 * Gap));
    // The panel's text is a size under the screen's, and smaller still when
    // that is what it takes to show all of it.
    qreal size = std::max(MinPointSize, font().pointSizeF() - 1);
    while (size > MinPointSize && HeightFor(width, size) > limit)
        size -= 0.5;
    textPointSize = size;
    const int height = std::min(HeightFor(width, size), view.height() - 2 * Gap);
    setGeometry(view.left() + (view.width() - width) / 2, view.bottom() - Gap - height + 1, width,
                height);
}

QRectF StatusDetail::TextArea(const QRectF& inner) const
{
    const QFontMetricsF metrics(TextFont(textPointSize));
    const int bars = kind == Kind::Recording ? 2 : kind == Kind::Analysing ? 1 : 0;
    return inner.adjusted(0, bars * (BarHeight(metrics) + 3), 0, 0);
}

bool StatusDetail::TextFitsWhole() const
{
    const QRectF inner = QRectF(rect()).adjusted(SidePadding, Padding, -SidePadding, -Padding);
    const QRectF area = TextArea(inner);
    const QFontMetricsF metrics(TextFont(textPointSize));
    const QRectF needed =
        metrics.boundingRect(QRectF(0, 0, area.width(), 1e6), Qt::TextWordWrap, text);
    return needed.width() <= area.width() + 0.5 && needed.height() <= area.height() + 1;
}

void StatusDetail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(frame, 4, 4);
    const QRectF inner = QRectF(rect()).adjusted(SidePadding, Padding, -SidePadding, -Padding);
    const QFont small = TextFont(textPointSize > 0 ? textPointSize : font().pointSizeF());
    painter.setFont(small);
    const double barHeight = BarHeight(QFontMetricsF(small));
    const QRectF textArea = TextArea(inner);
    const int textFlags = Qt::AlignCenter | Qt::TextWordWrap;

    if (kind == Kind::Reason) {
        painter.setPen(Qt::black);
        painter.drawText(textArea, textFlags, text);
        return;
    }
    QRectF bar(inner.left(), inner.top(), inner.width(), barHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(225, 225, 225));
    painter.drawRoundedRect(bar, 2, 2);
    painter.setBrush(QColor(0, 111, 0));
    if (kind == Kind::Recording) {
        painter.drawRoundedRect(QRectF(bar.left(), bar.top(), bar.width() * progress, barHeight), 2,
                                2);
        QRectF meter(inner.left(), bar.bottom() + 3, inner.width(), barHeight);
        painter.setBrush(QColor(225, 225, 225));
        painter.drawRoundedRect(meter, 2, 2);
        painter.setBrush(warning ? QColor(220, 40, 40) : QColor(60, 170, 60));
        painter.drawRoundedRect(QRectF(meter.left(), meter.top(), meter.width() * level, barHeight),
                                2, 2);
        painter.setPen(warning ? QColor(180, 0, 0) : Qt::black);
        painter.drawText(textArea, textFlags, text);
        return;
    }
    // Analysing: a block sweeping along the bar.
    const double block = inner.width() / 4;
    const double travel = inner.width() - block;
    const double t = phase < 20 ? phase / 19.0 : (39 - phase) / 19.0;
    painter.drawRoundedRect(QRectF(bar.left() + travel * t, bar.top(), block, barHeight), 2, 2);
    painter.setPen(Qt::black);
    painter.drawText(textArea, textFlags, text);
}
