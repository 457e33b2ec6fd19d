#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QAbstractListModel>

#include "engine/list_entry.h"

namespace kestrix::session {

// Rows of the list as ranges, first and last row of each.
using RowRanges = std::vector<std::pair<int, int>>;

// The entries of the file list, in display order. The list is never sorted:
// only appending, moving and removing change positions. Paths stay native
// bytes; a view converts them to text only to draw them.
class EntryList : public QAbstractListModel {
    Q_OBJECT

public:
    enum Roles { CurrentPathRole = Qt::UserRole + 1, ProposedPathRole };

    explicit EntryList(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int count() const { return static_cast<int>(entries_.size()); }
    const ListEntry& at(int row) const { return entries_[static_cast<size_t>(row)]; }
    const std::vector<ListEntry>& entries() const { return entries_; }

    void append(ListEntry entry);
    void append(std::vector<ListEntry> entries);
    // Puts `entry` in place of the entry at `row` (a view's current item and selection stay).
    void replace(int row, ListEntry entry);
    // The same without telling the views; the caller signals the change later.
    void replaceQuietly(int row, ListEntry entry) { entries_[static_cast<size_t>(row)] = std::move(entry); }
    // Offers the entries of rows `first` to `last` to `rebuild`, which changes
    // an entry in place and returns true when it did; the changed rows are
    // signalled in contiguous runs rather than one by one.
    using Rebuild = std::function<bool(int row, ListEntry& entry)>;
    void rebuildRows(int first, int last, const Rebuild& rebuild);
    void rebuildWhere(const Rebuild& rebuild) { rebuildRows(0, count() - 1, rebuild); }
    void swap(int row1, int row2);
    void removeRowsAt(const std::vector<int>& rows);  // ascending, unique
    void setEntries(std::vector<ListEntry> entries);
    void clear();

private:
    std::vector<ListEntry> entries_;
};

}  // namespace kestrix::session
