#pragma once

#include <vector>

#include "session/entry_list.h"

class QListView;

namespace kestrix::ui {

// For each row of the view's list, whether it is selected.
std::vector<bool> SelectedRows(const QListView& view);

// Puts a selection back as contiguous ranges (one range per run of rows), and
// the focus mark on `current` without touching the selection.
void RestoreSelection(QListView& view, const std::vector<bool>& selected, int current);

// Drops the selection of the rows in `rows`.
void DeselectRows(QListView& view, const kestrix::session::RowRanges& rows);

// Whether the view shows any of the rows in `rows` now.
bool ShowsAnyOf(const QListView& view, const kestrix::session::RowRanges& rows);

}  // namespace kestrix::ui
