#pragma once

#include <cstdint>
#include <functional>

#include "engine/repoint.h"
#include "run/rename_run.h"
#include "session/rename_failures.h"
#include "session/run_progress.h"

namespace kestrix::session {

// The undo's side of a run: what was restored, and what could not be.
class UndoRun : public run::RunListener {
public:
    // `progressed` hears how far the run has come, in whole percent: 0 first,
    // then whenever it changes.
    UndoRun(run::RenameRun& run, std::function<void(int percent)> progressed);

    // Before the run is launched.
    void begin();

    // Every restored item, in the order it was restored: from its new path to its old one.
    const FolderMoves& restored() const { return restored_; }
    const RenameFailures& failures() const { return failures_; }

    void entryDone(std::int64_t index, const run::EntryOutcome& outcome) override;

private:
    std::function<void(int)> progressed_;
    RunProgress progress_;
    FolderMoves restored_;
    RenameFailures failures_;
};

}  // namespace kestrix::session
