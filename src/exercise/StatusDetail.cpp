#include "exercise/StatusDetail.h"

#include <QPainter>

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
    text = newText;
    setAccessibleDescription(text);
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
    update();
}

void StatusDetail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(area, 4, 4);
    const QRectF inner = area.adjusted(6, 4, -6, -4);

    QFont small = font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1));
    painter.setFont(small);

    if (kind == Kind::Reason) {
        painter.setPen(Qt::black);
        painter.drawText(inner, Qt::AlignCenter | Qt::TextWordWrap, text);
        return;
    }
    const double barHeight = std::max(4.0, inner.height() / 4);
    QRectF bar(inner.left(), inner.top(), inner.width(), barHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(225, 225, 225));
    painter.drawRoundedRect(bar, 2, 2);
    painter.setBrush(QColor(0, 111, 0));
    if (kind == Kind::Recording) {
        painter.drawRoundedRect(QRectF(bar.left(), bar.top(), bar.width() * progress, barHeight),
                                2, 2);
        QRectF meter(inner.left(), bar.bottom() + 3, inner.width(), barHeight);
        painter.setBrush(QColor(225, 225, 225));
        painter.drawRoundedRect(meter, 2, 2);
        painter.setBrush(warning ? QColor(220, 40, 40) : QColor(60, 170, 60));
        painter.drawRoundedRect(QRectF(meter.left(), meter.top(), meter.width() * level, barHeight),
                                2, 2);
        painter.setPen(warning ? QColor(180, 0, 0) : Qt::black);
        painter.drawText(QRectF(inner.left(), meter.bottom() + 1, inner.width(),
                                inner.bottom() - meter.bottom() - 1),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    // Analysing: a block sweeping along the bar.
    const double block = inner.width() / 4;
    const double travel = inner.width() - block;
    const double t = phase < 20 ? phase / 19.0 : (39 - phase) / 19.0;
    painter.drawRoundedRect(QRectF(bar.left() + travel * t, bar.top(), block, barHeight), 2, 2);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(inner.left(), bar.bottom() + 1, inner.width(),
                            inner.bottom() - bar.bottom() - 1),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
}
