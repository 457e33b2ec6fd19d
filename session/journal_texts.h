#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "run/journal_format.h"
#include "run/recovery.h"

namespace kestrix::session {

// Why a run did not start: its journal could not be written in `folder`
// (empty when no folder is known), with the errno `error`.
QString JournalFailureText(const std::string& folder, int error);

// The question after a run was cut off: Yes takes it back, No keeps it. For
// an undo cut off, Yes finishes it, No keeps what it restored, and undo stays
// offered for the rest.
QString InterruptedRunQuestion(run::RunKind kind, std::int64_t renamed, std::int64_t entries);

// What could not be put right after an interrupted run, with path and reason.
QString UnsettledText(const std::vector<run::SettleProblem>& problems);

QString UndoQuestion();

// The passive note after a run whose every rename succeeded:
// "Zmieniono nazwy 285 plików." (for an undo, the old names restored).
QString RunSucceededNote(run::RunKind kind, std::int64_t renamed);

}  // namespace kestrix::session
