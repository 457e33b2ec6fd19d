// A window that drags the files named on its command line, the way a file
// manager does: pressing the mouse in it starts a drag carrying their URLs,
// as a "text/uri-list" made from the names' bytes (a name that is not UTF-8
// is sent byte for byte, percent-encoded).
// It reports the drag's progress on standard output, one line per event, so
// the driving script can wait for each step instead of sleeping:
//   ready                  the window is shown
//   drag-started           the drag is under way
//   action <name>          the drop target now offers this action
//   finished <name>        the drag ended here with this action
//   drop-finished          the drop target reported it has done with the
//                          drop (XdndFinished): only then is a file manager
//                          free again
// It stays open after the drop, as the target fetches the dragged data from
// it only then; closing the window ends it.
#include <cstdio>
#include <cstdlib>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include "../support/raw_uri_list.h"

namespace {

const char* ActionName(Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            return "copy";
        case Qt::MoveAction:
            return "move";
        case Qt::LinkAction:
            return "link";
        case Qt::IgnoreAction:
            return "ignore";
        default:
            return "other";
    }
}

void Report(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// Qt returns from QDrag::exec as soon as the drop is sent; the target's
// answer that it has finished comes later, as an XdndFinished message.
class FinishedWatch : public QAbstractNativeEventFilter {
public:
    explicit FinishedWatch(xcb_connection_t* connection) {
        const char name[] = "XdndFinished";
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
        if (reply) finished_ = reply->atom;
        free(reply);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || finished_ == XCB_NONE) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        if (reinterpret_cast<const xcb_client_message_event_t*>(event)->type == finished_)
            Report("drop-finished");
        return false;
    }

private:
    xcb_atom_t finished_ = XCB_NONE;
};

class DragSource : public QWidget {
public:
    explicit DragSource(QByteArray uriList) : uriList_(std::move(uriList)) {
        setWindowTitle(QStringLiteral("Kestrix drag source"));
        setFixedSize(160, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || dragging_) return;
        dragging_ = true;
        auto* mime = new RawUriList(uriList_);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
            Report(QByteArray("action ").append(ActionName(action)).constData());
        });
        Report("drag-started");
        const Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
        Report(QByteArray("finished ").append(ActionName(result)).constData());
    }

    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        QTimer::singleShot(0, this, [] { Report("ready"); });
    }

private:
    QByteArray uriList_;
    bool dragging_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QByteArray uriList;
    for (int i = 1; i < argc; ++i) uriList += "file://" + QByteArray(argv[i]).toPercentEncoding("/") + "\r\n";
    if (uriList.isEmpty()) {
        std::fprintf(stderr, "usage: drag_source ABSOLUTE-PATH...\n");
        return 2;
    }
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) {
        std::fprintf(stderr, "drag_source: needs an X server\n");
        return 2;
    }
    FinishedWatch watch(x11->connection());
    app.installNativeEventFilter(&watch);
    DragSource window(uriList);
    window.move(0, 0);
    window.show();
    return QApplication::exec();
}
