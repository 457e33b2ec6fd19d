#include "about/bevel_panel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kBevelLight(255, 255, 255);
const QColor kBevelShadow(160, 160, 160);

// One bevel line around `r`: `topLeft` on the top and left edges, `bottomRight`
// on the bottom and right edges.
void drawBevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(r.left(), r.bottom(), r.left(), r.top());
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.setPen(bottomRight);
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
}

}  // namespace

BevelPanel::BevelPanel(QWidget* parent) : QWidget(parent) {}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    drawBevel(painter, rect(), kBevelLight, kBevelShadow);
    drawBevel(painter, rect().adjusted(1, 1, -1, -1), kBevelShadow, kBevelLight);
}

void BevelPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = true;
    event->accept();
}

void BevelPanel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (rect().contains(event->position().toPoint())) emit clicked();
}
