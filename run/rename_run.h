#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/list_entry.h"
#include "platform/rename.h"
#include "run/identity_reader.h"
#include "run/journal_format.h"
#include "run/journal_writer.h"
#include "run/outcome_handoff.h"
#include "run/run_planner.h"

namespace kestrix::run {

// The side of a run that the window plays: the entries as the list holds them
// when their turn comes, and what happens after each. Called only on the
// thread that takes the run's outcomes.
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
    virtual bool entriesMayDiffer() { return false; }
    // The run has made its plan what the list holds from here on.
    virtual void listFollowed() {}
    // After each entry, in order.
    virtual void entryDone(std::int64_t index, const EntryOutcome& outcome) = 0;
    // After each take of outcomes (about once per frame): the moment to show them.
    virtual void outcomesTaken() {}
};

struct RunEnd {
    std::int64_t renamed = 0;
    // Entries the run did not reach: it was cancelled, or the list ended early.
    std::int64_t notReached = 0;
    bool cancelled = false;
    // The end could not be recorded (errno), or an item is still under an
    // intermediate name: the journal stays unfinished for the next start.
    int error = 0;
    std::vector<std::string> leftAt;
};

// One run of renames over a plan, in order, never replacing anything, with a
// journal from which a later start can tell where every item is, whatever
// instant the run was cut off at. The renames go on on a thread of their own,
// which owns the run's state and records its end; whoever started the run
// takes the outcomes in order on its own thread (the window's, once a frame),
// through a handoff. A run over the list follows the list: an entry whose
// paths changed between two takes (new options) changes the plan, on disk
// before its rename.
class RenameRun : private platform::RenameSteps {
public:
    // `journalFolder` ends with '/'. With `frameMilliseconds` of 0 every entry
    // waits until its outcome has been taken, and the list may change before
    // the next one begins; otherwise the renames go on ahead.
    explicit RenameRun(std::string journalFolder, int frameMilliseconds = 16);
    ~RenameRun() override;

    // A run over the entries of the list.
    bool beginListRun(const std::vector<ListEntry>& entries);
    // An undo of the newest finished run that can still be taken back;
    // false with ENOENT when there is none.
    bool beginUndoOfLastRun();
    // An undo of the finished run `runId`; false with ENOENT when it is no
    // longer kept, or was taken back.
    bool beginUndoOf(const std::string& runId);
    // A run over a plan: for an undo, `undoes` names the run taken back.
    // Writes the journal's plan; false (nothing may be renamed then) when the
    // journal cannot be written, with the errno in error().
    bool begin(RunKind kind, std::vector<PlanEntry> plan, std::string undoes = std::string());
    int error() const { return error_; }
    RunKind kind() const { return kind_; }
    const std::string& journalPath() const { return writer_.path(); }
    std::int64_t size() const { return static_cast<std::int64_t>(plan_.size()); }
    int frameMilliseconds() const { return static_cast<int>(frame_.count()); }

    // Sets the renames going on their own thread, after begin().
    // `ended`, when given, is called on that thread once the run's end is
    // recorded, so that the taking thread need not wait for its next frame.
    void launch(RunListener& listener, std::function<void()> ended = nullptr);
    // Hands the outcomes that are in to the listener, then outcomesTaken();
    // with frames of 0, waits for the next entry's outcome first, otherwise
    // until `until` at most. True once every outcome has been taken and the
    // run's end recorded (ended() then tells it).
    bool takeOutcomes(RunListener& listener,
                      std::optional<std::chrono::steady_clock::time_point> until = std::nullopt);
    // Stops the run after the entry it is on; the end is recorded as usual.
    void cancel();
    const RunEnd& ended() const { return end_; }
    // The whole run on the calling thread's behalf: launch(), then outcomes
    // taken once a frame until the end, which it returns.
    RunEnd execute(RunListener& listener);

    // The folder renames the run has seen, for following entries that were
    // settled before a folder holding them moved; once the run has ended.
    const FolderMoves& folderMoves() const { return planner_->moves(); }

private:
    int begin(platform::Intermediate kind, const std::string& path) override;
    void end(platform::Intermediate kind, const std::string& path) override;
    bool start(RunKind kind, std::vector<PlanEntry> plan, std::string undoes, bool identify);
    // The renaming thread: every entry, then the end recorded.
    void renameAll();
    // Records the end: a run that renamed nothing leaves no journal; any
    // other joins the history of runs (the oldest beyond its length go), and
    // an undo marks the run it took back as taken back.
    RunEnd finish();
    // Stops the renaming thread without recording the end, and waits for it.
    void abandon();
    // The entries to run as the list stands now.
    std::int64_t entriesToRun(RunListener& listener) const;
    // On the taking thread while the renaming thread waits in a pause (or
    // before it starts): the entries from `first` on that the list changed.
    void collectChanges(std::int64_t first, RunListener& listener);
    // On the renaming thread: the collected changes go into the plan, on disk first.
    void applyChanges();
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
    platform::ItemIdentifier identifier_;

    // Owned by the renaming thread while it runs.
    // The journal could not be written during the run: nothing more is renamed.
    int broken_ = 0;
    std::int64_t index_ = 0;
    std::int64_t renamed_ = 0;
    // The item renamed first, where it was before (for an undo: after) the run.
    std::string firstRenamed_;
    std::vector<std::string> leftAt_;
    // Kept from entry to entry, so that their strings keep their room.
    RunPlanner::Decision decision_;
    EntryOutcome outcome_;
    RunEnd end_;

    // Between the two threads.
    std::unique_ptr<OutcomeHandoff> handoff_;
    std::thread thread_;
    std::exception_ptr failure_;
    std::function<void()> endedCall_;
    std::atomic<bool> cancelled_{false};
    // Set by the taking thread only while the renaming thread waits in a pause.
    std::atomic<std::int64_t> toRun_{0};
    std::vector<std::pair<std::int64_t, PlanEntry>> changes_;

    // Owned by the taking thread.
    std::int64_t next_ = 0;
    bool frameAsked_ = false;
    bool pauseAsked_ = false;
    // A pause came at the end of the last take (frames of 0): the list may
    // change before the run goes on.
    bool pausePending_ = false;
    bool ended_ = false;
    EntryOutcome shown_;
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

}  // namespace kestrix::run
