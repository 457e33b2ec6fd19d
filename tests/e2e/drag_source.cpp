// A window that drags the files named on its command line, the way a file
// manager does: pressing the mouse in it starts a drag carrying their URLs.
// It reports the drag's progress on standard output, one line per event, so
// the driving script can wait for each step instead of sleeping:
//   ready                  the window is shown
//   drag-started           the drag is under way
//   action <name>          the drop target now offers this action
//   finished <name>        the drag ended with this action
// It stays open after the drop, as the target fetches the dragged data from
// it only then; closing the window ends it.
#include <cstdio>

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

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

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("Kestrix drag source"));
        setFixedSize(160, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || dragging_) return;
        dragging_ = true;
        auto* mime = new QMimeData;
        mime->setUrls(urls_);
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
    QList<QUrl> urls_;
    bool dragging_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString& path : QApplication::arguments().mid(1)) urls.append(QUrl::fromLocalFile(path));
    if (urls.isEmpty()) {
        std::fprintf(stderr, "usage: drag_source FILE...\n");
        return 2;
    }
    DragSource window(urls);
    window.move(0, 0);
    window.show();
    return QApplication::exec();
}
