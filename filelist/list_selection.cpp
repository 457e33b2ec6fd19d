#include "filelist/list_selection.h"

#include <QItemSelectionModel>
#include <QListView>

namespace kestrix::ui {

std::vector<bool> SelectedRows(const QListView& view) {
    const int count = view.model()->rowCount();
    std::vector<bool> selected(static_cast<size_t>(count), false);
    for (const QModelIndex& index : view.selectionModel()->selectedIndexes()) {
        if (index.row() < count) selected[static_cast<size_t>(index.row())] = true;
    }
    return selected;
}

void RestoreSelection(QListView& view, const std::vector<bool>& selected, int current) {
    QAbstractItemModel* model = view.model();
    QItemSelection selection;
    const int count = static_cast<int>(selected.size());
    for (int row = 0; row < count;) {
        if (!selected[static_cast<size_t>(row)]) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < count && selected[static_cast<size_t>(last + 1)]) ++last;
        selection.select(model->index(row, 0), model->index(last, 0));
        row = last + 1;
    }
    QItemSelectionModel* selectionModel = view.selectionModel();
    if (current >= 0 && current < count) {
        selectionModel->setCurrentIndex(model->index(current, 0), QItemSelectionModel::NoUpdate);
    }
    selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
}

void DeselectRows(QListView& view, const kestrix::session::RowRanges& rows) {
    if (!view.selectionModel()->hasSelection()) return;
    QAbstractItemModel* model = view.model();
    QItemSelection replaced;
    for (const auto& [first, last] : rows) replaced.select(model->index(first, 0), model->index(last, 0));
    view.selectionModel()->select(replaced, QItemSelectionModel::Deselect);
}

bool ShowsAnyOf(const QListView& view, const kestrix::session::RowRanges& rows) {
    const QRect shown = view.viewport()->rect();
    const QModelIndex top = view.indexAt(shown.topLeft());
    const QModelIndex bottom = view.indexAt(shown.bottomLeft());
    const int firstShown = top.isValid() ? top.row() : 0;
    const int lastShown = bottom.isValid() ? bottom.row() : view.model()->rowCount() - 1;
    for (const auto& [first, last] : rows) {
        if (first <= lastShown && last >= firstShown) return true;
    }
    return false;
}

}  // namespace kestrix::ui
