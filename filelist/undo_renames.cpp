// Taking the last finished run of renames back, from the list's context menu.
#include <string>

#include <QAction>
#include <QMessageBox>

#include "app/dialogs.h"
#include "app/form1.h"
#include "engine/name_transform.h"
#include "engine/repoint.h"
#include "filelist/apply_report.h"
#include "filelist/apply_seams.h"
#include "filelist/file_list_model.h"
#include "filelist/journal_texts.h"
#include "filelist/run_window.h"
#include "session/journal_store.h"
#include "session/rename_run.h"

namespace {

using kestrix::session::EntryOutcome;
using kestrix::session::Outcome;

// The undo's side of the window: the gauge, and what was restored.
class UndoWindow : public RunWindow {
public:
    UndoWindow(TForm1& form, kestrix::session::RenameRun& run)
        : RunWindow(form, run.size()),
          run_(run),
          failures_(kestrix::apply::RenameFailures::Of::UndoneRenames) {}

    void run() {
        run_.execute(*this);
        run_.finish();
        end();
    }

    void entryDone(std::int64_t, const EntryOutcome& outcome, bool frameDue) override {
        if (outcome.outcome == Outcome::Renamed) {
            restored_.record(outcome.from, outcome.to);
        } else if (outcome.outcome == Outcome::Failed) {
            failures_.add(outcome.from, outcome.to, outcome.reason);
        }
        advance();
        if (frameDue) processEvents();
    }

    // Every restored item, in the order it was restored: from its new path to its old one.
    const kestrix::FolderMoves& restored() const { return restored_; }
    const kestrix::apply::RenameFailures& failures() const { return failures_; }

private:
    kestrix::session::RenameRun& run_;
    kestrix::FolderMoves restored_;
    kestrix::apply::RenameFailures failures_;
};

}  // namespace

void TForm1::UpdateUndoItem() {
    Cofnij1->setEnabled(kestrix::session::UndoAvailable(kestrix::session::DefaultJournalFolder()));
}

void TForm1::Cofnij1Click() {
    const std::string journals = kestrix::session::DefaultJournalFolder();
    if (!kestrix::session::UndoAvailable(journals)) {
        UpdateUndoItem();
        return;
    }
    if (kestrix::ui::showMessage(this, QMessageBox::Information, QStringLiteral("Pytanie"),
                                 kestrix::apply::UndoQuestion(),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    kestrix::session::RenameRun run(journals, kestrix::apply::applySeams().frameMilliseconds);
    if (!run.beginUndoOfLastRun()) {
        kestrix::ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"),
                                 kestrix::apply::JournalFailureText(journals, run.error()));
        UpdateUndoItem();
        return;
    }
    kestrix::apply::RenameFailures failures;
    {
        UndoWindow window(*this, run);
        window.run();
        failures = window.failures();
        // Entries that name a restored item, or one inside a restored folder,
        // name its old path again and propose anew from the options as they stand.
        const kestrix::FolderMoves& restored = window.restored();
        if (!restored.empty()) {
            const kestrix::RenameOptions options = CurrentRenameOptions();
            const int count = fileList_->count();
            fileList_->rebuildWhere([&](int row, kestrix::ListEntry& entry) {
                std::string current = restored.repoint(entry.current, 0, true);
                if (current == entry.current) return false;
                entry = kestrix::TransformPath(current, row, count, kestrix::RenameRules::From(options).value());
                return true;
            });
        }
    }
    UpdateUndoItem();
    if (!failures.empty()) {
        kestrix::ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"), failures.messageText());
    }
}
