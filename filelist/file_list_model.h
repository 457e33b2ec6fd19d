#pragma once

#include <functional>
#include <vector>

#include <QAbstractListModel>

#include "engine/list_entry.h"

// The entries of the file list, in display order. The list is never sorted:
// only appending, moving and removing change positions. Paths stay native
// bytes; the view converts them to text only to draw them.
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Roles { CurrentPathRole = Qt::UserRole + 1, ProposedPathRole };

    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int count() const { return static_cast<int>(entries_.size()); }
    const kestrix::ListEntry& at(int row) const { return entries_[static_cast<size_t>(row)]; }
    const std::vector<kestrix::ListEntry>& entries() const { return entries_; }

    void append(kestrix::ListEntry entry);
    void append(std::vector<kestrix::ListEntry> entries);
    // Puts `entry` in place of the entry at `row` (the view's current item and selection stay).
    void replace(int row, kestrix::ListEntry entry);
    // The same without telling the views; the caller signals the change later.
    void replaceQuietly(int row, kestrix::ListEntry entry) { entries_[static_cast<size_t>(row)] = std::move(entry); }
    // Replaces every entry for which `rebuild` returns true, signalling the
    // changed rows in contiguous ranges rather than one by one.
    void rebuildWhere(const std::function<bool(int row, kestrix::ListEntry& entry)>& rebuild);
    void swap(int row1, int row2);
    void removeRowsAt(const std::vector<int>& rows);  // ascending, unique
    void setEntries(std::vector<kestrix::ListEntry> entries);
    void clear();

private:
    std::vector<kestrix::ListEntry> entries_;
};
