#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/item_identity.h"
#include "platform/rename.h"

namespace kestrix::run {

// The journal of one run of renames: a file of records, each framed as
//
//   u32 length of the payload | u32 CRC-32 of length, type and payload | u8 type | payload
//
// (integers little-endian; inside payloads, numbers are LEB128 varints and
// paths are their bytes after a varint length). The first record is the
// header (magic text, format version, kind of run, run id). A record whose
// length runs past the end of the file or whose checksum does not hold ends
// the journal: a torn last record is ignored.
//
// Written and synced before the first rename: the plan, every entry's current
// and proposed path in list order, then a record saying the plan is complete.
// Then the identities of the entries' items (kept for undo, and to tell items
// apart after a crash). During the run: outcomes, batched;
// before and after every intermediate a rename leaves on disk, a record of it;
// a change of the plan made while the run goes on, synced before it is used.
// At the end: finished, then a summary of the run for the history of runs,
// synced. A reader that does not know the summary stops after the end, so
// the summary keeps journals readable both ways.
//
// When a later start settles a run that was cut off, the user's choice is
// recorded first (synced), and the renames that settling takes make a run
// of their own, with a journal of their own, so that a cut during them is
// settled in turn and the choice is not asked for again.

inline constexpr std::uint32_t kJournalVersion = 2;

// A run over the list, an undo of one, or the renames a later start makes to
// settle a run that was cut off (`undoes` then names that run).
enum class RunKind : std::uint8_t { Rename = 1, Undo = 2, Settle = 3 };

// What the user chose for a run that was cut off: take it back (for an undo:
// finish taking back its run), or keep it as it is.
enum class Settling : std::uint8_t { None = 0, TakeBack = 1, Keep = 2 };

struct JournalHeader {
    RunKind kind = RunKind::Rename;
    std::string runId;
    std::string undoes;  // for an undo run: the id of the run it takes back

    friend bool operator==(const JournalHeader&, const JournalHeader&) = default;
};

struct PlanEntry {
    std::string current;
    std::string proposed;
    platform::ItemIdentity identity;  // of the item at `current` when the run began

    friend bool operator==(const PlanEntry&, const PlanEntry&) = default;
};

enum class Outcome : std::uint8_t { Unchanged = 0, Renamed = 1, Failed = 2 };

struct OutcomeRecord {
    Outcome outcome = Outcome::Unchanged;
    // The paths the entry was renamed between, when an earlier folder rename
    // of the run moved them from where the plan says (empty otherwise).
    std::string from;
    std::string to;
    std::int32_t error = 0;  // errno of a failure

    friend bool operator==(const OutcomeRecord&, const OutcomeRecord&) = default;
};

struct StepRecord {
    std::int64_t index = 0;
    platform::Intermediate kind = platform::Intermediate::Temporary;
    std::string path;

    friend bool operator==(const StepRecord&, const StepRecord&) = default;
};

// What the history of runs shows of a finished run, read from the journal's
// two ends alone.
struct RunSummary {
    std::int64_t items = 0;   // renamed by the run
    std::string firstFolder;  // the folder of the first item renamed
    bool recovered = false;   // finished at a start after the run was cut off
    bool takenBack = false;   // taken back by that start
    std::string process;      // the process that ran it (platform::ProcessToken)

    friend bool operator==(const RunSummary&, const RunSummary&) = default;
};

struct JournalContents {
    // The file starts with a header of a format this program knows.
    bool readable = false;
    // Not even a whole first record, and what there is starts like a header:
    // the journal was cut off while being created, before anything could be
    // renamed.
    bool headerTorn = false;
    // A journal of a later format version: not this program's to read or remove.
    bool laterVersion = false;
    // Bytes that are neither whole records nor a torn last one (a damaged
    // record, garbage, an empty file): the journal cannot be read whole.
    // What was readable before the damage is kept (after a damaged header,
    // the records that follow it).
    bool damaged = false;
    // errno when the file could not be read (EPERM: not the user's own).
    int error = 0;
    JournalHeader header;
    std::vector<PlanEntry> plan;  // with the changes recorded during the run
    bool planComplete = false;
    std::vector<std::optional<OutcomeRecord>> outcomes;  // by entry: the last record of each
    std::vector<StepRecord> openSteps;                   // begun and not ended, in order
    Settling settling = Settling::None;                  // chosen at a later start
    bool finished = false;
    std::optional<RunSummary> summary;
};

JournalContents ParseJournal(std::string_view bytes);
// The same from a file, read a record at a time: memory holds one record at
// most, whatever the file's size or bytes. Only the user's own journals are
// read (see platform::OwnFileReader).
JournalContents ReadJournalFile(const std::string& path);

// Encoders, each appending whole records to `out`.
void AppendHeader(const JournalHeader& header, std::string& out);
// The plan's paths in records of a bounded size, then the record saying it is complete.
void AppendPlan(const std::vector<PlanEntry>& plan, std::string& out);
void AppendIdentities(const std::vector<PlanEntry>& plan, std::string& out);
// The same a record at a time: the record of the entries from `first` on,
// returning the first entry of the next one.
size_t AppendPlanPart(const std::vector<PlanEntry>& plan, size_t first, std::string& out);
void AppendPlanComplete(size_t count, std::string& out);
size_t AppendIdentitiesPart(const std::vector<PlanEntry>& plan, size_t first, std::string& out);
// Changes of the plan, in records of a bounded size like the plan's.
void AppendAmendments(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed, std::string& out);
size_t AppendAmendmentsPart(const std::vector<std::pair<std::int64_t, PlanEntry>>& changed, size_t first,
                            std::string& out);
void AppendOutcomes(const std::vector<std::pair<std::int64_t, OutcomeRecord>>& outcomes, std::string& out);
// The same in two parts, so that a run adds each outcome as it comes: one
// item (`from` and `to` empty unless repointed) appended to `items`, and the
// record of `count` such items.
void AppendOutcomeItem(std::int64_t index, Outcome outcome, std::int32_t error, std::string_view from,
                       std::string_view to, std::string& items);
void AppendOutcomesRecord(std::size_t count, std::string_view items, std::string& out);
void AppendStep(bool begin, const StepRecord& step, std::string& out);
void AppendFinished(std::string& out);
// After the end: the run's summary.
void AppendSummary(const RunSummary& summary, std::string& out);

// The header, from the first bytes of a journal (at least its first record).
std::optional<JournalHeader> HeaderAtStart(std::string_view head);
// The summary, from the last bytes of a journal, when its last record is one.
std::optional<RunSummary> SummaryAtEnd(std::string_view tail);
void AppendChoice(Settling choice, std::string& out);

}  // namespace kestrix::run
