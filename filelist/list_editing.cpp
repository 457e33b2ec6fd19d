// Editing the list: clearing, removing and moving entries, and the view mode.
#include <algorithm>

#include <QAction>
#include <QItemSelectionModel>
#include <QListView>
#include <QToolButton>

#include "app/form1.h"
#include "engine/name_transform.h"
#include "filelist/file_list_model.h"

namespace {

std::vector<bool> SelectedRows(const QListView* view, int count) {
    std::vector<bool> selected(static_cast<size_t>(count), false);
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
        if (index.row() < count) selected[static_cast<size_t>(index.row())] = true;
    }
    return selected;
}

// Puts the selection back as contiguous ranges (one range per run of rows),
// and the focus mark on `current` without touching the selection.
void RestoreSelection(QListView* view, const std::vector<bool>& selected, int current) {
    QAbstractItemModel* model = view->model();
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
    QItemSelectionModel* selectionModel = view->selectionModel();
    if (current >= 0 && current < count) {
        selectionModel->setCurrentIndex(model->index(current, 0), QItemSelectionModel::NoUpdate);
    }
    selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
}

}  // namespace

void TForm1::ToolButton5Click() {
    fileList_->clear();
    ToolButton4->setEnabled(false);
}

void TForm1::Usu1Click() {
    const int count = entryCount();
    const std::vector<bool> selected = SelectedRows(ListBox1, count);
    std::vector<int> rows;
    for (int row = 0; row < count; ++row) {
        if (selected[static_cast<size_t>(row)]) rows.push_back(row);
    }
    if (!rows.empty()) {
        const int firstRemoved = rows.front();
        fileList_->removeRowsAt(rows);
        const kestrix::RenameOptions options = CurrentRenameOptions();
        if (options.numberingInForce()) {
            const int remaining = entryCount();
            fileList_->rebuildWhere([&](int row, kestrix::ListEntry& entry) {
                if (row < firstRemoved) return false;
                kestrix::ListEntry fresh = kestrix::TransformPath(entry.current, row, remaining, kestrix::RenameRules::From(options).value());
                if (fresh.proposed == entry.proposed) return false;
                entry = std::move(fresh);
                return true;
            });
        }
    }
    if (entryCount() == 0) ToolButton4->setEnabled(false);
}

// Moves every selected entry one place towards `step` (-1 up, +1 down). The
// scan starts at the end the entries move towards, so a run of selected
// entries moves as a block; a move with an entry already at that end selected
// is refused as a whole.
static void MoveSelected(TForm1& form, QListView* list, FileListModel* model, int step) {
    const int count = model->count();
    std::vector<bool> selected = SelectedRows(list, count);
    const bool anySelected = std::find(selected.begin(), selected.end(), true) != selected.end();
    const int edge = step < 0 ? 0 : count - 1;
    if (!anySelected || count < 2 || selected[static_cast<size_t>(edge)]) return;

    const kestrix::RenameOptions options = form.CurrentRenameOptions();
    const bool renumber = options.numberingInForce();
    int current = list->currentIndex().isValid() ? list->currentIndex().row() : -1;

    auto moveOne = [&](int i) {
        const int j = i + step;
        model->swap(i, j);
        if (renumber) {
            model->replace(j, kestrix::TransformPath(model->at(j).current, j, count, kestrix::RenameRules::From(options).value()));
            model->replace(i, kestrix::TransformPath(model->at(i).current, i, count, kestrix::RenameRules::From(options).value()));
        }
        // Both exchanged entries lose their mark; the moved one gets it back.
        selected[static_cast<size_t>(i)] = false;
        selected[static_cast<size_t>(j)] = true;
        if (current == i) {
            current = j;
        } else if (current == j) {
            current = i;
        }
    };
    if (step < 0) {
        for (int i = 1; i < count; ++i) {
            if (selected[static_cast<size_t>(i)]) moveOne(i);
        }
    } else {
        for (int i = count - 2; i >= 0; --i) {
            if (selected[static_cast<size_t>(i)]) moveOne(i);
        }
    }
    RestoreSelection(list, selected, current);
}

void TForm1::Przesudogry1Click() { MoveSelected(*this, ListBox1, fileList_, -1); }

void TForm1::Przesuwd1Click() { MoveSelected(*this, ListBox1, fileList_, +1); }

void TForm1::ciekaNazwa1Click() {
    Nazwa1->setChecked(!ciekaNazwa1->isChecked());
    setListViewMode(ciekaNazwa1->isChecked() ? 0 : 1);
}

void TForm1::Nazwa1Click() {
    ciekaNazwa1->setChecked(!Nazwa1->isChecked());
    setListViewMode(Nazwa1->isChecked() ? 1 : 0);
}
