#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrix::run {

// The journals live in one folder, the per-user state folder unless a caller
// names another: "<run id>.journal" while a run is unfinished (or was cut
// off), "<run id>.done" once it has finished; the finished ones make the
// history of runs (run/run_history.h).
std::string DefaultJournalFolder();

// A new run id: the time in microseconds and a random part, in hexadecimal,
// so that later runs sort after earlier ones.
std::string NewRunId();

std::string UnfinishedJournalPath(const std::string& folder, const std::string& runId);
std::string FinishedJournalPath(const std::string& folder, const std::string& runId);

// Only journals that belong to the user and that no one else may write to, in
// a folder of the same kind, are read or acted on: another user's journal
// could make this user's runs rename what it names.

// Journals of runs that did not finish, newest first, leaving out those a
// running program is still writing.
std::vector<std::string> UnfinishedJournals(const std::string& folder);

// The journal of the newest finished run (an undo's too) not taken back, if one is kept.
std::optional<std::string> LastFinishedJournal(const std::string& folder);

// A journal is made under a private name and renamed into place once locked:
// one left under its private name by a process that ended before holds a
// header at most, and goes.
void RemoveAbandonedJournalStarts(const std::string& folder);

// What is left alone because it is not the user's own: the whole folder, or
// these journals in it.
struct UntrustedJournals {
    bool folder = false;
    std::vector<std::string> journals;
};
UntrustedJournals FindUntrustedJournals(const std::string& folder);

}  // namespace kestrix::run
