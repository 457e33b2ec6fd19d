#include "run/rename_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>

#include "platform/error_text.h"
#include "platform/item_identity.h"
#include "platform/state_files.h"
#include "run/journal_store.h"

namespace kestrix::run {

namespace {

std::string JournalBrokenReason(int error) {
    return "nie można zapisać dziennika zmian nazw: " + platform::ErrorText(error);
}

}  // namespace

RenameRun::RenameRun(std::string journalFolder, int frameMilliseconds)
    : folder_(std::move(journalFolder)), frame_(frameMilliseconds) {}

RenameRun::~RenameRun() { abandon(); }

bool RenameRun::beginListRun(const std::vector<ListEntry>& entries) {
    std::vector<PlanEntry> plan;
    plan.reserve(entries.size());
    for (const ListEntry& entry : entries) plan.push_back(PlanEntry{entry.current, entry.proposed, {}});
    return start(RunKind::Rename, std::move(plan), std::string(), true);
}

bool RenameRun::beginUndoOfLastRun() {
    const std::optional<std::string> last = LastFinishedJournal(folder_);
    std::string bytes;
    if (!last || !platform::ReadWholeFile(*last, bytes, error_)) {
        if (!last) error_ = ENOENT;
        return false;
    }
    const JournalContents contents = ParseJournal(bytes);
    if (!contents.readable || !contents.finished || contents.header.kind != RunKind::Rename) {
        error_ = EINVAL;
        return false;
    }
    return begin(RunKind::Undo, UndoPlan(contents), contents.header.runId);
}

bool RenameRun::begin(RunKind kind, std::vector<PlanEntry> plan, std::string undoes) {
    return start(kind, std::move(plan), std::move(undoes), false);
}

bool RenameRun::start(RunKind kind, std::vector<PlanEntry> plan, std::string undoes, bool identify) {
    kind_ = kind;
    undoes_ = std::move(undoes);
    plan_ = std::move(plan);
    runId_ = NewRunId();
    platform::RenameSteps* steps = this;
    renamer_ = std::make_unique<platform::Renamer>(runId_, steps);
    if (folder_.empty()) {
        error_ = ENOENT;
        return false;
    }

    // Where each entry's folders are is read while the plan goes to disk.
    const RunPlanner::Assumes assumes =
        kind == RunKind::Undo ? RunPlanner::Assumes::EarlierMoved : RunPlanner::Assumes::EarlierStay;
    std::exception_ptr failure;
    std::thread reader([&] {
        try {
            planner_ = std::make_unique<RunPlanner>(plan_, assumes);
            if (identify) identities_ = std::make_unique<IdentityReader>(plan_);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    bool planWritten = false;
    try {
        planWritten =
            writer_.create(UnfinishedJournalPath(folder_, runId_), JournalHeader{kind, runId_, undoes_}) &&
            writer_.writePlan(plan_) && writer_.syncPlan();
    } catch (...) {
        reader.join();
        throw;
    }
    reader.join();
    if (failure) std::rethrow_exception(failure);
    // A plan made from another journal knows its items already; the items of
    // a run over the list are read beside the run.
    if (!planWritten || (!identify && !writer_.writeIdentities(plan_))) {
        error_ = writer_.error();
        if (writer_.isOpen()) {
            writer_.close();
            int ignored = 0;
            platform::RemoveFile(writer_.path(), ignored);
        }
        return false;
    }
    if (identities_) identities_->start();
    return true;
}

int RenameRun::begin(platform::Intermediate kind, const std::string& path) {
    if (broken_) return broken_;
    if (!writer_.writeStep(true, StepRecord{index_, kind, path})) broken_ = writer_.error();
    return broken_;
}

void RenameRun::end(platform::Intermediate kind, const std::string& path) {
    if (!broken_ && !writer_.writeStep(false, StepRecord{index_, kind, path})) broken_ = writer_.error();
}

std::int64_t RenameRun::entriesToRun(RunListener& listener) const {
    const std::int64_t listed = listener.entryCount();
    return listed >= 0 ? std::min(listed, size()) : size();
}

void RenameRun::launch(RunListener& listener, std::function<void()> ended) {
    endedCall_ = std::move(ended);
    handoff_ = std::make_unique<OutcomeHandoff>();
    toRun_ = entriesToRun(listener);
    if (listener.entriesMayDiffer()) collectChanges(0, listener);
    const bool inStep = frame_.count() == 0;
    frameAsked_ = pauseAsked_ = inStep;
    if (inStep) handoff_->ask(true);
    thread_ = std::thread([this] { renameAll(); });
}

void RenameRun::renameAll() {
    try {
        applyChanges();
        std::int64_t index = 0;
        for (; index < toRun_.load(); ++index) {
            if (cancelled_.load()) break;
            const bool plansPaths = apply(index, outcome_);
            const OutcomeHandoff::Asked asked = handoff_->asked();
            const bool frameDue = index == toRun_.load() - 1 || asked.frame;
            entryFinished(index, outcome_.outcome == Outcome::Renamed, frameDue || asked.pause);
            const bool planned = plansPaths && outcome_.outcome != Outcome::Failed;
            if (!handoff_->publish(index, outcome_, planned, frameDue, asked.pause)) {
                // Abandoned: the end stays unrecorded, for the next start.
                handoff_->close();
                return;
            }
            if (asked.pause) applyChanges();
            if (frameDue && identities_) identities_->wake();
        }
        const std::int64_t reached = index;
        end_ = finish();
        end_.notReached = toRun_.load() - reached;
        end_.cancelled = cancelled_.load() && end_.notReached > 0;
    } catch (...) {
        failure_ = std::current_exception();
        // Whatever the run did stays in its journal for the next start.
        end_.renamed = renamed_;
        end_.error = EIO;
    }
    handoff_->close();
    if (endedCall_) endedCall_();
}

void RenameRun::cancel() { cancelled_ = true; }

void RenameRun::abandon() {
    if (!thread_.joinable()) return;
    handoff_->stop();
    thread_.join();
}

bool RenameRun::takeOutcomes(RunListener& listener,
                             std::optional<std::chrono::steady_clock::time_point> until) {
    using Clock = std::chrono::steady_clock;
    if (ended_) return true;
    const bool inStep = frame_.count() == 0;
    if (pausePending_) {
        pausePending_ = false;
        toRun_ = entriesToRun(listener);
        if (listener.entriesMayDiffer()) collectChanges(next_, listener);
        frameAsked_ = pauseAsked_ = true;
        handoff_->resume(true);
    }
    for (;;) {
        const std::int64_t in = handoff_->waitFor(next_, inStep || pauseAsked_ ? std::nullopt : until);
        if (in < 0) {
            thread_.join();
            ended_ = true;
            if (failure_) std::rethrow_exception(failure_);
            listener.outcomesTaken();
            return true;
        }
        while (next_ < in && !pausePending_) {
            const OutcomeHandoff::Record& record = handoff_->record(next_);
            if (record.planned) {
                const PlanEntry& entry = plan_[static_cast<size_t>(next_)];
                shown_.outcome = record.outcome;
                shown_.from.assign(entry.current);
                shown_.to.assign(entry.proposed);
                shown_.folderMovesSoFar = record.folderMovesSoFar;
            }
            listener.entryDone(next_, record.planned ? shown_ : handoff_->detail(next_));
            ++next_;
            if (record.frameDue) frameAsked_ = false;
            if (!record.paused) continue;
            if (inStep) {
                // The list may change before the next entry begins.
                pausePending_ = true;
            } else {
                toRun_ = entriesToRun(listener);
                if (listener.entriesMayDiffer()) collectChanges(next_, listener);
                frameAsked_ = pauseAsked_ = false;
                handoff_->resume(false);
            }
        }
        if (pausePending_) break;
        if (inStep || pauseAsked_) continue;
        if (listener.entriesMayDiffer() || entriesToRun(listener) != toRun_.load()) {
            // The renames wait while the plan follows the list.
            handoff_->ask(true);
            frameAsked_ = pauseAsked_ = true;
            continue;
        }
        if (!until || Clock::now() >= *until) {
            if (!frameAsked_) {
                handoff_->ask(false);
                frameAsked_ = true;
            }
            break;
        }
    }
    handoff_->taken(next_);
    listener.outcomesTaken();
    return false;
}

RunEnd RenameRun::execute(RunListener& listener) {
    using Clock = std::chrono::steady_clock;
    launch(listener);
    try {
        while (!takeOutcomes(listener, Clock::now() + frame_)) {
        }
    } catch (...) {
        abandon();
        throw;
    }
    return end_;
}

void RenameRun::entryFinished(std::int64_t index, bool renamed, bool frameDue) {
    if (identities_) identities_->entryDone(index, renamed);
    if (!frameDue) return;
    if (!broken_ && !writer_.flush()) broken_ = writer_.error();
}

// The list changed between two takes (the options did): every entry from
// `first` on that differs from the plan is to change the plan. The renaming
// thread waits meanwhile, so the plan holds still.
void RenameRun::collectChanges(std::int64_t first, RunListener& listener) {
    const std::int64_t last = entriesToRun(listener);
    for (std::int64_t index = first; index < last; ++index) {
        const ListEntry* live = listener.entryAt(index);
        const PlanEntry& planEntry = plan_[static_cast<size_t>(index)];
        if (!live || (live->current == planEntry.current && live->proposed == planEntry.proposed)) continue;
        PlanEntry changed = planEntry;
        if (live->current != planEntry.current) {
            changed.current = live->current;
            changed.identity = platform::ItemIdentity{};
        }
        changed.proposed = live->proposed;
        changes_.emplace_back(index, std::move(changed));
    }
    listener.listFollowed();
}

void RenameRun::applyChanges() {
    if (changes_.empty()) return;
    for (auto& [index, entry] : changes_) {
        PlanEntry& planEntry = plan_[static_cast<size_t>(index)];
        if (entry.current != planEntry.current) {
            entry.identity = platform::IdentifyItem(entry.current).value_or(platform::ItemIdentity{});
        }
        planEntry = entry;
    }
    if (!broken_ && !writer_.writeAmendments(changes_)) broken_ = writer_.error();
    changes_.clear();
}

bool RenameRun::apply(std::int64_t index, EntryOutcome& outcome) {
    index_ = index;
    const PlanEntry& entry = plan_[static_cast<size_t>(index)];
    planner_->decide(entry.current, entry.proposed, decision_);
    const bool repointed = decision_.from != entry.current || decision_.to != entry.proposed;
    outcome.outcome = Outcome::Unchanged;
    outcome.from.assign(decision_.from);
    outcome.to.assign(decision_.to);
    outcome.reason.clear();
    outcome.leftAt.clear();
    outcome.folderMovesSoFar = planner_->moves().size();
    if (decision_.unchanged()) return !repointed;

    int error = 0;
    if (!decision_.refused.empty()) {
        error = EINVAL;
        outcome.reason = decision_.refused;
    } else if (broken_) {
        error = broken_;
        outcome.reason = JournalBrokenReason(broken_);
    } else if (kind_ == RunKind::Undo && entry.identity.type != platform::ItemIdentity::Type::Unknown && [&] {
                   const auto now = platform::IdentifyItemNow(decision_.from);
                   return now && !platform::SameItem(entry.identity, *now);
               }()) {
        // Someone else renamed the item since and put another one here.
        error = EEXIST;
        outcome.reason = "pod tą nazwą jest teraz inny plik lub katalog";
    } else {
        platform::RenameResult result = renamer_->rename(decision_.from, decision_.to, index);
        if (result.ok) {
            outcome.outcome = Outcome::Renamed;
            ++renamed_;
        } else {
            error = result.error != 0 ? result.error : EIO;
            outcome.reason =
                result.reason.empty() ? "błąd " + std::to_string(result.error) : std::move(result.reason);
            outcome.leftAt = std::move(result.leftAt);
            if (!outcome.leftAt.empty()) leftAt_.push_back(outcome.leftAt);
        }
    }
    if (outcome.outcome != Outcome::Renamed) outcome.outcome = Outcome::Failed;
    if (outcome.leftAt.empty()) {
        planner_->settle(decision_, outcome.outcome == Outcome::Renamed);
    } else {
        planner_->settleAt(decision_, outcome.leftAt);
    }
    outcome.folderMovesSoFar = planner_->moves().size();

    if (!broken_) {
        writer_.addOutcome(index, outcome.outcome, error, repointed ? std::string_view(decision_.from) : "",
                           repointed ? std::string_view(decision_.to) : "");
    }
    return !repointed;
}

RunEnd RenameRun::finish() {
    RunEnd end;
    end.renamed = renamed_;
    end.leftAt = leftAt_;
    if (!writer_.isOpen()) {
        end.error = error_ ? error_ : EBADF;
        return end;
    }
    if (identities_) {
        // Entries a stopped run never reached were not renamed: undo needs no identity of theirs.
        const std::int64_t reached = index_ + 1;
        std::vector<platform::ItemIdentity> identities = identities_->finish(cancelled_.load());
        for (size_t i = 0; i < plan_.size() && static_cast<std::int64_t>(i) < reached; ++i) {
            // An item whose folder the run renamed under the reader is asked about where it is now.
            if (identities[i].type == platform::ItemIdentity::Type::Unknown && !planner_->moves().empty()) {
                const std::string& where = identities_->renamed(i) ? plan_[i].proposed : plan_[i].current;
                identities[i] = platform::IdentifyItem(planner_->moves().repoint(where))
                                    .value_or(platform::ItemIdentity{});
            }
            plan_[i].identity = identities[i];
        }
        identities_.reset();
        if (!broken_ && renamed_ > 0 && !writer_.writeIdentities(plan_)) broken_ = writer_.error();
    }
    int ignored = 0;
    if (renamed_ == 0 && leftAt_.empty()) {
        // Nothing to take back: the run leaves no journal.
        writer_.close();
        platform::RemoveFile(writer_.path(), ignored);
        return end;
    }
    if (broken_ || !leftAt_.empty() || !writer_.finish()) {
        // Unfinished: the next start settles what this run could not.
        end.error = broken_ ? broken_ : (leftAt_.empty() ? writer_.error() : 0);
        if (!broken_) writer_.flush();
        writer_.close();
        return end;
    }
    writer_.close();
    if (kind_ == RunKind::Undo) {
        // An undo is not offered for undo again, nor is the run it took back.
        platform::RemoveFile(FinishedJournalPath(folder_, undoes_), ignored);
        platform::RemoveFile(writer_.path(), ignored);
        return end;
    }
    if (!platform::RenameFile(writer_.path(), FinishedJournalPath(folder_, runId_), end.error)) return end;
    RemoveOtherFinishedJournals(folder_, runId_);
    return end;
}

bool UndoAvailable(const std::string& journalFolder) {
    return LastFinishedJournal(journalFolder).has_value();
}

std::vector<RenamedEntry> RenamedEntries(const JournalContents& contents) {
    std::vector<RenamedEntry> renamed;
    for (size_t i = 0; i < contents.outcomes.size() && i < contents.plan.size(); ++i) {
        const auto& record = contents.outcomes[i];
        if (!record || record->outcome != Outcome::Renamed) continue;
        const PlanEntry& entry = contents.plan[i];
        const bool repointed = !record->from.empty() || !record->to.empty();
        renamed.push_back(RenamedEntry{static_cast<std::int64_t>(i), repointed ? record->from : entry.current,
                                       repointed ? record->to : entry.proposed});
    }
    return renamed;
}

std::vector<PlanEntry> UndoPlan(const JournalContents& finished) {
    const std::vector<RenamedEntry> renamed = RenamedEntries(finished);
    std::vector<PlanEntry> plan;
    plan.reserve(renamed.size());
    for (auto it = renamed.rbegin(); it != renamed.rend(); ++it) {
        plan.push_back(PlanEntry{it->to, it->from, finished.plan[static_cast<size_t>(it->index)].identity});
    }
    return plan;
}

}  // namespace kestrix::run
