#include "run/run_history.h"

#include <algorithm>
#include <cstdlib>

#include "engine/path_parts.h"
#include "platform/file_ends.h"
#include "platform/process_token.h"
#include "platform/state_files.h"
#include "run/journal_store.h"
#include "run/rename_run.h"

namespace kestrix::run {

namespace {

constexpr std::string_view kFinished = ".done";
constexpr std::string_view kTakenBack = ".undone";
// The header is a few dozen bytes; the summary holds one folder's path.
constexpr std::size_t kHeadBytes = 1024;
constexpr std::size_t kTailBytes = 8192;

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

// The finished journals' names, newest first: run ids are fixed-width
// hexadecimal, so byte order is time order.
// Only the user's own journals in a private folder count.
std::vector<std::string> FinishedNames(const std::string& folder) {
    std::vector<std::string> names;
    if (platform::FolderPrivacy(folder) != platform::Privacy::Private) return names;
    for (std::string& name : platform::FileNamesIn(folder)) {
        if (!EndsWith(name, kFinished) && !EndsWith(name, kTakenBack)) continue;
        if (platform::FilePrivacy(folder + name) == platform::Privacy::Private)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::string_view(a).substr(0, a.rfind('.')) > std::string_view(b).substr(0, b.rfind('.'));
    });
    return names;
}

std::string FolderOf(std::string_view path) {
    std::string_view folder = FolderPart(path);
    if (folder.size() > 1) folder.remove_suffix(1);
    return std::string(folder);
}

// The time at the start of a run id (NewRunId).
std::int64_t StartedMicros(std::string_view runId) {
    const std::string digits(runId.substr(0, 14));
    return static_cast<std::int64_t>(std::strtoull(digits.c_str(), nullptr, 16));
}

// A journal finished before runs had a summary: what it renamed, read whole.
std::optional<RunSummary> SummaryFromWhole(const std::string& path) {
    const JournalContents contents = ReadJournalFile(path);
    if (contents.error != 0 || contents.damaged || !contents.finished) return std::nullopt;
    const std::vector<RenamedEntry> renamed = RenamedEntries(contents);
    RunSummary summary;
    summary.items = static_cast<std::int64_t>(renamed.size());
    if (!renamed.empty()) {
        summary.firstFolder =
            FolderOf(contents.header.kind == RunKind::Undo ? renamed.front().to : renamed.front().from);
    }
    return summary;
}

std::optional<PastRun> ReadPastRun(const std::string& folder, const std::string& name) {
    const std::string path = folder + name;
    std::string head, tail;
    int error = 0;
    if (!platform::ReadFileEnds(path, kHeadBytes, kTailBytes, head, tail, error)) return std::nullopt;
    const std::optional<JournalHeader> header = HeaderAtStart(head);
    if (!header) return std::nullopt;
    std::optional<RunSummary> summary = SummaryAtEnd(tail);
    if (!summary) summary = SummaryFromWhole(path);
    if (!summary) return std::nullopt;
    PastRun run;
    run.runId = header->runId;
    run.kind = header->kind;
    run.startedMicros = StartedMicros(header->runId);
    run.items = summary->items;
    run.firstFolder = std::move(summary->firstFolder);
    run.recovered = summary->recovered;
    run.takenBack = summary->takenBack || EndsWith(name, kTakenBack);
    run.process = std::move(summary->process);
    return run;
}

}  // namespace

std::string TakenBackJournalPath(const std::string& folder, const std::string& runId) {
    return folder + runId + std::string(kTakenBack);
}

std::vector<PastRun> RunHistory(const std::string& folder) {
    std::vector<PastRun> runs;
    const std::vector<std::string> names = FinishedNames(folder);
    for (size_t i = 0; i < names.size() && i < kHistoryLength; ++i) {
        if (std::optional<PastRun> run = ReadPastRun(folder, names[i])) runs.push_back(std::move(*run));
    }
    return runs;
}

std::optional<PastRun> NewestRunToTakeBack(const std::string& folder) {
    const std::vector<std::string> names = FinishedNames(folder);
    for (size_t i = 0; i < names.size() && i < kHistoryLength; ++i) {
        if (!EndsWith(names[i], kFinished)) continue;
        std::optional<PastRun> run = ReadPastRun(folder, names[i]);
        if (run && run->canTakeBack()) return run;
    }
    return std::nullopt;
}

bool MarkTakenBack(const std::string& folder, const std::string& runId) {
    int error = 0;
    return platform::RenameFile(FinishedJournalPath(folder, runId), TakenBackJournalPath(folder, runId),
                                error);
}

void TrimHistory(const std::string& folder) {
    const std::vector<std::string> names = FinishedNames(folder);
    for (size_t i = kHistoryLength; i < names.size(); ++i) {
        int error = 0;
        platform::RemoveFile(folder + names[i], error);
    }
}

RunSummary SummaryOfRun(std::int64_t items, std::string_view firstPath) {
    RunSummary summary;
    summary.items = items;
    summary.firstFolder = FolderOf(firstPath);
    summary.process = platform::ProcessToken();
    return summary;
}

}  // namespace kestrix::run
