#pragma once

#include <optional>
#include <string>

#include <QObject>
#include <QPoint>
#include <QSize>

class QHeaderView;
class QSplitter;
class QWidget;

// The main window's geometry and the file list's view mode, kept in
// kestrix.ini between runs: read when the window is made, written whenever it
// closes. The window is fitted to the screen it opens on, never larger than
// the screen's available area and never where its title bar cannot be reached.
class WindowSettings : public QObject {
public:
    // The parts of the main window whose sizes the file keeps.
    struct Parts {
        QWidget* window;      // sizes are the outer ones, frame included
        QSplitter* splitter;  // the rule summary above, the file list below
        QWidget* listPanel;   // the file list with its column header
        QHeaderView* header;  // the file list's column header
    };

    // Reads the file and lays the parts out as it says; lives as long as the window.
    explicit WindowSettings(const Parts& parts);

    // The view mode the file holds (0 when it holds none).
    int viewMode() const { return viewMode_; }

    // Once the window is shown, and whenever it moves or resizes until its
    // frame is known: the geometry read at the start is applied again with the
    // real frame, as long as the window still stands where it was put.
    void adjustToFrame();

    // Writes the geometry and `viewMode` in one go; false when the file
    // cannot be written.
    bool save(int viewMode) const;

    // The geometry keys as they were found in the file, in reading order.
    struct Stored {
        std::optional<int> Wys, Szer, PolY, PolX, PodglWys, SzerKol;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remember();

    Parts parts_;
    Stored stored_;
    int viewMode_ = 0;
    QSize frame_;  // the frame the geometry was last applied with
    QPoint pos_;   // where the window was put, and its client size
    QSize size_;
    bool busy_ = false;
};
