#pragma once

#include <functional>

#include <QStyledItemDelegate>

// Draws one row of the file list: the current name in navy on the left, the
// proposed name in maroon from the header's column split on, over shaded rows.
// A proposed name whose rename is predicted to fail is drawn in red and struck out.
class FileListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int RowHeight = 16;
    static const QColor SelectionColour;  // red 217, green 248, blue 255
    static const QColor CurrentNameColour;
    static const QColor ProposedNameColour;
    static const QColor FailingNameColour;

    // `columnSplit` gives the width of the header's first section at paint time.
    FileListDelegate(std::function<int()> columnSplit, QObject* parent = nullptr);

    // 0 shows full paths, any other value names only.
    void setViewMode(int mode) { viewMode_ = mode; }
    int viewMode() const { return viewMode_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // What a column shows of a path in the given view mode.
    static QString DisplayedName(const QByteArray& path, int viewMode);

private:
    std::function<int()> columnSplit_;
    int viewMode_ = 0;
};
