#pragma once

#include <QColor>

class QPainter;
class QStyleOptionViewItem;

namespace kestrix::ui {

// The shade of a colour: each of red, green and blue lowered by 6, modulo 256.
inline QColor Shade(const QColor& colour) {
    return QColor((colour.red() - 6) & 0xFF, (colour.green() - 6) & 0xFF, (colour.blue() - 6) & 0xFF);
}

// Rows alternate: the first, third, ... row takes the shade, the others the
// colour itself; selected rows use the list's own selection colour instead of
// its base colour.
inline QColor RowBackground(int row, bool selected, const QColor& base, const QColor& selection) {
    const QColor& colour = selected ? selection : base;
    return row % 2 == 0 ? Shade(colour) : colour;
}

// The base colour of the list a row is drawn in.
QColor ListBackground(const QStyleOptionViewItem& option);

// The classic dotted focus rectangle around the row that has the keyboard focus.
void DrawFocus(QPainter* painter, const QStyleOptionViewItem& option);

}  // namespace kestrix::ui
