#include "session/undo_run.h"

#include <utility>

namespace kestrix::session {

UndoRun::UndoRun(run::RenameRun& run, std::function<void(int percent)> progressed)
    : progressed_(std::move(progressed)),
      progress_(run.size()),
      failures_(RenameFailures::Of::UndoneRenames) {}

void UndoRun::begin() { progressed_(0); }

void UndoRun::entryDone(std::int64_t, const run::EntryOutcome& outcome) {
    if (outcome.outcome == run::Outcome::Renamed) {
        restored_.record(outcome.from, outcome.to);
    } else if (outcome.outcome == run::Outcome::Failed) {
        failures_.add(outcome);
    }
    if (progress_.advance()) progressed_(progress_.percent());
}

}  // namespace kestrix::session
