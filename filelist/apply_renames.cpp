// Applying the renames: every entry of the list, in list order, renamed on
// disk while the gauge shows how far the run has come.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QListView>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/cgauge.h"
#include "app/dialogs.h"
#include "app/form1.h"
#include "engine/name_transform.h"
#include "engine/repoint.h"
#include "filelist/apply_report.h"
#include "filelist/apply_seams.h"
#include "filelist/file_list_model.h"
#include "options/form4.h"
#include "platform/rename.h"

namespace {

using kestrix::apply::applySeams;

bool ReloadAfterApply() { return !Form4 || Form4->ReloadAfterApply(); }

// Why the proposed path must not be applied, or an empty string. The rules
// only ever change an item's name; a new name that is empty, "." or "..", has
// a '/' or NUL inside or is too long would move the item out of its folder
// or cannot exist.
std::string RefusedReason(const std::string& current, const std::string& proposed) {
    const std::string_view folder = kestrix::FolderPart(current);
    if (std::string_view(proposed).substr(0, folder.size()) != folder) {
        return kestrix::platform::RefusedNameReason("/");
    }
    return kestrix::platform::RefusedNameReason(proposed.substr(folder.size()));
}

// One run over the list. The main window stays disabled and the gauge shown
// for as long as the run lives, even when an error escapes it.
class RenameRun {
public:
    explicit RenameRun(TForm1& form) : form_(form), model_(*form.fileList()) {
        // Disabling the main window disables its child windows too; the
        // options window stays usable during a run.
        const bool optionsEnabled = Form4 && Form4->isEnabled();
        form_.setEnabled(false);
        if (optionsEnabled && Form4->isWindow()) Form4->setEnabled(true);
        form_.CGauge1->show();
        setGauge(0);
    }

    ~RenameRun() {
        form_.setEnabled(true);
        form_.CGauge1->hide();
    }

    void run() {
        const int count = model_.count();
        const double step = 100.0 / count;
        double sum = 0.0;
        options_ = form_.CurrentRenameOptions();
        settled_.assign(static_cast<size_t>(count), kNotReloaded);
        for (const kestrix::ListEntry& entry : model_.entries()) holding_.addParentsOf(entry.current);
        sinceEvents_.start();

        for (int index = 0; index < count && index < model_.count(); ++index) {
            const bool failed = applyEntry(index);
            sum += step;
            setGauge(static_cast<int>(sum));
            const bool last = index == count - 1;
            if (last || sinceEvents_.elapsed() >= applySeams().frameMilliseconds) {
                showReloaded();
                processEvents();
                // The options can change only while events are processed.
                options_ = form_.CurrentRenameOptions();
            }
            if (ReloadAfterApply() && index < model_.count()) {
                reload(index, kestrix::TransformPath(failed ? current_ : proposed_, index, model_.count(),
                                                     options_));
                settled_[static_cast<size_t>(index)] = moves_.size();
            }
        }
        announceReloaded();
        if (!ReloadAfterApply()) {
            model_.clear();
            form_.ToolButton4->setEnabled(false);
        } else {
            followLaterFolderRenames();
        }
        form_.setEnabled(true);
        setGauge(100);
        processEvents();
        form_.CGauge1->hide();
        processEvents();
    }

    const kestrix::apply::RenameFailures& failures() const { return failures_; }

private:
    // Renames the item of the entry at `index` if its paths differ; true when
    // that was needed and could not be done.
    bool applyEntry(int index) {
        const kestrix::ListEntry& entry = model_.at(index);
        // Only a folder that holds other entries' items can move them.
        const bool holdsOthers = holding_.contains(entry.current);
        // An earlier entry may have renamed a folder that holds this one.
        current_ = moves_.repoint(entry.current);
        proposed_ = moves_.repoint(entry.proposed);
        if (current_ == proposed_) return false;

        std::string reason = RefusedReason(current_, proposed_);
        if (reason.empty()) {
            const kestrix::platform::RenameResult result =
                kestrix::platform::RenameNoReplace(current_, proposed_);
            if (result.ok) {
                if (holdsOthers) moves_.record(current_, proposed_);
                return false;
            }
            reason = result.reason.empty() ? "błąd " + std::to_string(result.error) : result.reason;
        }
        failures_.add(current_, proposed_, reason);
        return true;
    }

    // A list view lays out all its rows again at the next paint after any
    // change signal, which with 100,000 entries costs more than the renames of
    // a frame. So during the run the reloaded entries go into the list
    // quietly and the view is only repainted; the list signals its changes
    // once, at the end. A replaced entry loses its selection.
    void reload(int index, kestrix::ListEntry entry) {
        {
            const QSignalBlocker quiet(&model_);
            model_.replace(index, std::move(entry));
        }
        if (!unshown_.empty() && unshown_.back().second == index - 1) {
            unshown_.back().second = index;
        } else {
            unshown_.emplace_back(index, index);
        }
    }

    // Before events are processed: the reloaded entries become visible.
    void showReloaded() {
        if (unshown_.empty()) return;
        QItemSelection replaced;
        for (const auto& [first, last] : unshown_) replaced.select(model_.index(first), model_.index(last));
        form_.ListBox1->selectionModel()->select(replaced, QItemSelectionModel::Deselect);
        form_.ListBox1->viewport()->update();
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
        if (moves_.empty()) return;
        model_.rebuildWhere([this](int row, kestrix::ListEntry& entry) {
            if (static_cast<size_t>(row) >= settled_.size() ||
                settled_[static_cast<size_t>(row)] >= moves_.size()) {
                return false;
            }
            const size_t since = settled_[static_cast<size_t>(row)];
            std::string current = moves_.repoint(entry.current, since);
            if (current == entry.current) return false;
            entry.current = std::move(current);
            entry.proposed = moves_.repoint(entry.proposed, since);
            return true;
        });
    }

    void setGauge(int value) {
        form_.CGauge1->setProgress(value);
        if (applySeams().gaugeSet) applySeams().gaugeSet(value);
    }

    void processEvents() {
        QCoreApplication::processEvents();
        sinceEvents_.restart();
        if (applySeams().eventsProcessed) applySeams().eventsProcessed();
    }

    TForm1& form_;
    FileListModel& model_;
    kestrix::RenameOptions options_;
    kestrix::HoldingFolders holding_;
    kestrix::FolderMoves moves_;
    kestrix::apply::RenameFailures failures_;
    QElapsedTimer sinceEvents_;
    std::string current_;
    std::string proposed_;
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
    kestrix::apply::RenameFailures failures;
    {
        RenameRun run(*this);
        run.run();
        failures = run.failures();
    }
    if (failures.count() > 0) {
        kestrix::ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"), failures.messageText());
    }
}
