// The main window's geometry and the file list's view mode, kept in
// kestrix.ini between runs: read while the window is created, written
// whenever it closes.
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>

#include "app/dialogs.h"
#include "app/form1.h"
#include "app/screen_fit.h"
#include "app/settings.h"
#include "app/settings_location.h"
#include "platform/folders.h"
#include "platform/ini_file.h"

namespace {

constexpr char kSection[] = "Wyglad";
constexpr char kFileName[] = "kestrix.ini";
constexpr int kDesignedClientWidth = 632;
constexpr int kDesignedClientHeight = 507;
constexpr int kMinimumOuterWidth = 640;
constexpr int kMinimumOuterHeight = 541;

std::string& PathOverride() {
    static std::string path;
    return path;
}

// The stored value of a key; nullopt when the key is missing or its value is
// not an integer. readInteger answers its fallback in those cases, so asking
// with two different fallbacks tells a stored value from a fallback.
std::optional<int> ReadStored(const kestrix::platform::IniFile& ini, const char* key) {
    const int first = ini.readInteger(kSection, key, 0);
    const int second = ini.readInteger(kSection, key, 1);
    if (first != second) return std::nullopt;
    return first;
}

// The geometry keys as they were found in the file, in reading order.
struct StoredGeometry {
    std::optional<int> Wys, Szer, PolY, PolX, PodglWys, SzerKol;
};

using KeySource =
    std::function<std::optional<int>(const char* key, std::optional<int> StoredGeometry::*field)>;

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
void SetMinimumOuterSize(TForm1& form, QSize frame, const QRect& available) {
    const QSize minimum = QSize(kMinimumOuterWidth, kMinimumOuterHeight).boundedTo(available.size());
    form.setMinimumSize(std::max(0, minimum.width() - frame.width()),
                        std::max(0, minimum.height() - frame.height()));
}

// The available area of the screen the window opens on.
QRect AvailableArea(const KeySource& read, QSize frame) {
    const QSize designed(kDesignedClientWidth + frame.width(), kDesignedClientHeight + frame.height());
    const QSize size(read("Szer", &StoredGeometry::Szer).value_or(designed.width()),
                     read("Wys", &StoredGeometry::Wys).value_or(designed.height()));
    const std::optional<int> left = read("PolX", &StoredGeometry::PolX);
    const std::optional<int> top = read("PolY", &StoredGeometry::PolY);
    const QScreen* screen = left && top ? kestrix::ui::ScreenUnder(QRect(QPoint(*left, *top), size))
                                        : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), ScreenSize());
}

// Applies the geometry keys one by one, in the file's order; each key that is
// missing takes its default from the state the keys before it left. Sizes are
// outer sizes (frame included); `frame` is the frame known at this moment.
// The window is fitted to the screen it opens on: never larger than the
// screen's available area, and never where its title bar cannot be reached.
void ApplyGeometry(TForm1& form, const KeySource& read, QSize frame) {
    const QRect available = AvailableArea(read, frame);
    SetMinimumOuterSize(form, frame, available);

    const int height =
        std::min(read("Wys", &StoredGeometry::Wys).value_or(kDesignedClientHeight + frame.height()),
                 available.height());
    form.resize(form.width(), height - frame.height());  // the minimum size raises a smaller one
    const int width =
        std::min(read("Szer", &StoredGeometry::Szer).value_or(kDesignedClientWidth + frame.width()),
                 available.width());
    form.resize(width - frame.width(), form.height());

    const QSize outer = form.size() + frame;
    const QSize screen = ScreenSize();
    const int top = read("PolY", &StoredGeometry::PolY).value_or((screen.height() - outer.height()) / 2);
    const int left = read("PolX", &StoredGeometry::PolX).value_or((screen.width() - outer.width()) / 2);
    form.move(kestrix::ui::ReachablePosition(QRect(QPoint(left, top), outer), available));

    LayOutNow(&form);
    form.Splitter2->refresh();  // a hidden splitter spreads its new height only when asked
    const QList<int> sizes = form.Splitter2->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int previewHeight =
        std::max(0, read("PodglWys", &StoredGeometry::PodglWys).value_or(sizes.value(0)));
    form.Splitter2->setSizes({previewHeight, std::max(0, total - previewHeight)});

    LayOutNow(form.Panel1);
    const int columnWidth =
        read("SzerKol", &StoredGeometry::SzerKol).value_or(form.HeaderControl1->width() / 2);
    form.HeaderControl1->resizeSection(0, std::max(0, columnWidth));
}

// Kept by the window from loading until its frame is known. The platform
// reports the frame only once the window is shown (under a window manager a
// moment later still), so the geometry read at creation is applied again then,
// with the real frame, as long as the window still stands where it was put.
class FrameWatch : public QObject {
public:
    FrameWatch(TForm1* form, StoredGeometry stored)
        : QObject(form), form_(form), stored_(stored), frame_(FrameSize(form)) {
        setObjectName(QStringLiteral("FrameWatch"));
        form->installEventFilter(this);
        remember();
    }

    static FrameWatch* of(TForm1* form) {
        for (QObject* child : form->children()) {
            if (auto* watch = dynamic_cast<FrameWatch*>(child)) return watch;
        }
        return nullptr;
    }

    void adjust() {
        if (busy_ || !form_->isVisible()) return;
        const QSize frame = FrameSize(form_);
        if (frame == frame_) return;
        busy_ = true;
        const bool untouched =
            form_->pos() == pos_ && form_->size() == size_ && !form_->isMaximized() && !form_->isFullScreen();
        if (untouched) {
            ApplyGeometry(
                *form_,
                [this](const char*, std::optional<int> StoredGeometry::*field) { return stored_.*field; },
                frame);
        } else if (!form_->isMaximized() && !form_->isFullScreen()) {
            // Moved meanwhile (a window manager places windows too): kept
            // where it stands, only fitted to the screen with the real frame.
            const QRect available = form_->screen()->availableGeometry();
            SetMinimumOuterSize(*form_, frame, available);
            const QSize outer = (form_->size() + frame).boundedTo(available.size());
            form_->resize(outer - frame);
            form_->move(kestrix::ui::ReachablePosition(QRect(form_->pos(), outer), available));
        }
        frame_ = frame;
        remember();
        busy_ = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) adjust();
        return false;
    }

private:
    void remember() {
        pos_ = form_->pos();
        size_ = form_->size();
    }

    TForm1* form_;
    StoredGeometry stored_;
    QSize frame_;  // the frame the geometry was last applied with
    QPoint pos_;   // where the window was put, and its client size
    QSize size_;
    bool busy_ = false;
};

}  // namespace

namespace kestrix::settings {

void SetPathOverride(const std::string& path) { PathOverride() = path; }

}  // namespace kestrix::settings

std::string TForm1::SettingsPath() {
    if (!PathOverride().empty()) return PathOverride();
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!kestrix::settings::IsInstalledCopy(QFile::encodeName(programFolder).toStdString(),
                                            kestrix::settings::InstallFolders())) {
        const std::string beside =
            QFile::encodeName(QDir(programFolder).filePath(QLatin1String(kFileName))).toStdString();
        if (kestrix::platform::Exists(beside) || kestrix::platform::CanWriteFile(beside)) return beside;
    }

    // An installed copy, or one that cannot keep its settings beside the program.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    return QFile::encodeName(QDir(folder).filePath(QLatin1String(kFileName))).toStdString();
}

void TForm1::LoadSettings() {
    const kestrix::platform::IniFile ini(SettingsPath());
    StoredGeometry stored;
    ApplyGeometry(
        *this,
        [&](const char* key, std::optional<int> StoredGeometry::*field) {
            stored.*field = ReadStored(ini, key);
            return stored.*field;
        },
        FrameSize(this));

    const int viewMode = ini.readInteger(kSection, "WyglListy", 0);
    setListViewMode(viewMode);
    ciekaNazwa1->setChecked(viewMode == 0);
    Nazwa1->setChecked(viewMode != 0);

    delete FrameWatch::of(this);
    new FrameWatch(this, stored);
}

void TForm1::AdjustToFrame() {
    if (FrameWatch* watch = FrameWatch::of(this)) watch->adjust();
}

void TForm1::SaveSettings() {
    const std::string path = SettingsPath();
    kestrix::platform::IniFile ini(path);
    const QRect outer = frameGeometry();
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Wys", std::to_string(outer.height())},
        {"Szer", std::to_string(outer.width())},
        {"PolY", std::to_string(outer.y())},
        {"PolX", std::to_string(outer.x())},
        {"PodglWys", std::to_string(Splitter2->sizes().value(0))},
        {"SzerKol", std::to_string(HeaderControl1->sectionSize(0))},
        {"WyglListy", std::to_string(listViewMode())},
    };
    // All seven in one write: the file is read and written once, and a crash
    // leaves it with all of them or none.
    if (!ini.writeStrings(kSection, values)) {
        // The window closes all the same.
        kestrix::ui::showMessage(
            this, QMessageBox::Critical, QApplication::applicationName(),
            QStringLiteral("Unable to write to %1").arg(QFile::decodeName(path.c_str())));
    }
}
