#include "filelist/row_drawing.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionViewItem>

namespace kestrix::ui {

QColor ListBackground(const QStyleOptionViewItem& option) {
    if (const auto* itemView = qobject_cast<const QAbstractItemView*>(option.widget)) {
        return itemView->viewport()->palette().color(QPalette::Base);
    }
    return option.palette.color(QPalette::Base);
}

void DrawFocus(QPainter* painter, const QStyleOptionViewItem& option) {
    if (!(option.state & QStyle::State_HasFocus)) return;
    painter->save();
    QPen pen(Qt::black, 1, Qt::DotLine);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

}  // namespace kestrix::ui
