#include "filelist/file_list_view.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

#include "session/entry_list.h"

using kestrix::session::EntryList;

FileListView::FileListView(QWidget* parent) : QListView(parent) {
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QByteArray FileListView::dragToken() const {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this));
}

QMimeData* FileListView::selectionDragData() const {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(EntryList::RowsMimeType), dragToken());
    return data;
}

bool FileListView::isOwnDrag(const QMimeData* data) const {
    return data && data->data(QString::fromLatin1(EntryList::RowsMimeType)) == dragToken();
}

// Only the token travels: the dropped entries are the selected ones.
void FileListView::startDrag(Qt::DropActions) {
    if (!selectionModel()->hasSelection()) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(selectionDragData());
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    if (!isOwnDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    QListView::dragEnterEvent(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    if (!isOwnDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    QListView::dragMoveEvent(event);
}

void FileListView::dropEvent(QDropEvent* event) {
    if (!isOwnDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const int row = dropRow(event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    emit selectionDropped(row);
}

int FileListView::dropRow(const QPoint& position) const {
    const QModelIndex index = indexAt(position);
    if (!index.isValid()) return model()->rowCount();
    return index.row() + (position.y() > visualRect(index).center().y() ? 1 : 0);
}
