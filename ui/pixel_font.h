#pragma once

#include <QFont>
#include <QString>

namespace kestrix::ui {

// A font sized in pixels, so a window keeps its designed geometry at any
// screen resolution; a family missing here falls back through fontconfig.
QFont PixelFont(const QString& family, int pixels, QFont::Weight weight = QFont::Normal);

// "MS Sans Serif" at `pixels`, the face every window's layout was drawn for.
// Where it is missing, Liberation Sans (Arial's metrics) stands in one size
// smaller: at the full size its wider letters would cut captions at the edges
// of their controls, which keep their designed sizes.
QFont DesignedSansFont(int pixels);

}  // namespace kestrix::ui
