#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

namespace kestrix::ui {

// The screen a window with the outer geometry `outer` opens on: the one
// under its centre, else the primary screen.
const QScreen* ScreenUnder(const QRect& outer);

// A position for a window of outer geometry `outer` at which its title bar
// can be reached on `available` (a screen's area without panels): the top
// edge lies within the area, far enough above its bottom for the title bar
// to show, and a stretch of the top edge lies within it sideways. A position
// that allows that stays as it is, even when the window stands partly off
// the screen; any other is moved the least that brings the whole window
// within the area (as far as its size allows).
QPoint ReachablePosition(const QRect& outer, const QRect& available);

}  // namespace kestrix::ui
