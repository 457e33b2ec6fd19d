#include "session/entry_list.h"

#include <algorithm>

#include <QFile>

namespace kestrix::session {

EntryList::EntryList(QObject* parent)
    : QAbstractListModel(parent), entries_(std::make_shared<std::vector<ListEntry>>()) {}

std::vector<ListEntry>& EntryList::own() {
    if (entries_.use_count() > 1) entries_ = std::make_shared<std::vector<ListEntry>>(*entries_);
    return *entries_;
}

int EntryList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant EntryList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) return {};
    const ListEntry& entry = at(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return QFile::decodeName(QByteArray::fromStdString(entry.current));
        case Qt::ToolTipRole: {
            QString tip = QFile::decodeName(QByteArray::fromStdString(entry.current)) +
                          QStringLiteral("\n→ ") +
                          QFile::decodeName(QByteArray::fromStdString(entry.proposed));
            const ConflictMark& mark = markAt(index.row());
            if (mark.failing()) {
                tip += QStringLiteral("\nNie uda się zmienić nazwy: ") +
                       QString::fromStdString(ConflictReason(mark, entry));
            }
            return tip;
        }
        case ConflictRole:
            return markAt(index.row()).failing();
        case CurrentPathRole:
            return QByteArray::fromStdString(entry.current);
        case ProposedPathRole:
            return QByteArray::fromStdString(entry.proposed);
        default:
            return {};
    }
}

Qt::ItemFlags EntryList::flags(const QModelIndex& index) const {
    // Dropped entries go between rows, never onto one.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList EntryList::mimeTypes() const { return {QString::fromLatin1(RowsMimeType)}; }

Qt::DropActions EntryList::supportedDropActions() const { return Qt::MoveAction; }

void EntryList::append(ListEntry entry) {
    beginInsertRows({}, count(), count());
    own().push_back(std::move(entry));
    marks_.resize(entries_->size());
    endInsertRows();
}

void EntryList::append(std::vector<ListEntry> entries) {
    if (entries.empty()) return;
    beginInsertRows({}, count(), count() + static_cast<int>(entries.size()) - 1);
    std::vector<ListEntry>& own = this->own();
    if (own.empty()) {
        own = std::move(entries);  // a first adding needs no second array
    } else {
        own.insert(own.end(), std::make_move_iterator(entries.begin()),
                   std::make_move_iterator(entries.end()));
    }
    marks_.resize(own.size());
    endInsertRows();
}

void EntryList::replace(int row, ListEntry entry) {
    own()[static_cast<size_t>(row)] = std::move(entry);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

void EntryList::rebuildRows(int first, int last, const Rebuild& rebuild) {
    first = std::max(first, 0);
    last = std::min(last, count() - 1);
    if (first > last) return;
    std::vector<ListEntry>& entries = own();
    int runStart = -1;
    auto flush = [&](int end) {
        if (runStart >= 0) emit dataChanged(index(runStart), index(end - 1));
        runStart = -1;
    };
    for (int row = first; row <= last; ++row) {
        if (rebuild(row, entries[static_cast<size_t>(row)])) {
            if (runStart < 0) runStart = row;
        } else {
            flush(row);
        }
    }
    flush(last + 1);
}

void EntryList::swap(int row1, int row2) {
    if (row1 == row2) return;
    std::vector<ListEntry>& entries = own();
    std::swap(entries[static_cast<size_t>(row1)], entries[static_cast<size_t>(row2)]);
    std::swap(marks_[static_cast<size_t>(row1)], marks_[static_cast<size_t>(row2)]);
    emit dataChanged(index(std::min(row1, row2)), index(std::max(row1, row2)));
}

void EntryList::reorder(const std::vector<std::size_t>& order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<ListEntry>& current = own();
    auto entries = std::make_shared<std::vector<ListEntry>>(current.size());
    std::vector<ConflictMark> marks(marks_.size());
    std::vector<int> newRow(current.size());
    for (std::size_t row = 0; row < order.size(); ++row) {
        (*entries)[row] = std::move(current[order[row]]);
        marks[row] = marks_[order[row]];
        newRow[order[row]] = static_cast<int>(row);
    }
    entries_ = std::move(entries);
    marks_ = std::move(marks);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) to.append(index(newRow[static_cast<std::size_t>(old.row())]));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EntryList::removeRowsAt(const std::vector<int>& rows) {
    // Many scattered rows: one pass and one reset instead of an erase per run.
    if (rows.size() > 64) {
        beginResetModel();
        std::vector<ListEntry>& entries = own();
        size_t kept = 0;
        size_t next = 0;
        for (size_t row = 0; row < entries.size(); ++row) {
            if (next < rows.size() && static_cast<size_t>(rows[next]) == row) {
                ++next;
                continue;
            }
            if (kept != row) {
                entries[kept] = std::move(entries[row]);
                marks_[kept] = marks_[row];
            }
            ++kept;
        }
        entries.resize(kept);
        marks_.resize(kept);
        endResetModel();
        return;
    }
    // Remove contiguous runs from the end so earlier row numbers stay valid.
    size_t i = rows.size();
    while (i > 0) {
        const int last = rows[i - 1];
        int first = last;
        --i;
        while (i > 0 && rows[i - 1] == first - 1) {
            first = rows[i - 1];
            --i;
        }
        beginRemoveRows({}, first, last);
        std::vector<ListEntry>& entries = own();
        entries.erase(entries.begin() + first, entries.begin() + last + 1);
        marks_.erase(marks_.begin() + first, marks_.begin() + last + 1);
        endRemoveRows();
    }
}

void EntryList::setEntries(std::vector<ListEntry> entries) {
    beginResetModel();
    entries_ = std::make_shared<std::vector<ListEntry>>(std::move(entries));
    marks_.assign(entries_->size(), ConflictMark{});
    endResetModel();
}

void EntryList::clear() { setEntries({}); }

void EntryList::setMarks(std::vector<ConflictMark> marks) {
    marks_ = std::move(marks);
    marks_.resize(entries_->size());
}

}  // namespace kestrix::session
