#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/journal_format.h"

namespace kestrix::run {

// The history of runs: the journals of the last finished runs of the user,
// whichever process ran them, "<run id>.done" while a run of renames can be
// taken back, "<run id>.undone" once it was (by an undo, or by the start that
// settled it after a crash). Older journals are removed.
inline constexpr std::size_t kHistoryLength = 20;

// A finished run as the history shows it.
struct PastRun {
    std::string runId;
    RunKind kind = RunKind::Rename;
    // When the run began, in microseconds since the epoch.
    std::int64_t startedMicros = 0;
    std::int64_t items = 0;   // renamed (by an undo: restored)
    std::string firstFolder;  // where the first of them was, without a trailing '/'
    bool recovered = false;   // finished by a start after it was cut off
    bool takenBack = false;
    std::string process;  // who ran it (platform::ProcessToken), empty when not known

    // Undo takes back runs of renames, each once.
    bool canTakeBack() const { return kind == RunKind::Rename && !takenBack; }
};

std::string TakenBackJournalPath(const std::string& folder, const std::string& runId);

// The kept runs, newest first. Reads the two ends of each journal only; a
// journal written before runs had a summary is read whole.
std::vector<PastRun> RunHistory(const std::string& folder);
// The newest run that undo can take back.
std::optional<PastRun> NewestRunToTakeBack(const std::string& folder);
// The finished run `runId` was taken back: it is no longer offered.
bool MarkTakenBack(const std::string& folder, const std::string& runId);
// Removes the journals of finished runs older than the last kHistoryLength.
void TrimHistory(const std::string& folder);

// The summary of a run that renamed `items`, the first of them from `firstPath`, in this process.
RunSummary SummaryOfRun(std::int64_t items, std::string_view firstPath);

}  // namespace kestrix::run
