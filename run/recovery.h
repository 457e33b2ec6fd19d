#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "run/journal_format.h"
#include "run/journal_writer.h"
#include "run/outcome_handoff.h"
#include "run/run_planner.h"

namespace kestrix::run {

// Something an interrupted run left that could not be put right.
struct SettleProblem {
    std::string path;
    std::string reason;  // in words, or empty where `failure` says it
    RunFailure failure;
};

// Settles a run that was cut off (a crash, a kill, a power loss). The journal
// and the disk together tell where each entry's item is: under its old name,
// its new name, its temporary name, or two names (a hard link made and the
// old name not yet dropped). The user then takes the run back or keeps it;
// either way every intermediate is settled under its intended name, never
// replacing anything. What is still renamed afterwards becomes the last
// finished run, which undo can take back; the journal stays unfinished only
// while an intermediate could not be settled.
class Recovery {
public:
    // Taking back an interrupted undo finishes it: its run is taken back.
    // Keeping it leaves every item as it is, and undo is then offered for
    // what it had not taken back.
    enum class Choice { None, TakeBack, Keep };

    // `journalFolder` holds the journals of runs, ending with '/'.
    explicit Recovery(std::string journalFolder);
    ~Recovery();

    // Reads the journal and holds it; false when another program holds it,
    // or it is not a journal this program can read (it is then left alone).
    bool open(const std::string& journalPath);

    RunKind kind() const { return contents_.header.kind; }
    // Whether the user has a choice to make: an item was renamed, or is under
    // an intermediate name. Otherwise settle(Choice::None) tidies up.
    bool needsChoice() const;
    std::int64_t entryCount() const { return changing_; }
    std::int64_t renamedCount() const { return renamed_; }

    std::vector<SettleProblem> settle(Choice choice);

private:
    enum class Place { Old, New, Temporary, TwoNames, Missing };
    struct State {
        Place place = Place::Old;
        RunPlanner::Decision decision;  // the paths at the entry's turn
        // Where those paths are now: later folder renames of the run moved them.
        std::string from;
        std::string to;
        std::string temporary;
        std::vector<std::string> placeholders;  // ours, still to go
        friend bool operator==(const State& a, const State& b) {
            return a.place == b.place && a.from == b.from && a.to == b.to && a.temporary == b.temporary;
        }
    };

    void examine();
    bool examineOnce(const FolderMoves& later, const std::vector<std::size_t>& since, FolderMoves& moved,
                     std::vector<std::size_t>& movedSince);
    State locate(std::int64_t index, RunPlanner::Decision decision, const FolderMoves& later,
                 std::size_t since);
    // The entries found at their new names, by that name: an entry whose old
    // name a later one took was renamed itself.
    std::unordered_map<std::string, std::size_t> takenBy_;
    bool has(const std::string& path);
    const std::unordered_set<std::string>& namesIn(const std::string& folder);
    void settleItems(Choice choice, std::vector<SettleProblem>& problems);
    void closeJournal(std::vector<SettleProblem>& problems);
    // The path, before the run, of the first entry now at its new name.
    std::string firstRenamed() const;
    bool keepRestForUndo(std::vector<SettleProblem>& problems);

    std::string folder_;
    std::string path_;
    JournalWriter writer_;
    JournalContents contents_;
    std::vector<State> states_;
    std::vector<std::string> probes_;
    std::unordered_map<std::string, std::unordered_set<std::string>> listings_;
    std::int64_t changing_ = 0;
    std::int64_t renamed_ = 0;
    bool intermediates_ = false;
    bool unsettled_ = false;
    // Taken back here: how many items were at their new names, and the first of them.
    std::int64_t tookBack_ = 0;
    std::string firstTakenBack_;
};

}  // namespace kestrix::run
