#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QDateTime>
#include <QString>

#include "run/journal_format.h"
#include "run/journal_store.h"
#include "run/recovery.h"
#include "run/run_history.h"
#include "run/unusable_journal.h"

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

// What the history says of a run: its kind ("zmiana nazw", "cofnięcie",
// "odzyskanie" for a run settled at a start after it was cut off), when it
// began ("14:32" on the day of `now`, with the date on another day), where.
QString PastRunKindText(const run::PastRun& run);
QString PastRunTimeText(const run::PastRun& run, const QDateTime& now);
QString PastRunFolderText(const run::PastRun& run);

// A run of renames named for the user: "zmianę nazw 285 plików z 14:32 w folderze …".
QString PastRunText(const run::PastRun& run, const QDateTime& now);

// The question before undo takes `run` back, naming it: "Cofnąć zmianę nazw
// 285 plików z 14:32 w folderze …?"; `ranElsewhere` when another window ran it.
QString UndoQuestion(const run::PastRun& run, bool ranElsewhere, const QDateTime& now);

// Why undo could not take a run back that was offered: it is gone from the history.
QString RunGoneText();

// What a start left alone in the journal folder because it is not the
// user's own (empty when there is nothing).
QString UntrustedJournalsText(const std::string& folder, const run::UntrustedJournals& untrusted);

// What became of a journal of an interrupted run that could not be used
// (empty when there is nothing to say).
QString UnusableJournalText(const run::UnusableJournal& journal);

// The passive note after a run whose every rename succeeded:
// "Zmieniono nazwy 285 plików." (for an undo, the old names restored).
QString RunSucceededNote(run::RunKind kind, std::int64_t renamed);

}  // namespace kestrix::session
