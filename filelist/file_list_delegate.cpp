#include "filelist/file_list_delegate.h"

#include <QAbstractItemView>
#include <QFile>
#include <QPainter>

#include "filelist/file_list_model.h"
#include "filelist/row_colours.h"

namespace {

QColor ListBackground(const QStyleOptionViewItem& option) {
    const QWidget* view = option.widget;
    if (const auto* itemView = qobject_cast<const QAbstractItemView*>(view)) {
        return itemView->viewport()->palette().color(QPalette::Base);
    }
    return option.palette.color(QPalette::Base);
}

// The classic dotted focus rectangle around the row that has the keyboard focus.
void DrawFocus(QPainter* painter, const QStyleOptionViewItem& option) {
    if (!(option.state & QStyle::State_HasFocus)) return;
    painter->save();
    QPen pen(Qt::black, 1, Qt::DotLine);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

}  // namespace

const QColor FileListDelegate::SelectionColour(217, 248, 255);
const QColor FileListDelegate::CurrentNameColour(0, 0, 128);
const QColor FileListDelegate::ProposedNameColour(128, 0, 0);

FileListDelegate::FileListDelegate(std::function<int()> columnSplit, QObject* parent)
    : QStyledItemDelegate(parent), columnSplit_(std::move(columnSplit)) {}

QString FileListDelegate::DisplayedName(const QByteArray& path, int viewMode) {
    if (viewMode == 0) return QFile::decodeName(path);
    return QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
}

void FileListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const int row = index.row();
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background =
        kestrix::ui::RowBackground(row, selected, ListBackground(option), SelectionColour);
    const QRect rect = option.rect;

    painter->save();
    painter->setFont(option.font);
    painter->fillRect(rect, background);

    const int textHeight = rect.height() - 1;
    painter->setPen(CurrentNameColour);
    const QString current = DisplayedName(index.data(FileListModel::CurrentPathRole).toByteArray(), viewMode_);
    painter->drawText(QRect(rect.left() + 2, rect.top() + 1, rect.width() * 64, textHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, current);

    // The right column covers whatever of the current name reaches into it.
    const int split = columnSplit_ ? columnSplit_() : rect.width() / 2;
    QRect right = rect;
    right.setLeft(split - 10);
    painter->fillRect(right, background);
    painter->setPen(ProposedNameColour);
    const QString proposed =
        DisplayedName(index.data(FileListModel::ProposedPathRole).toByteArray(), viewMode_);
    painter->drawText(QRect(split - 2, rect.top() + 1, rect.width() * 64, textHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, proposed);
    painter->restore();

    DrawFocus(painter, option);
}

QSize FileListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}

const QColor SummaryDelegate::SelectionColour(215, 234, 255);

SummaryDelegate::SummaryDelegate(QObject* parent)
    : QStyledItemDelegate(parent), mark_(QStringLiteral(":/icons/menu-info.svg")) {}

void SummaryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
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

QSize SummaryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}
