#include "app/screen_fit.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

namespace kestrix::ui {

namespace {

// Enough of the title bar to grab it: its height, and a stretch of its width.
constexpr int kReachableHeight = 32;
constexpr int kReachableWidth = 100;

}  // namespace

const QScreen* ScreenUnder(const QRect& outer) {
    if (const QScreen* screen = QGuiApplication::screenAt(outer.center())) return screen;
    return QGuiApplication::primaryScreen();
}

QPoint ReachablePosition(const QRect& outer, const QRect& available) {
    const int stretch = std::min(outer.width(), kReachableWidth);
    const bool reachable =
        outer.top() >= available.top() && outer.top() + kReachableHeight <= available.bottom() + 1 &&
        outer.left() + stretch <= available.right() + 1 && outer.right() + 1 - stretch >= available.left();
    if (reachable) return outer.topLeft();
    return {std::clamp(outer.left(), available.left(),
                       std::max(available.left(), available.right() + 1 - outer.width())),
            std::clamp(outer.top(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - outer.height()))};
}

}  // namespace kestrix::ui
