#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QAbstractListModel>

#include "engine/list_entry.h"
#include "session/run_prediction.h"

namespace kestrix::session {

// Rows of the list as ranges, first and last row of each.
using RowRanges = std::vector<std::pair<int, int>>;

// The entries of the file list, in display order: only appending, moving,
// reordering as a whole (a sort) and removing change positions. Paths stay
// native bytes; a view converts them to text only to draw them. Entries can
// be dragged within a view (as RowsMimeType); nothing else is dropped on them.
class EntryList : public QAbstractListModel {
    Q_OBJECT

public:
    // ConflictRole: whether the entry's rename is predicted to fail (bool).
    enum Roles { CurrentPathRole = Qt::UserRole + 1, ProposedPathRole, ConflictRole };

    // The type of the data a view drags its selected entries with.
    static constexpr const char* RowsMimeType = "application/x-kestrix-rows";

    explicit EntryList(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

    int count() const { return static_cast<int>(entries_->size()); }
    const ListEntry& at(int row) const { return (*entries_)[static_cast<size_t>(row)]; }
    const std::vector<ListEntry>& entries() const { return *entries_; }
    // The entries as they stand now, for another thread: shared, never
    // changed; the list copies them only when it changes while the snapshot
    // is still held.
    std::shared_ptr<const std::vector<ListEntry>> snapshot() const { return entries_; }

    void append(ListEntry entry);
    void append(std::vector<ListEntry> entries);
    // Puts `entry` in place of the entry at `row` (a view's current item and selection stay).
    void replace(int row, ListEntry entry);
    // The same without telling the views; the caller signals the change later.
    void replaceQuietly(int row, ListEntry entry) { own()[static_cast<size_t>(row)] = std::move(entry); }
    // Offers the entries of rows `first` to `last` to `rebuild`, which changes
    // an entry in place and returns true when it did; the changed rows are
    // signalled in contiguous runs rather than one by one.
    using Rebuild = std::function<bool(int row, ListEntry& entry)>;
    void rebuildRows(int first, int last, const Rebuild& rebuild);
    void rebuildWhere(const Rebuild& rebuild) { rebuildRows(0, count() - 1, rebuild); }
    void swap(int row1, int row2);
    // Puts the entry of row `order[i]` at row i, for every row (`order` is a
    // permutation of the rows); marks, a view's selection and current item
    // move with their entries.
    void reorder(const std::vector<std::size_t>& order);
    void removeRowsAt(const std::vector<int>& rows);  // ascending, unique
    void setEntries(std::vector<ListEntry> entries);
    void clear();

    // Each entry's predicted conflict; they move with their entries, and a
    // new entry has none until the next prediction. Setting them signals
    // nothing: whoever sets them repaints.
    const ConflictMark& markAt(int row) const { return marks_[static_cast<size_t>(row)]; }
    void setMarks(std::vector<ConflictMark> marks);

private:
    // The entries, to be changed: a snapshot still held elsewhere keeps the old ones.
    std::vector<ListEntry>& own();

    std::shared_ptr<std::vector<ListEntry>> entries_;
    std::vector<ConflictMark> marks_;  // as many as entries
};

}  // namespace kestrix::session
