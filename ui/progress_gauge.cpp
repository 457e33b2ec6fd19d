#include "ui/progress_gauge.h"

#include <algorithm>

#include <QPainter>

ProgressGauge::ProgressGauge(QWidget* parent) : QWidget(parent) {}

void ProgressGauge::setProgress(int value) {
    value = std::clamp(value, 0, 100);
    if (value == progress_) return;
    progress_ = value;
    update();
}

void ProgressGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(inner, Qt::white);
    const int filled = inner.width() * progress_ / 100;
    const QRect bar(inner.left(), inner.top(), filled, inner.height());
    painter.fillRect(bar, Qt::black);
    painter.setPen(Qt::black);
    painter.drawRect(frame);

    // The percentage is black over the white part and white over the bar.
    const QString text = QString::number(progress_) + QLatin1Char('%');
    painter.setClipRect(inner.adjusted(filled, 0, 0, 0));
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(bar);
    painter.setPen(Qt::white);
    painter.drawText(inner, Qt::AlignCenter, text);
}
