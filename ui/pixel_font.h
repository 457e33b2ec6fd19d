#pragma once

#include <QFont>
#include <QString>

namespace kestrix::ui {

// A font sized in pixels, so a window keeps its designed geometry at any
// screen resolution; a family missing here falls back through fontconfig.
QFont PixelFont(const QString& family, int pixels, QFont::Weight weight = QFont::Normal);

// "MS Sans Serif" in pixels. It has no metric twin on Linux, so where it is
// missing a face of Arial's metrics stands in and keeps captions within their
// designed widths.
QFont DesignedSansFont(int pixels);

}  // namespace kestrix::ui
