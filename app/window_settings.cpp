#include "app/window_settings.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

#include "app/screen_fit.h"
#include "app/settings_location.h"
#include "platform/ini_file.h"

namespace {

constexpr char kSection[] = "Wyglad";
constexpr int kDesignedClientWidth = 632;
constexpr int kDesignedClientHeight = 507;
constexpr int kMinimumOuterWidth = 640;
constexpr int kMinimumOuterHeight = 541;

using Stored = WindowSettings::Stored;
using Parts = WindowSettings::Parts;

// The stored value of a key; nullopt when the key is missing or its value is
// not an integer. readInteger answers its fallback in those cases, so asking
// with two different fallbacks tells a stored value from a fallback.
std::optional<int> ReadStored(const kestrix::platform::IniFile& ini, const char* key) {
    const int first = ini.readInteger(kSection, key, 0);
    const int second = ini.readInteger(kSection, key, 1);
    if (first != second) return std::nullopt;
    return first;
}

using KeySource = std::function<std::optional<int>(const char* key, std::optional<int> Stored::*field)>;

// Width and height the window frame adds to the client area; nothing until
// the window is shown and the platform reports its frame.
QSize FrameSize(const QWidget* window) { return window->frameGeometry().size() - window->geometry().size(); }

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

// A hidden window lays itself out only when shown; the defaults that depend
// on the size of a child need the layout done now.
void LayOutNow(QWidget* widget) {
    if (QLayout* layout = widget->layout()) {
        layout->invalidate();
        layout->activate();
    }
}

// The smallest outer size, 640 x 541, unless the screen is smaller still.
void SetMinimumOuterSize(QWidget& window, QSize frame, const QRect& available) {
    const QSize minimum = QSize(kMinimumOuterWidth, kMinimumOuterHeight).boundedTo(available.size());
    window.setMinimumSize(std::max(0, minimum.width() - frame.width()),
                          std::max(0, minimum.height() - frame.height()));
}

// The available area of the screen the window opens on.
QRect AvailableArea(const KeySource& read, QSize frame) {
    const QSize designed(kDesignedClientWidth + frame.width(), kDesignedClientHeight + frame.height());
    const QSize size(read("Szer", &Stored::Szer).value_or(designed.width()),
                     read("Wys", &Stored::Wys).value_or(designed.height()));
    const std::optional<int> left = read("PolX", &Stored::PolX);
    const std::optional<int> top = read("PolY", &Stored::PolY);
    const QScreen* screen = left && top ? kestrix::ui::ScreenUnder(QRect(QPoint(*left, *top), size))
                                        : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), ScreenSize());
}

// Applies the geometry keys one by one, in the file's order; each key that is
// missing takes its default from the state the keys before it left. Sizes are
// outer sizes (frame included); `frame` is the frame known at this moment.
void ApplyGeometry(const Parts& parts, const KeySource& read, QSize frame) {
    QWidget& window = *parts.window;
    const QRect available = AvailableArea(read, frame);
    SetMinimumOuterSize(window, frame, available);

    const int height = std::min(read("Wys", &Stored::Wys).value_or(kDesignedClientHeight + frame.height()),
                                available.height());
    window.resize(window.width(), height - frame.height());  // the minimum size raises a smaller one
    const int width = std::min(read("Szer", &Stored::Szer).value_or(kDesignedClientWidth + frame.width()),
                               available.width());
    window.resize(width - frame.width(), window.height());

    const QSize outer = window.size() + frame;
    const QSize screen = ScreenSize();
    const int top = read("PolY", &Stored::PolY).value_or((screen.height() - outer.height()) / 2);
    const int left = read("PolX", &Stored::PolX).value_or((screen.width() - outer.width()) / 2);
    window.move(kestrix::ui::ReachablePosition(QRect(QPoint(left, top), outer), available));

    LayOutNow(&window);
    parts.splitter->refresh();  // a hidden splitter spreads its new height only when asked
    const QList<int> sizes = parts.splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int previewHeight = std::max(0, read("PodglWys", &Stored::PodglWys).value_or(sizes.value(0)));
    parts.splitter->setSizes({previewHeight, std::max(0, total - previewHeight)});

    LayOutNow(parts.listPanel);
    const int columnWidth = read("SzerKol", &Stored::SzerKol).value_or(parts.header->width() / 2);
    parts.header->resizeSection(0, std::max(0, columnWidth));
}

}  // namespace

WindowSettings::WindowSettings(const Parts& parts) : QObject(parts.window), parts_(parts) {
    setObjectName(QStringLiteral("WindowSettings"));
    const kestrix::platform::IniFile ini(kestrix::settings::SettingsPath());
    ApplyGeometry(
        parts_,
        [&](const char* key, std::optional<int> Stored::*field) {
            stored_.*field = ReadStored(ini, key);
            return stored_.*field;
        },
        FrameSize(parts_.window));
    viewMode_ = ini.readInteger(kSection, "WyglListy", 0);
    // The platform reports the frame only once the window is shown (under a
    // window manager a moment later still): until then every move and resize
    // is a chance that it is known.
    frame_ = FrameSize(parts_.window);
    parts_.window->installEventFilter(this);
    remember();
}

void WindowSettings::adjustToFrame() {
    QWidget* window = parts_.window;
    if (busy_ || !window->isVisible()) return;
    const QSize frame = FrameSize(window);
    if (frame == frame_) return;
    busy_ = true;
    const bool untouched =
        window->pos() == pos_ && window->size() == size_ && !window->isMaximized() && !window->isFullScreen();
    if (untouched) {
        ApplyGeometry(
            parts_, [this](const char*, std::optional<int> Stored::*field) { return stored_.*field; }, frame);
    } else if (!window->isMaximized() && !window->isFullScreen()) {
        // Moved meanwhile (a window manager places windows too): kept where it
        // stands, only fitted to the screen with the real frame.
        const QRect available = window->screen()->availableGeometry();
        SetMinimumOuterSize(*window, frame, available);
        const QSize outer = (window->size() + frame).boundedTo(available.size());
        window->resize(outer - frame);
        window->move(kestrix::ui::ReachablePosition(QRect(window->pos(), outer), available));
    }
    frame_ = frame;
    remember();
    busy_ = false;
}

bool WindowSettings::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.window && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        adjustToFrame();
    }
    return false;
}

void WindowSettings::remember() {
    pos_ = parts_.window->pos();
    size_ = parts_.window->size();
}

bool WindowSettings::save(int viewMode) const {
    kestrix::platform::IniFile ini(kestrix::settings::SettingsPath());
    const QRect outer = parts_.window->frameGeometry();
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Wys", std::to_string(outer.height())},
        {"Szer", std::to_string(outer.width())},
        {"PolY", std::to_string(outer.y())},
        {"PolX", std::to_string(outer.x())},
        {"PodglWys", std::to_string(parts_.splitter->sizes().value(0))},
        {"SzerKol", std::to_string(parts_.header->sectionSize(0))},
        {"WyglListy", std::to_string(viewMode)},
    };
    // All seven in one write: the file is read and written once, and a crash
    // leaves it with all of them or none.
    return ini.writeStrings(kSection, values);
}
