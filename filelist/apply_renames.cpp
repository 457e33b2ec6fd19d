// Applying the renames: every entry of the list, in list order, renamed on
// disk by a journaled run while the gauge shows how far it has come.
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include <QItemSelectionModel>
#include <QListView>
#include <QMessageBox>
#include <QToolButton>

#include "app/dialogs.h"
#include "app/form1.h"
#include "engine/name_transform.h"
#include "filelist/apply_report.h"
#include "filelist/apply_seams.h"
#include "filelist/file_list_model.h"
#include "filelist/journal_texts.h"
#include "filelist/run_window.h"
#include "options/form4.h"
#include "session/journal_store.h"
#include "session/rename_run.h"

namespace {

using kestrix::session::EntryOutcome;
using kestrix::session::Outcome;

bool ReloadAfterApply() { return !Form4 || Form4->ReloadAfterApply(); }

// The list's side of a run: the run reads each entry from the list when its
// turn comes, and the list takes each entry back reloaded from where its item
// is now.
class ApplyWindow : public RunWindow {
public:
    // `ahead` holds the entries the list would take back if every rename
    // went through, made with `aheadWith` while the plan was being synced.
    ApplyWindow(TForm1& form, kestrix::session::RenameRun& run, std::vector<kestrix::ListEntry> ahead,
                kestrix::RenameOptions aheadWith)
        : RunWindow(form, form.fileList()->count()),
          model_(*form.fileList()),
          run_(run),
          ahead_(std::move(ahead)),
          aheadWith_(std::move(aheadWith)) {}

    void run() {
        options_ = form_.CurrentRenameOptions();
        settled_.assign(static_cast<size_t>(model_.count()), kNotReloaded);
        run_.execute(*this);
        end_ = run_.finish();
        announceReloaded();
        if (!ReloadAfterApply()) {
            model_.clear();
            form_.ToolButton4->setEnabled(false);
        } else {
            followLaterFolderRenames();
        }
        end();
    }

    const kestrix::apply::RenameFailures& failures() const { return failures_; }
    const kestrix::session::RunEnd& runEnd() const { return end_; }

    std::int64_t entryCount() override { return model_.count(); }
    const kestrix::ListEntry* entryAt(std::int64_t index) override {
        return &model_.at(static_cast<int>(index));
    }

    void entryDone(std::int64_t index, const EntryOutcome& outcome, bool frameDue) override {
        const bool failed = outcome.outcome == Outcome::Failed;
        if (failed) {
            std::string reason = outcome.reason;
            if (!outcome.leftAt.empty()) reason += " (element jest teraz pod nazwą " + outcome.leftAt + ")";
            failures_.add(outcome.from, outcome.to, reason);
        }
        advance();
        if (frameDue) {
            showReloaded();
            processEvents();
            // The options can change only while events are processed.
            options_ = form_.CurrentRenameOptions();
        }
        const int row = static_cast<int>(index);
        if (ReloadAfterApply() && row < model_.count()) {
            const std::string& now = failed ? outcome.from : outcome.to;
            const size_t at = static_cast<size_t>(row);
            if (at < ahead_.size() && ahead_[at].current == now && options_ == aheadWith_ &&
                model_.count() == static_cast<int>(ahead_.size())) {
                reload(row, std::move(ahead_[at]));
            } else {
                reload(row, kestrix::TransformPath(now, row, model_.count(), options_));
            }
            settled_[at] = run_.folderMoves().size();
        }
    }

private:
    // A list view lays out all its rows again at the next paint after any
    // change signal, which with 100,000 entries costs more than the renames of
    // a frame. So during the run the reloaded entries go into the list
    // quietly and the view is only repainted; the list signals its changes
    // once, at the end. A replaced entry loses its selection.
    void reload(int index, kestrix::ListEntry entry) {
        model_.replaceQuietly(index, std::move(entry));
        if (!unshown_.empty() && unshown_.back().second == index - 1) {
            unshown_.back().second = index;
        } else {
            unshown_.emplace_back(index, index);
        }
    }

    // Before events are processed: the reloaded entries become visible. The
    // list is repainted only where it shows one of them.
    void showReloaded() {
        if (unshown_.empty()) return;
        QListView& list = *form_.ListBox1;
        if (list.selectionModel()->hasSelection()) {
            QItemSelection replaced;
            for (const auto& [first, last] : unshown_)
                replaced.select(model_.index(first), model_.index(last));
            list.selectionModel()->select(replaced, QItemSelectionModel::Deselect);
        }
        const QRect shown = list.viewport()->rect();
        const QModelIndex top = list.indexAt(shown.topLeft());
        const QModelIndex bottom = list.indexAt(shown.bottomLeft());
        const int firstShown = top.isValid() ? top.row() : 0;
        const int lastShown = bottom.isValid() ? bottom.row() : model_.count() - 1;
        for (const auto& [first, last] : unshown_) {
            if (first <= lastShown && last >= firstShown) {
                list.viewport()->update();
                break;
            }
        }
        unshown_.clear();
    }

    void announceReloaded() {
        showReloaded();
        model_.rebuildWhere([this](int row, kestrix::ListEntry&) {
            return static_cast<size_t>(row) < settled_.size() &&
                   settled_[static_cast<size_t>(row)] != kNotReloaded;
        });
    }

    // A reloaded entry is right as of its turn; a folder that holds it may
    // have been renamed by a later entry. Entries that were not reloaded keep
    // the paths they had.
    void followLaterFolderRenames() {
        const kestrix::FolderMoves& moves = run_.folderMoves();
        if (moves.empty()) return;
        model_.rebuildWhere([&](int row, kestrix::ListEntry& entry) {
            if (static_cast<size_t>(row) >= settled_.size() ||
                settled_[static_cast<size_t>(row)] >= moves.size()) {
                return false;
            }
            const size_t since = settled_[static_cast<size_t>(row)];
            std::string current = moves.repoint(entry.current, since);
            if (current == entry.current) return false;
            entry.current = std::move(current);
            entry.proposed = moves.repoint(entry.proposed, since);
            return true;
        });
    }

    FileListModel& model_;
    kestrix::session::RenameRun& run_;
    std::vector<kestrix::ListEntry> ahead_;
    kestrix::RenameOptions aheadWith_;
    kestrix::RenameOptions options_;
    kestrix::apply::RenameFailures failures_;
    kestrix::session::RunEnd end_;
    // For each reloaded entry, how many folder renames had happened when it
    // was reloaded.
    static constexpr size_t kNotReloaded = static_cast<size_t>(-1);
    std::vector<size_t> settled_;
    // Rows reloaded since the view was last told, as ranges.
    std::vector<std::pair<int, int>> unshown_;
};

}  // namespace

void TForm1::ToolButton4Click() {
    if (kestrix::ui::showMessage(this, QMessageBox::Information, QStringLiteral("Pytanie"),
                                 QStringLiteral("Czy zastosować wybrane zmiany dla plików z listy ?"),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    // Nothing is renamed before the run's plan is safely on disk. Meanwhile
    // the entries the list will take back are made ahead, for the likely case
    // that every rename goes through and the options stay as they are.
    const std::string journals = kestrix::session::DefaultJournalFolder();
    kestrix::session::RenameRun run(journals, kestrix::apply::applySeams().frameMilliseconds);
    const kestrix::RenameOptions options = CurrentRenameOptions();
    std::vector<kestrix::ListEntry> ahead;
    const auto makeAhead = [&] {
        if (!ReloadAfterApply()) return;
        const std::vector<kestrix::ListEntry>& entries = fileList_->entries();
        ahead.reserve(entries.size());
        try {
            for (const kestrix::ListEntry& entry : entries) {
                ahead.push_back(kestrix::TransformPath(entry.proposed,
                                                       static_cast<std::int64_t>(ahead.size()),
                                                       static_cast<std::int64_t>(entries.size()), options));
            }
        } catch (const std::exception&) {
            // The options cannot be applied; each entry finds out at its turn, as without this.
            ahead.clear();
        }
    };
    if (!run.beginListRun(fileList_->entries(), makeAhead)) {
        kestrix::ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"),
                                 kestrix::apply::JournalFailureText(journals, run.error()));
        return;
    }
    kestrix::apply::RenameFailures failures;
    {
        ApplyWindow window(*this, run, std::move(ahead), options);
        window.run();
        failures = window.failures();
        const kestrix::session::RunEnd& end = window.runEnd();
        if (end.error != 0 && end.leftAt.empty()) {
            failures.addNote(
                QStringLiteral("Nie udało się zapisać końca dziennika zmian nazw: %1. Przy następnym "
                               "uruchomieniu program zapyta o tę zmianę nazw.")
                    .arg(QString::fromLocal8Bit(std::strerror(end.error))));
        }
    }
    UpdateUndoItem();
    if (!failures.empty()) {
        kestrix::ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"), failures.messageText());
    }
}
