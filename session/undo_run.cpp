#include "session/undo_run.h"

#include <utility>

#include "session/apply_seams.h"

namespace kestrix::session {

UndoRun::UndoRun(RenameRun& run, std::function<void(int percent)> progressed)
    : run_(run),
      progressed_(std::move(progressed)),
      progress_(run.size()),
      failures_(RenameFailures::Of::UndoneRenames) {}

void UndoRun::run() {
    progressed_(0);
    run_.execute(*this);
    run_.finish();
}

void UndoRun::entryDone(std::int64_t, const EntryOutcome& outcome, bool frameDue) {
    if (outcome.outcome == Outcome::Renamed) {
        restored_.record(outcome.from, outcome.to);
    } else if (outcome.outcome == Outcome::Failed) {
        failures_.add(outcome.from, outcome.to, outcome.reason);
    }
    if (progress_.advance()) progressed_(progress_.percent());
    if (frameDue) ProcessEventsDuringRun();
}

}  // namespace kestrix::session
