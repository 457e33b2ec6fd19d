#pragma once

#include <functional>

#include <QStyledItemDelegate>

// Rows of a fixed height, each drawn whole by the window that owns the list.
class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    // Draws row `row` into `rect`; `selected` when the row is the chosen one.
    using DrawRow = std::function<void(QPainter* painter, const QRect& rect, int row, bool selected)>;

    OwnerDrawDelegate(int rowHeight, DrawRow drawRow, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int rowHeight_;
    DrawRow drawRow_;
};
