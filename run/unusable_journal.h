#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/recovery.h"

namespace kestrix::run {

// A journal of an interrupted run that Recovery does not take.
struct UnusableJournal {
    enum class Kind {
        None,          // held by a running program, gone, or usable after all: nothing to say
        NotOwn,        // not the user's own: left alone
        LaterVersion,  // written by a later version of the program: left alone, neither used nor removed
        Damaged,       // cannot be read whole: set aside, what it leads to settled
    };
    Kind kind = Kind::None;
    std::string path;
    // Damaged: where the journal is kept now (empty when it could not be moved).
    std::string keptAt;
    // Damaged: items put back from a temporary name, intermediates removed.
    std::int64_t settled = 0;
    std::vector<SettleProblem> problems;
};

// A damaged journal is never removed: it is renamed to "<name>.damaged" in
// its folder, kept for the user, and the run it belongs to can no longer be
// taken back or kept as a whole. What its readable part leads to is still
// settled: an item under the run's temporary name (found by the run id in
// the folders the readable plan names) goes back to its old name (or, where
// that is taken, on to its new one), a recorded placeholder or second name
// goes while it still is one, and the run's probes go. Nothing is replaced.
UnusableJournal SettleUnusableJournal(const std::string& folder, const std::string& path);

// Whether a journal whose plan was cut short still has intermediates of its
// run on disk. A run renames nothing before its plan is complete, so such a
// journal was cut afterwards: it is damaged, not torn.
bool CutAfterItsRunBegan(const JournalContents& contents);

}  // namespace kestrix::run
