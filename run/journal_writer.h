#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/state_files.h"
#include "run/journal_format.h"

namespace kestrix::run {

// Writes one run's journal. Outcomes are kept until flush(), so that a long
// run writes them once per frame; everything else is written at once, and
// the plan, its changes and the end are synced.
class JournalWriter {
public:
    // Creates a new journal file at `path` (its folder made if needed) and
    // writes its header.
    bool create(const std::string& path, const JournalHeader& header);
    // Opens an existing journal to add to it; fails while another program
    // holds it.
    bool openExisting(const std::string& path);

    // The plan and the record that completes it, synced with the folder entry
    // of the journal before the first rename may happen: written, then synced.
    bool writePlan(const std::vector<PlanEntry>& plan);
    bool syncPlan();
    // The identities of the plan's items, written (not synced) once known.
    bool writeIdentities(const std::vector<PlanEntry>& plan);
    bool writeAmendments(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed);
    void addOutcome(std::int64_t index, const OutcomeRecord& record);
    // `from` and `to` only where they differ from the plan's paths.
    void addOutcome(std::int64_t index, Outcome outcome, std::int32_t error, std::string_view from,
                    std::string_view to);
    bool flush();
    bool writeStep(bool begin, const StepRecord& step);
    // The user's choice for a run that was cut off, synced before settling it.
    bool writeChoice(Settling choice);
    // Flushes, records the end of the run and syncs.
    bool finish();
    // The same with the run's summary after the end.
    bool finish(const RunSummary& summary);
    // Gives the journal another name in its folder while it is still held.
    bool renameTo(const std::string& path);
    void close();

    const std::string& path() const { return path_; }
    bool isOpen() const { return file_.isOpen(); }
    // errno of the last failure.
    int error() const { return error_; }

private:
    bool write(const std::string& bytes);
    bool sync();
    bool writeInPieces(std::size_t count,
                       const std::function<std::size_t(std::size_t, std::string&)>& appendRecord);

    std::string path_;
    platform::AppendFile file_;
    std::string pending_;  // outcome items not yet written
    std::size_t pendingCount_ = 0;
    std::string buffer_;
    int error_ = 0;
};

}  // namespace kestrix::run
