#include "filelist/rule_summary_delegate.h"

#include <QPainter>

#include "filelist/row_drawing.h"

using kestrix::ui::DrawFocus;
using kestrix::ui::ListBackground;

const QColor RuleSummaryDelegate::SelectionColour(215, 234, 255);

RuleSummaryDelegate::RuleSummaryDelegate(QObject* parent)
    : QStyledItemDelegate(parent), mark_(QStringLiteral(":/icons/menu-info.svg")) {}

void RuleSummaryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background =
        kestrix::ui::RowBackground(index.row(), selected, ListBackground(option), SelectionColour);
    const QRect rect = option.rect;

    painter->save();
    painter->setFont(option.font);
    painter->fillRect(rect, background);
    mark_.paint(painter, QRect(rect.left() + 2, rect.top() + 1, 16, 16));
    painter->setPen(Qt::black);
    painter->drawText(QRect(rect.left() + 24, rect.top() + 1, rect.width() * 8, rect.height() - 1),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
    painter->restore();

    DrawFocus(painter, option);
}

QSize RuleSummaryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}
