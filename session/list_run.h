#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QMetaObject>
#include <QObject>

#include "engine/rename_rules.h"
#include "run/rename_run.h"
#include "session/entry_list.h"
#include "session/rename_failures.h"
#include "session/run_progress.h"

namespace kestrix::session {

// The list's side of a run of renames: the run reads each entry from the list
// when its turn comes, and the list takes each entry back reloaded from where
// its item is now (or, when the reload choice is off at the end, is emptied).
class ListRun : public run::RunListener {
public:
    // What the run asks of whoever started it, as it goes.
    struct Hooks {
        // How far the run has come, in whole percent: 0 first, then whenever it changes.
        std::function<void(int percent)> progressed;
        // Entries replaced since the last call without the list signalling
        // them; called before pending events are processed, and at the end.
        std::function<void(const RowRanges& rows)> reloadedQuietly;
        // The rules entries are reloaded with, as the options stand now.
        std::function<std::optional<RenameRules>()> rules;
        // Whether entries are reloaded after their rename, as the choice stands now.
        std::function<bool()> reloadAfterApply;
    };

    ListRun(EntryList& list, run::RenameRun& run, Hooks hooks);
    ~ListRun() override;
    ListRun(const ListRun&) = delete;
    ListRun& operator=(const ListRun&) = delete;

    // Before the run is launched.
    void begin();
    // Once the run has ended: the list settled as the run left it.
    void end(const run::RunEnd& end);

    const RenameFailures& failures() const { return failures_; }
    const run::RunEnd& runEnd() const { return end_; }

    std::int64_t entryCount() override { return list_.count(); }
    const ListEntry* entryAt(std::int64_t index) override { return &list_.at(static_cast<int>(index)); }
    bool entriesMayDiffer() override { return listChanged_; }
    void listFollowed() override { listChanged_ = false; }
    void entryDone(std::int64_t index, const run::EntryOutcome& outcome) override;
    void outcomesTaken() override;

private:
    void refreshRules();
    void reload(int row, ListEntry entry);
    void showReloaded();
    void announceReloaded();
    void followLaterFolderRenames();

    EntryList& list_;
    run::RenameRun& run_;
    Hooks hooks_;
    RunProgress progress_;
    std::optional<RenameRules> rules_;
    // As the choice stood after events were last processed: whether entries are reloaded.
    bool reloading_ = true;
    // Events have been processed since the rules were last made.
    bool rulesStale_ = false;
    bool listChanged_ = false;
    std::vector<QMetaObject::Connection> watches_;
    RenameFailures failures_;
    run::RunEnd end_;
    // For each reloaded entry, how many folder renames had happened when it
    // was reloaded.
    static constexpr std::size_t kNotReloaded = static_cast<std::size_t>(-1);
    std::vector<std::size_t> settled_;
    // Rows reloaded since the view was last told, as ranges.
    RowRanges unshown_;
};

}  // namespace kestrix::session
