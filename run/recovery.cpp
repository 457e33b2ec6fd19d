#include "run/recovery.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include "engine/name_transform.h"
#include "platform/error_text.h"
#include "platform/item_identity.h"
#include "platform/rename.h"
#include "platform/state_files.h"
#include "run/journal_store.h"
#include "run/rename_run.h"
#include "run/run_history.h"
#include "run/unusable_journal.h"

namespace kestrix::run {

namespace {

using platform::ItemIdentity;

std::string Reason(const platform::RenameResult& result) {
    return result.reason.empty() ? "błąd " + std::to_string(result.error) : result.reason;
}

bool StillTheItem(const ItemIdentity& recorded, const std::string& path) {
    if (recorded.type == ItemIdentity::Type::Unknown) return true;
    const auto now = platform::IdentifyItem(path);
    return now && platform::SameItem(recorded, *now);
}

// Which of two names the item is under, when exactly one of them holds it:
// 1 the second, -1 the first, 0 when that cannot be told.
int WhereIs(const ItemIdentity& recorded, const std::string& first, const std::string& second) {
    const bool atFirst = StillTheItem(recorded, first);
    const bool atSecond = StillTheItem(recorded, second);
    return atFirst == atSecond ? 0 : atSecond ? 1 : -1;
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

bool Recovery::needsChoice() const {
    return contents_.header.kind != RunKind::Settle && contents_.settling == Settling::None &&
           (renamed_ > 0 || intermediates_);
}

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
    RunPlanner planner(contents_.plan, contents_.header.kind == RunKind::Rename
                                           ? RunPlanner::Assumes::EarlierStay
                                           : RunPlanner::Assumes::EarlierMoved);
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
        } else if (const int at = known ? WhereIs(identity, state.from, state.to) : 0; at != 0) {
            // The item tells which of the two is its own (a take-back cut off
            // may have put another item back under its new name).
            state.place = at > 0 ? Place::New : Place::Old;
        } else if (record && record->outcome == Outcome::Renamed) {
            // A later entry has taken the old name since.
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
    const RunKind kind = contents_.header.kind;
    // A settling run cut off is finished as far as it got; the run it settled
    // goes on with the choice recorded in its own journal.
    if (kind == RunKind::Settle) choice = Choice::Keep;
    if (contents_.settling == Settling::TakeBack) choice = Choice::TakeBack;
    if (contents_.settling == Settling::Keep) choice = Choice::Keep;
    if (contents_.planComplete && !contents_.finished) {
        if (choice != Choice::None && kind != RunKind::Settle && contents_.settling == Settling::None) {
            // Recorded before the first rename, so that a cut while settling is
            // settled the same way without asking again.
            contents_.settling = choice == Choice::TakeBack ? Settling::TakeBack : Settling::Keep;
            if (!writer_.writeChoice(contents_.settling)) {
                problems.push_back({path_, platform::ErrorText(writer_.error())});
                writer_.close();
                return problems;
            }
        }
        for (const std::string& probe : probes_) platform::RemovePlaceholder(probe);
        if (choice == Choice::TakeBack) {
            tookBack_ = renamed_;
            firstTakenBack_ = firstRenamed();
        }
        settleItems(choice, problems);
    }
    closeJournal(problems);
    return problems;
}

namespace {

// The settling run's side: where each of its entries' items went.
class SettleListener : public RunListener {
public:
    explicit SettleListener(std::function<void(std::int64_t, const EntryOutcome&)> done)
        : done_(std::move(done)) {}
    void entryDone(std::int64_t index, const EntryOutcome& outcome) override { done_(index, outcome); }

private:
    std::function<void(std::int64_t, const EntryOutcome&)> done_;
};

}  // namespace

// Every rename that settling takes goes through a run of its own, journaled
// like any run (its plan, its intermediate steps, its end), so that a cut
// while settling leaves nothing under a temporary name or as a placeholder:
// first the items under intermediate names, then, taking a run back, every
// renamed item last renamed first, or, finishing an undo, every item it had
// not reached, in its order. Each goes only while it still is the item the
// run renamed, and never replaces anything.
void Recovery::settleItems(Choice choice, std::vector<SettleProblem>& problems) {
    const RunKind kind = contents_.header.kind;
    const bool takeBack = choice == Choice::TakeBack && kind == RunKind::Rename;
    const bool finishUndo = choice == Choice::TakeBack && kind == RunKind::Undo;
    struct Step {
        size_t index;
        Place reaches;
    };
    std::vector<PlanEntry> plan;
    std::vector<Step> steps;
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
            plan.push_back(PlanEntry{state.temporary, takeBack ? state.from : state.to, ItemIdentity{}});
            steps.push_back(Step{i, takeBack ? Place::Old : Place::New});
        } else if (state.place == Place::TwoNames) {
            // One unlink, whole or not at all: nothing to journal.
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
    if (takeBack) {
        for (size_t i = states_.size(); i-- > 0;) {
            if (states_[i].place != Place::New) continue;
            const RunPlanner::Decision& d = states_[i].decision;
            plan.push_back(PlanEntry{d.to, d.from, contents_.plan[i].identity});
            steps.push_back(Step{i, Place::Old});
        }
    } else if (finishUndo) {
        for (size_t i = 0; i < states_.size(); ++i) {
            const RunPlanner::Decision& d = states_[i].decision;
            if (states_[i].place != Place::Old || d.unchanged() || !d.refused.empty()) continue;
            plan.push_back(PlanEntry{d.from, d.to, contents_.plan[i].identity});
            steps.push_back(Step{i, Place::New});
        }
    }
    if (plan.empty()) return;

    RenameRun run(folder_);
    if (!run.begin(RunKind::Settle, std::move(plan), contents_.header.runId)) {
        problems.push_back({folder_, "nie można zapisać dziennika: " + platform::ErrorText(run.error())});
        unsettled_ = true;
        return;
    }
    SettleListener listener([&](std::int64_t k, const EntryOutcome& outcome) {
        const Step& step = steps[static_cast<size_t>(k)];
        State& state = states_[step.index];
        if (outcome.outcome == Outcome::Renamed) {
            if (state.place != Place::New && step.reaches == Place::New) ++renamed_;
            if (state.place == Place::New && step.reaches != Place::New) --renamed_;
            state.place = step.reaches;
        } else if (outcome.outcome == Outcome::Failed) {
            const std::string& leftAt = outcome.failure.leftAt;
            problems.push_back({leftAt.empty() ? outcome.from : leftAt, std::string(), outcome.failure});
            // An item still under an intermediate name is settled at the next start.
            if (!leftAt.empty() || state.place == Place::Temporary) unsettled_ = true;
        }
    });
    const RunEnd end = run.execute(listener);
    if (end.error != 0 || !end.leftAt.empty()) unsettled_ = true;
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
    if (header.kind == RunKind::Settle) {
        writer_.close();
        platform::RemoveFile(path_, ignored);
        return;
    }
    if (header.kind == RunKind::Undo) {
        // What the undo did not take back stays for undo to take back.
        if (contents_.finished) MarkTakenBack(folder_, header.undoes);
        if (contents_.finished || keepRestForUndo(problems)) {
            writer_.close();
            platform::RemoveFile(path_, ignored);
        } else {
            writer_.close();
        }
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

namespace kestrix::run {

// After an interrupted undo: the renames of its run that it has not taken
// back become the run undo is offered for, in the order they were made (an
// undo of them takes them back exactly as this one would have). They are
// written under the undo's run id, so that doing this again after a cut
// makes the same journal; the run's own journal goes once that one stands.
bool Recovery::keepRestForUndo(std::vector<SettleProblem>& problems) {
    int ignored = 0;
    const std::string undone = FinishedJournalPath(folder_, contents_.header.undoes);
    std::vector<PlanEntry> rest;
    bool anyTakenBack = false;
    for (size_t i = states_.size(); i-- > 0;) {
        const PlanEntry& entry = contents_.plan[i];
        if (states_[i].decision.unchanged()) continue;
        if (states_[i].place == Place::Old) {
            rest.push_back(PlanEntry{entry.proposed, entry.current, entry.identity});
        } else {
            anyTakenBack = true;
        }
    }
    if (!anyTakenBack) return true;  // the run's own journal still says it all
    if (!rest.empty()) {
        const std::string kept = FinishedJournalPath(folder_, contents_.header.runId);
        const std::string part = kept + ".part";
        platform::RemoveFile(part, ignored);
        JournalWriter writer;
        bool written = writer.create(part, JournalHeader{RunKind::Rename, contents_.header.runId, {}}) &&
                       writer.writePlan(rest) && writer.writeIdentities(rest);
        for (size_t k = 0; written && k < rest.size(); ++k)
            writer.addOutcome(static_cast<std::int64_t>(k), Outcome::Renamed, 0, {}, {});
        written = written &&
                  writer.finish(SummaryOfRun(static_cast<std::int64_t>(rest.size()), rest.front().current));
        const int error = writer.error();
        writer.close();
        if (!written || !platform::RenameFile(part, kept, ignored)) {
            platform::RemoveFile(part, ignored);
            problems.push_back({kept, platform::ErrorText(written ? ignored : error)});
            return false;
        }
    }
    // The run stays in the history as taken back; what is left of it is offered under the undo's id.
    if (undone != FinishedJournalPath(folder_, contents_.header.runId))
        MarkTakenBack(folder_, contents_.header.undoes);
    return true;
}

}  // namespace kestrix::run
