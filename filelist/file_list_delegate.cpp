#include "filelist/file_list_delegate.h"

#include <QFile>
#include <QPainter>

#include "filelist/row_drawing.h"
#include "session/entry_list.h"

using kestrix::ui::DrawFocus;
using kestrix::ui::ListBackground;

const QColor FileListDelegate::SelectionColour(217, 248, 255);
const QColor FileListDelegate::CurrentNameColour(0, 0, 128);
const QColor FileListDelegate::ProposedNameColour(128, 0, 0);
const QColor FileListDelegate::FailingNameColour(255, 0, 0);

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
    const QString current =
        DisplayedName(index.data(kestrix::session::EntryList::CurrentPathRole).toByteArray(), viewMode_);
    painter->drawText(QRect(rect.left() + 2, rect.top() + 1, rect.width() * 64, textHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, current);

    // The right column covers whatever of the current name reaches into it.
    const int split = columnSplit_ ? columnSplit_() : rect.width() / 2;
    QRect right = rect;
    right.setLeft(split - 10);
    painter->fillRect(right, background);
    if (index.data(kestrix::session::EntryList::ConflictRole).toBool()) {
        QFont struck = option.font;
        struck.setStrikeOut(true);
        painter->setFont(struck);
        painter->setPen(FailingNameColour);
    } else {
        painter->setPen(ProposedNameColour);
    }
    const QString proposed =
        DisplayedName(index.data(kestrix::session::EntryList::ProposedPathRole).toByteArray(), viewMode_);
    painter->drawText(QRect(split - 2, rect.top() + 1, rect.width() * 64, textHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, proposed);
    painter->restore();

    DrawFocus(painter, option);
}

QSize FileListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}
