#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/list_entry.h"
#include "platform/rename.h"
#include "session/identity_reader.h"
#include "session/journal_format.h"
#include "session/journal_writer.h"
#include "session/outcome_handoff.h"
#include "session/run_planner.h"

namespace kestrix::session {

// The side of a run that the window plays: the entries as the list holds them
// when their turn comes, and what happens after each.
class RunListener {
public:
    virtual ~RunListener() = default;
    // How many entries the list holds now (the run ends early when there are
    // fewer than planned); -1 when the run's own plan is all there is.
    virtual std::int64_t entryCount() { return -1; }
    // The entry at `index` as the list holds it now; null to take the plan's.
    virtual const ListEntry* entryAt(std::int64_t /*index*/) { return nullptr; }
    // Whether the entries may differ from the plan by now; a listener that
    // knows its list has not changed since the run began says false, and the
    // run does not compare them.
    virtual bool entriesMayDiffer() { return true; }
    // The run has made its plan what the list holds from here on.
    virtual void listFollowed() {}
    // Whether the list and whatever else entryDone() reads change only while
    // pending events are processed, at a frame: the run then renames on a
    // thread of its own, ahead of entryDone() between frames, and waits for
    // it at each frame. Otherwise each entry waits for the one before.
    virtual bool changesOnlyAtFrames() { return false; }
    // After each entry. `frameDue` comes about once per frame and after the
    // last entry, when the journal has been brought up to date: the moment to
    // process pending events.
    virtual void entryDone(std::int64_t index, const EntryOutcome& outcome, bool frameDue) = 0;
};

struct RunEnd {
    std::int64_t renamed = 0;
    // The end could not be recorded (errno), or an item is still under an
    // intermediate name: the journal stays unfinished for the next start.
    int error = 0;
    std::vector<std::string> leftAt;
};

// One run of renames over a plan, in order, never replacing anything, with a
// journal from which a later start can tell where every item is, whatever
// instant the run was cut off at. A run over the list follows the list:
// an entry whose paths changed while events were processed (new options)
// changes the plan, on disk before its rename.
class RenameRun : private platform::RenameSteps {
public:
    // `journalFolder` ends with '/'; `frameMilliseconds` paces the journal's
    // outcome records and the listener's frames.
    explicit RenameRun(std::string journalFolder, int frameMilliseconds = 16);
    ~RenameRun() override;

    // A run over the entries of the list.
    bool beginListRun(const std::vector<ListEntry>& entries);
    // An undo of the last finished run whose journal is kept in the journal
    // folder; false with ENOENT when there is none.
    bool beginUndoOfLastRun();
    // A run over a plan: for an undo, `undoes` names the run taken back.
    // Writes the journal's plan; false (nothing may be renamed then) when the
    // journal cannot be written, with the errno in error().
    bool begin(RunKind kind, std::vector<PlanEntry> plan, std::string undoes = std::string());
    int error() const { return error_; }
    const std::string& journalPath() const { return writer_.path(); }
    std::int64_t size() const { return static_cast<std::int64_t>(plan_.size()); }

    void execute(RunListener& listener);
    // Records the end: a run that renamed nothing leaves no journal; a run
    // over the list becomes the last finished run (older journals go); an
    // undo removes its own journal and that of the run it took back.
    RunEnd finish();

    // The folder renames the run has seen so far, for following entries that
    // were settled before a folder holding them moved.
    const FolderMoves& folderMoves() const { return planner_->moves(); }

private:
    int begin(platform::Intermediate kind, const std::string& path) override;
    void end(platform::Intermediate kind, const std::string& path) override;
    bool start(RunKind kind, std::vector<PlanEntry> plan, std::string undoes, bool identify);
    void executeInStep(RunListener& listener);
    void executeAhead(RunListener& listener);
    // The entries to run as the list stands now, and the plan following it
    // from `next` on; the list changes only while events are processed.
    std::int64_t entriesToRun(RunListener& listener) const;
    void followList(std::int64_t first, RunListener& listener);
    // Whether the item went from and to the plan's paths (no folder rename
    // of the run moved them).
    bool apply(std::int64_t index, EntryOutcome& outcome);
    // After entry `index`; at a frame the journal is brought up to date and
    // the identity reader woken.
    void entryFinished(std::int64_t index, bool renamed, bool frameDue);

    std::string folder_;
    std::chrono::milliseconds frame_;
    RunKind kind_ = RunKind::Rename;
    std::string runId_;
    std::string undoes_;
    std::vector<PlanEntry> plan_;
    std::unique_ptr<RunPlanner> planner_;
    std::unique_ptr<platform::Renamer> renamer_;
    std::unique_ptr<IdentityReader> identities_;
    JournalWriter writer_;
    int error_ = 0;
    // The journal could not be written during the run: nothing more is renamed.
    int broken_ = 0;
    std::int64_t index_ = 0;
    std::int64_t renamed_ = 0;
    std::vector<std::string> leftAt_;
    // Kept from entry to entry, so that their strings keep their room.
    RunPlanner::Decision decision_;
    EntryOutcome outcome_;
};

// Whether a finished run is kept that undo can take back.
bool UndoAvailable(const std::string& journalFolder);

// The plan that takes back a finished run: its renamed items, last first,
// each from where the run put it back to where it was.
std::vector<PlanEntry> UndoPlan(const JournalContents& finished);

// Where each entry of a run ended, read from a finished journal.
struct RenamedEntry {
    std::int64_t index;
    std::string from;
    std::string to;
};
std::vector<RenamedEntry> RenamedEntries(const JournalContents& contents);

}  // namespace kestrix::session
