#pragma once

#include <QListView>

class QMimeData;

// The file list's view. Its selected entries can be dragged to another place
// in the list, which the view announces and leaves to its owner; anything
// dragged in from elsewhere (items from another program) is left to the
// widgets around it.
class FileListView : public QListView {
    Q_OBJECT

public:
    explicit FileListView(QWidget* parent = nullptr);

    // The data a drag of the selected entries carries; it names this view, so
    // that no other view or program takes it for its own.
    QMimeData* selectionDragData() const;

signals:
    // The selected entries were dropped to stand before the entry of `row`
    // (the row count: after the last entry).
    void selectionDropped(int row);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool isOwnDrag(const QMimeData* data) const;
    QByteArray dragToken() const;
    // The row a drop at `position` (in the viewport) goes before.
    int dropRow(const QPoint& position) const;
};
