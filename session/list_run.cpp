#include "session/list_run.h"

#include <string>
#include <utility>

#include "engine/name_transform.h"

namespace kestrix::session {

ListRun::ListRun(EntryList& list, run::RenameRun& run, Hooks hooks)
    : list_(list), run_(run), hooks_(std::move(hooks)), progress_(list.count()) {
    // Entries change only with a signal of the list (this run's own quiet
    // reloads aside); until one comes they are the plan's.
    const auto changed = [this] { listChanged_ = true; };
    watches_ = {
        QObject::connect(&list_, &EntryList::dataChanged, changed),
        QObject::connect(&list_, &EntryList::rowsInserted, changed),
        QObject::connect(&list_, &EntryList::rowsRemoved, changed),
        QObject::connect(&list_, &EntryList::rowsMoved, changed),
        QObject::connect(&list_, &EntryList::layoutChanged, changed),
        QObject::connect(&list_, &EntryList::modelReset, changed),
    };
}

ListRun::~ListRun() {
    for (const QMetaObject::Connection& watch : watches_) QObject::disconnect(watch);
}

void ListRun::begin() {
    hooks_.progressed(0);
    refreshRules();
    settled_.assign(static_cast<std::size_t>(list_.count()), kNotReloaded);
}

void ListRun::end(const run::RunEnd& end) {
    end_ = end;
    announceReloaded();
    if (!hooks_.reloadAfterApply()) {
        list_.clear();
    } else {
        followLaterFolderRenames();
    }
}

// The options can change only while events are processed, between two takes
// of outcomes: the rules are made again after each time (kept as they were should the new ones not convert).
void ListRun::refreshRules() {
    if (std::optional<RenameRules> rules = hooks_.rules()) rules_ = std::move(rules);
    reloading_ = hooks_.reloadAfterApply();
}

void ListRun::outcomesTaken() {
    showReloaded();
    rulesStale_ = true;
}

void ListRun::entryDone(std::int64_t index, const run::EntryOutcome& outcome) {
    if (rulesStale_) {
        rulesStale_ = false;
        refreshRules();
    }
    const bool failed = outcome.outcome == run::Outcome::Failed;
    if (failed) failures_.add(outcome);
    if (progress_.advance()) hooks_.progressed(progress_.percent());
    const int row = static_cast<int>(index);
    if (reloading_ && row < list_.count()) {
        const std::string& where = failed ? outcome.from : outcome.to;
        const ItemKind kind = list_.at(row).kind;
        reload(row, rules_ ? TransformPath(where, row, list_.count(), *rules_, kind)
                           : ListEntry{where, where, kind});
        settled_[static_cast<std::size_t>(row)] = outcome.folderMovesSoFar;
    }
}

// A list view lays out all its rows again at the next paint after any change
// signal, which with 100,000 entries costs more than the renames of a frame.
// So during the run the reloaded entries go into the list quietly and views
// are only told which rows to repaint; the list signals its changes once, at
// the end.
void ListRun::reload(int row, ListEntry entry) {
    list_.replaceQuietly(row, std::move(entry));
    if (!unshown_.empty() && unshown_.back().second == row - 1) {
        unshown_.back().second = row;
    } else {
        unshown_.emplace_back(row, row);
    }
}

void ListRun::showReloaded() {
    if (unshown_.empty()) return;
    hooks_.reloadedQuietly(unshown_);
    unshown_.clear();
}

void ListRun::announceReloaded() {
    showReloaded();
    list_.rebuildWhere([this](int row, ListEntry&) {
        return static_cast<std::size_t>(row) < settled_.size() &&
               settled_[static_cast<std::size_t>(row)] != kNotReloaded;
    });
}

// A reloaded entry is right as of its turn; a folder that holds it may have
// been renamed by a later entry. Entries that were not reloaded keep the paths
// they had.
void ListRun::followLaterFolderRenames() {
    const FolderMoves& moves = run_.folderMoves();
    if (moves.empty()) return;
    list_.rebuildWhere([&](int row, ListEntry& entry) {
        if (static_cast<std::size_t>(row) >= settled_.size() ||
            settled_[static_cast<std::size_t>(row)] >= moves.size()) {
            return false;
        }
        const std::size_t since = settled_[static_cast<std::size_t>(row)];
        std::string current = moves.repoint(entry.current, since);
        if (current == entry.current) return false;
        entry.current = std::move(current);
        entry.proposed = moves.repoint(entry.proposed, since);
        return true;
    });
}

}  // namespace kestrix::session
