#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/list_entry.h"
#include "engine/repoint.h"
#include "platform/name_rules.h"
#include "run/journal_format.h"

namespace kestrix::run {

// Why a proposed path must not be applied, or no fault. The rules only ever
// change an item's name; a new name that is empty, "." or "..", has a '/' or
// NUL inside or is too long would move the item out of its folder or cannot
// exist, nor can a name the folder's file system refuses (`rules`), nor a
// path longer than the system takes.
platform::NameFault Refusal(std::string_view current, std::string_view proposed,
                            platform::NameRules rules = platform::NameRules::Posix);

// The decisions a run takes for each entry in list order, kept apart from the
// renames themselves so that a prediction of a run can take them too: where
// the item is when its turn comes (an earlier folder rename of the run may
// have moved it), where it goes, and whether its new name is refused.
class RunPlanner {
public:
    // What the paths of later entries assume about the earlier ones: that
    // they stayed where they were (a run over the list), or that they were
    // moved as planned (an undo, which lists items where the undone renames
    // of earlier entries put them back).
    enum class Assumes { EarlierStay, EarlierMoved };

    struct Decision {
        std::string from;
        std::string to;
        platform::NameFault refused;  // why `to` must not be applied, or empty
        bool holdsOthers = false;     // the item may be a folder holding items of later entries
        bool unchanged() const { return from == to; }
    };

    RunPlanner(const std::vector<PlanEntry>& plan, Assumes assumes);
    // A run over the entries of the list, as they stand.
    explicit RunPlanner(const std::vector<ListEntry>& entries);

    // The entry whose paths (as the list holds them at its turn) are given.
    Decision decide(const std::string& current, const std::string& proposed) const;
    // The same into `decision`, whose strings keep their room from entry to entry.
    void decide(const std::string& current, const std::string& proposed, Decision& decision) const;
    // Called after each entry's turn: whether its item now is at `to`.
    void settle(const Decision& decision, bool renamed);
    // The same, with where the item is now (which may be neither path).
    void settleAt(const Decision& decision, const std::string& where);

    // The folder moves recorded so far, in order.
    const FolderMoves& moves() const { return moves_; }

private:
    // The name rules of every folder holding an item of the plan, read before anything moves.
    void learnRulesOf(std::string_view path);
    platform::NameRules rulesOf(std::string_view folder) const;

    Assumes assumes_;
    std::unordered_map<std::string, platform::NameRules, PathHash, std::equal_to<>> rules_;
    // The folder asked about last: most entries share their folder with the one before.
    mutable std::string lastRulesFolder_;
    mutable platform::NameRules lastRules_ = platform::NameRules::Posix;
    HoldingFolders holding_;
    FolderMoves moves_;
};

}  // namespace kestrix::run
