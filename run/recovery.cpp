#include "run/recovery.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/name_transform.h"
#include "platform/error_text.h"
#include "platform/item_identity.h"
#include "platform/rename.h"
#include "platform/state_files.h"
#include "run/journal_store.h"
#include "run/run_history.h"
#include "run/unusable_journal.h"

namespace kestrix::run {

namespace {

using platform::ItemIdentity;

const char* const kChangedSince = "pod tą nazwą jest teraz inny plik lub katalog";

std::string Reason(const platform::RenameResult& result) {
    return result.reason.empty() ? "błąd " + std::to_string(result.error) : result.reason;
}

bool StillTheItem(const ItemIdentity& recorded, const std::string& path) {
    if (recorded.type == ItemIdentity::Type::Unknown) return true;
    const auto now = platform::IdentifyItem(path);
    return now && platform::SameItem(recorded, *now);
}

}  // namespace

Recovery::Recovery(std::string journalFolder) : folder_(std::move(journalFolder)) {}

Recovery::~Recovery() = default;

bool Recovery::open(const std::string& journalPath) {
    path_ = journalPath;
    if (!writer_.openExisting(journalPath)) return false;
    contents_ = ReadJournalFile(journalPath);
    if (contents_.error != 0 || contents_.damaged || (!contents_.readable && !contents_.headerTorn) ||
        CutAfterItsRunBegan(contents_)) {
        // Not the user's own, a later version's, or damaged: see SettleUnusableJournal.
        writer_.close();
        return false;
    }
    if (contents_.planComplete && !contents_.finished) examine();
    return true;
}

bool Recovery::needsChoice() const { return renamed_ > 0 || intermediates_; }

const std::unordered_set<std::string>& Recovery::namesIn(const std::string& folder) {
    auto found = listings_.find(folder);
    if (found == listings_.end()) {
        found = listings_.emplace(folder, std::unordered_set<std::string>()).first;
        platform::NamesIn(folder, found->second);
    }
    return found->second;
}

// Existence under exactly this spelling: on a case-insensitive file system a
// lookup would find the item under any spelling, its folder's listing only
// under its own.
bool Recovery::has(const std::string& path) {
    return namesIn(std::string(FolderPart(path))).count(std::string(NamePart(path))) > 0;
}

// Where an entry's item is depends on earlier entries (a folder renamed
// before its turn moved its paths) and on later ones (a folder renamed after
// it moved the item again). Each pass places every entry with the later
// folder renames the previous pass found, until the places no longer change.
void Recovery::examine() {
    FolderMoves later;
    std::vector<std::size_t> since(contents_.plan.size(), 0);
    for (int pass = 0; pass < 16; ++pass) {
        FolderMoves moved;
        std::vector<std::size_t> movedSince(contents_.plan.size(), 0);
        const bool changed = examineOnce(later, since, moved, movedSince);
        later = std::move(moved);
        since = std::move(movedSince);
        if (!changed && pass > 0) break;
    }

    // Probes of letter case: recorded ones, and any named after the run in a
    // folder looked at (their records may not have reached the disk).
    for (const StepRecord& step : contents_.openSteps) {
        if (step.kind == platform::Intermediate::Probe) probes_.push_back(step.path);
    }
    const std::string probeStart = platform::IntermediatePrefix(contents_.header.runId) + "probe";
    for (const auto& [folder, names] : listings_) {
        for (const std::string& name : names) {
            if (name.compare(0, probeStart.size(), probeStart) == 0) probes_.push_back(folder + name);
        }
    }
    std::sort(probes_.begin(), probes_.end());
    probes_.erase(std::unique(probes_.begin(), probes_.end()), probes_.end());
}

bool Recovery::examineOnce(const FolderMoves& later, const std::vector<std::size_t>& since,
                           FolderMoves& moved, std::vector<std::size_t>& movedSince) {
    const bool undo = contents_.header.kind == RunKind::Undo;
    RunPlanner planner(contents_.plan,
                       undo ? RunPlanner::Assumes::EarlierMoved : RunPlanner::Assumes::EarlierStay);
    std::vector<State> states(contents_.plan.size());
    changing_ = renamed_ = 0;
    intermediates_ = false;
    for (size_t i = 0; i < contents_.plan.size(); ++i) {
        const PlanEntry& entry = contents_.plan[i];
        RunPlanner::Decision decision = planner.decide(entry.current, entry.proposed);
        const auto& record = contents_.outcomes[i];
        if (record && (!record->from.empty() || !record->to.empty())) {
            decision.from = record->from;
            decision.to = record->to;
        }
        if (!decision.unchanged() && decision.refused.empty()) ++changing_;
        State state = locate(static_cast<std::int64_t>(i), decision, later, since[i]);
        std::string where = decision.from;
        if (state.place == Place::New) {
            ++renamed_;
            where = decision.to;
        } else if (state.place == Place::Temporary) {
            intermediates_ = true;
            where = platform::TemporaryName(std::string(FolderPart(decision.from)), contents_.header.runId,
                                            static_cast<std::int64_t>(i));
        } else if (state.place == Place::TwoNames) {
            intermediates_ = true;
        }
        planner.settleAt(decision, where);
        if (where != decision.from) moved.record(decision.from, where);
        movedSince[i] = moved.size();
        states[i] = std::move(state);
    }
    const bool changed = states != states_;
    states_ = std::move(states);
    takenBy_.clear();
    for (size_t i = 0; i < states_.size(); ++i) {
        if (states_[i].place == Place::New) takenBy_.emplace(states_[i].to, i);
    }
    return changed;
}

Recovery::State Recovery::locate(std::int64_t index, RunPlanner::Decision decision, const FolderMoves& later,
                                 std::size_t since) {
    State state;
    state.decision = std::move(decision);
    const RunPlanner::Decision& d = state.decision;
    state.from = later.repoint(d.from, since);
    state.to = later.repoint(d.to, since);
    if (d.unchanged() || !d.refused.empty()) return state;

    const auto& record = contents_.outcomes[static_cast<size_t>(index)];
    const bool failed = record && record->outcome == Outcome::Failed;
    bool linkOpen = false;
    std::vector<std::string> placeholders;
    for (const StepRecord& step : contents_.openSteps) {
        if (step.index != index) continue;
        if (step.kind == platform::Intermediate::SecondLink && step.path == d.to) linkOpen = true;
        if (step.kind == platform::Intermediate::Placeholder)
            placeholders.push_back(later.repoint(step.path, since));
    }

    const std::string temporary = later.repoint(
        platform::TemporaryName(std::string(FolderPart(d.from)), contents_.header.runId, index), since);
    if (has(temporary)) {
        state.place = Place::Temporary;
        state.temporary = temporary;
        state.placeholders = placeholders;
        return state;
    }

    const ItemIdentity& identity = contents_.plan[static_cast<size_t>(index)].identity;
    const bool known = identity.type != ItemIdentity::Type::Unknown;
    const bool hasFrom = has(state.from);
    const bool hasTo = has(state.to);
    if (hasFrom && hasTo) {
        if (linkOpen || (!failed && platform::SameFile(state.from, state.to))) {
            state.place = Place::TwoNames;
        } else if (std::find(placeholders.begin(), placeholders.end(), state.to) != placeholders.end()) {
            // The cut came between reserving the new name and renaming over it.
            state.place = Place::Old;
            state.placeholders.push_back(state.to);
        } else if (record && record->outcome == Outcome::Renamed) {
            // A later entry has taken the old name since.
            state.place = Place::New;
        } else if (!record && known && StillTheItem(identity, state.to) &&
                   !StillTheItem(identity, state.from)) {
            state.place = Place::New;
        } else if (const auto taken = takenBy_.find(state.from);
                   !record && taken != takenBy_.end() && taken->second > static_cast<size_t>(index)) {
            // A later entry was renamed to this one's old name, which this one had left.
            state.place = Place::New;
        } else {
            state.place = Place::Old;
        }
    } else if (hasTo) {
        // Without the item at its old name, the new name is its own unless the
        // rename is known to have failed or another item is there.
        state.place =
            failed || (!record && known && !StillTheItem(identity, state.to)) ? Place::Missing : Place::New;
    } else {
        state.place = hasFrom ? Place::Old : Place::Missing;
    }
    return state;
}

std::vector<SettleProblem> Recovery::settle(Choice choice) {
    std::vector<SettleProblem> problems;
    if (contents_.planComplete && !contents_.finished) {
        for (const std::string& probe : probes_) platform::RemovePlaceholder(probe);
        settleIntermediates(choice == Choice::TakeBack, problems);
        if (choice == Choice::TakeBack) {
            tookBack_ = renamed_;
            firstTakenBack_ = firstRenamed();
            takeBackRenamed(problems);
        }
    }
    closeJournal(problems);
    return problems;
}

void Recovery::settleIntermediates(bool takeBack, std::vector<SettleProblem>& problems) {
    platform::Renamer renamer(contents_.header.runId);
    for (size_t i = 0; i < states_.size(); ++i) {
        State& state = states_[i];
        for (const std::string& placeholder : state.placeholders) {
            // Only while it still is an empty placeholder; anything else is not ours.
            const platform::RenameResult removed = platform::RemovePlaceholder(placeholder);
            if (!removed.ok && removed.error != ENOENT && removed.error != EEXIST &&
                removed.error != ENOTEMPTY) {
                problems.push_back({placeholder, Reason(removed)});
                unsettled_ = true;
            }
        }
        if (state.place == Place::Temporary) {
            const platform::RenameResult result = renamer.rename(
                state.temporary, takeBack ? state.from : state.to, static_cast<std::int64_t>(i));
            if (result.ok) {
                state.place = takeBack ? Place::Old : Place::New;
                if (!takeBack) ++renamed_;
            } else {
                problems.push_back({state.temporary, Reason(result)});
                unsettled_ = true;
            }
        } else if (state.place == Place::TwoNames) {
            const platform::RenameResult result = takeBack ? platform::RemoveSecondName(state.from, state.to)
                                                           : platform::RemoveSecondName(state.to, state.from);
            if (result.ok) {
                state.place = takeBack ? Place::Old : Place::New;
                if (!takeBack) ++renamed_;
            } else {
                problems.push_back({takeBack ? state.to : state.from, Reason(result)});
                unsettled_ = true;
            }
        }
    }
}

// Every item at its new name goes back, last renamed first, never replacing
// anything and only while it still is the item that was renamed.
void Recovery::takeBackRenamed(std::vector<SettleProblem>& problems) {
    std::vector<size_t> order;
    std::vector<PlanEntry> back;
    for (size_t i = states_.size(); i-- > 0;) {
        if (states_[i].place != Place::New) continue;
        order.push_back(i);
        back.push_back(
            PlanEntry{states_[i].decision.to, states_[i].decision.from, contents_.plan[i].identity});
    }
    RunPlanner planner(back, RunPlanner::Assumes::EarlierMoved);
    platform::Renamer renamer(contents_.header.runId);
    for (size_t k = 0; k < order.size(); ++k) {
        const RunPlanner::Decision decision = planner.decide(back[k].current, back[k].proposed);
        platform::RenameResult result;
        if (!StillTheItem(back[k].identity, decision.from)) {
            problems.push_back({decision.from, kChangedSince});
        } else {
            result = renamer.rename(decision.from, decision.to, static_cast<std::int64_t>(order[k]));
            if (result.ok) {
                states_[order[k]].place = Place::Old;
                --renamed_;
            } else {
                problems.push_back({result.leftAt.empty() ? decision.from : result.leftAt, Reason(result)});
                if (!result.leftAt.empty()) unsettled_ = true;
            }
        }
        planner.settle(decision, result.ok);
    }
}

void Recovery::closeJournal(std::vector<SettleProblem>& problems) {
    int ignored = 0;
    const JournalHeader& header = contents_.header;
    if (unsettled_) {
        // The next start tries again.
        writer_.close();
        return;
    }
    if (!contents_.planComplete) {
        // Cut off before the first rename.
        writer_.close();
        platform::RemoveFile(path_, ignored);
        return;
    }
    if (header.kind == RunKind::Undo) {
        // An undo that (partly) stands has used up the run it took back.
        if (contents_.finished || renamed_ > 0) MarkTakenBack(folder_, header.undoes);
        writer_.close();
        platform::RemoveFile(path_, ignored);
        return;
    }
    if (!contents_.finished) {
        if (renamed_ == 0) {
            // A run taken back whole stays in the history as such.
            RunSummary summary = SummaryOfRun(tookBack_, firstTakenBack_);
            summary.recovered = summary.takenBack = true;
            const bool kept = tookBack_ > 0 && writer_.finish(summary);
            writer_.close();
            if (!kept || !platform::RenameFile(path_, TakenBackJournalPath(folder_, header.runId), ignored)) {
                platform::RemoveFile(path_, ignored);
            }
            TrimHistory(folder_);
            return;
        }
        // What is renamed now is what undo takes back, with the identities of
        // the items as they are now where the run did not get to record them.
        for (size_t i = 0; i < states_.size(); ++i) {
            ItemIdentity& identity = contents_.plan[i].identity;
            if (states_[i].place == Place::New && identity.type == ItemIdentity::Type::Unknown) {
                identity = platform::IdentifyItem(states_[i].to).value_or(ItemIdentity{});
            }
        }
        writer_.writeIdentities(contents_.plan);
        for (size_t i = 0; i < states_.size(); ++i) {
            const RunPlanner::Decision& d = states_[i].decision;
            if (d.unchanged()) continue;
            OutcomeRecord record{states_[i].place == Place::New ? Outcome::Renamed : Outcome::Unchanged,
                                 std::string(), std::string(), 0};
            const PlanEntry& entry = contents_.plan[i];
            if (d.from != entry.current || d.to != entry.proposed) {
                record.from = d.from;
                record.to = d.to;
            }
            writer_.addOutcome(static_cast<std::int64_t>(i), std::move(record));
        }
        RunSummary summary = SummaryOfRun(renamed_, firstRenamed());
        summary.recovered = true;
        if (!writer_.finish(summary)) {
            problems.push_back({path_, platform::ErrorText(writer_.error())});
            writer_.close();
            return;
        }
    }
    writer_.close();
    // Finished before the start came to it: by the run, or by a start cut off in turn.
    const bool takenBack = contents_.summary && contents_.summary->takenBack;
    const std::string finished =
        takenBack ? TakenBackJournalPath(folder_, header.runId) : FinishedJournalPath(folder_, header.runId);
    if (platform::RenameFile(path_, finished, ignored)) TrimHistory(folder_);
}

std::string Recovery::firstRenamed() const {
    for (const State& state : states_) {
        if (state.place == Place::New) return state.decision.from;
    }
    return {};
}

}  // namespace kestrix::run
