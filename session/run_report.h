#pragma once

#include <cstdint>

#include <QString>

#include "run/journal_format.h"

namespace kestrix::session {

// How a run of renames (or of an undo) ended, in the user's words where words are due.
struct RunReport {
    run::RunKind kind = run::RunKind::Rename;
    // False when the run could not begin (its journal could not be written).
    bool started = false;
    std::int64_t renamed = 0;
    // The user stopped the run: `notReached` entries were left as they were.
    bool cancelled = false;
    std::int64_t notReached = 0;
    // What went wrong, for the "Błąd" box; empty when nothing did.
    QString problems;
    // For a cancelled run: how many items were renamed and how many left.
    QString summary;
    // For a run whose every rename succeeded: the passive note that says so.
    QString succeeded;
};

}  // namespace kestrix::session
