#include "options/sunken_panel.h"

#include <QPainter>

namespace {

// Light on the top and left edges and dark on the bottom and right ones reads
// as raised; swapping the two reads as lowered.
void DrawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

}  // namespace

SunkenPanel::SunkenPanel(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void SunkenPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QRect outer = rect();
    DrawBevel(painter, outer, dark, light);
    DrawBevel(painter, outer.adjusted(1, 1, -1, -1), light, dark);
}
