#include "folderchooser/owner_draw_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

OwnerDrawDelegate::OwnerDrawDelegate(int rowHeight, DrawRow drawRow, QObject* parent)
    : QStyledItemDelegate(parent), rowHeight_(rowHeight), drawRow_(std::move(drawRow)) {}

void OwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    painter->save();
    drawRow_(painter, option.rect, index.row(), option.state & QStyle::State_Selected);
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(QPalette::Base);
        const QWidget* widget = option.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(0, rowHeight_);
}
