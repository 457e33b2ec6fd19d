#pragma once

// The session: what the windows work on, without a window of its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <QObject>
#include <QStringList>

#include "engine/extended_options.h"
#include "engine/extended_rules.h"
#include "engine/name_masks.h"
#include "engine/rename_options.h"
#include "engine/rename_rules.h"
#include "run/rename_run.h"
#include "run/run_history.h"
#include "session/conflict_watch.h"
#include "session/entry_list.h"
#include "session/facts_snapshot.h"
#include "session/item_facts_source.h"
#include "session/left_out_items.h"
#include "session/metadata_cache.h"
#include "session/metadata_job.h"
#include "session/preview_worker.h"
#include "session/run_report.h"

namespace kestrix::session {

class RegexRewriter;
class ListRun;
class RunJob;
class UndoRun;

// Which items of a folder are added to the list.
struct FolderContents {
    bool recurse = false;  // the whole tree below the folder, not only its own items
    bool folders = false;
    bool files = false;
    friend bool operator==(const FolderContents&, const FolderContents&) = default;
};

// When the proposed paths follow the options: at every change that can alter
// them, or only when the options window closes.
enum class PreviewMode { Live, OnClose };

// The rows chosen in a view of the list, and the row with the focus mark (-1: none).
struct ListSelection {
    std::vector<bool> rows;
    int current = -1;
};

// What the list can be sorted by. Name and extension compare as people read
// them (NaturalSortKey); size and modification time are those of the item
// itself; the date taken comes from the reader set with setDatesTakenReader.
enum class SortKey { Name, Modified, DateTaken, Size, Extension };

// Entries picked by what they are, to be selected in a view.
enum class EntryPick {
    Hidden,     // the name, or a folder the entry lies in, starts with a dot
    Folders,    // the entry is a folder (a link to one is not)
    Conflicts,  // the entry's rename is predicted to fail (it is marked)
};

// The dates taken of the items at `paths`, one per path, each as EXIF writes
// it ("2024:07:15 10:31:02", so that byte order is time order), none for an
// item without one; nullopt when the reading was stopped, and the list then
// stays as it is.
using DatesTakenReader = std::function<std::optional<std::vector<std::optional<std::string>>>(
    const std::vector<std::string>& paths)>;

// Everything the windows work on, without a window of its own: the entries of
// the list, the rename options in force, and the runs of renames with their
// journal, recovery and undo. Windows write to it and follow its signals; the
// rename logic lives here and below, never in a window.
class Session : public QObject {
    Q_OBJECT

public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    // --- The entries.
    EntryList& entryList() { return entries_; }
    const EntryList& entryList() const { return entries_; }
    int entryCount() const { return entries_.count(); }

    // --- The options and the preview. Storing options changes no entry; the
    // preview follows them when asked to (refreshPreview, optionsWindowClosed).
    const RenameOptions& options() const { return options_; }
    void setOptions(const RenameOptions& options) { options_ = options; }
    bool numberAscending() const { return options_.NumberAscending; }
    void setNumberAscending(bool ascending) { options_.NumberAscending = ascending; }
    PreviewMode previewMode() const { return previewMode_; }
    void setPreviewMode(PreviewMode mode) { previewMode_ = mode; }
    // Whether the list is reloaded (true) or emptied after the renames are applied.
    bool reloadAfterApply() const { return reloadAfterApply_; }
    void setReloadAfterApply(bool reload) { reloadAfterApply_ = reload; }

    // The further rules, applied after the options' rules; stored like the
    // options, without changing any entry.
    const ExtendedOptions& extendedOptions() const { return extended_; }
    void setExtendedOptions(const ExtendedOptions& options);
    // Why the pattern or the template of the further rules cannot be used, in
    // Polish; empty when it can. While either cannot, a refresh rewrites the
    // summary but changes no proposed path, and new entries follow the last
    // further rules that could be used.
    QString regexProblem() const;
    QString templateProblem() const;
    // Where the date a photo was taken, the camera model and the audio tags
    // come from; without a source every item lacks them.
    void setItemFactsSource(ItemFactsSource source) {
        factsSource_ = std::move(source);
        ownFactsSource_ = false;
    }

    // Rebuilds the rule summary and, in live preview mode, the proposed paths.
    // A long list has the rows a view shows proposed at once and the rest on
    // a worker thread, which the next refresh abandons.
    void refreshPreview();
    // Which rows a view shows (first and last; none when last < first), asked
    // at each refresh.
    using ShownRows = std::function<std::pair<int, int>()>;
    void setShownRows(ShownRows shown) { shownRows_ = std::move(shown); }
    // Whether every proposed path follows the last refresh. The marks wait
    // for it; a run and settleConflicts() complete it first.
    bool previewComplete() const { return !pendingRules_.has_value(); }
    // Proposes here and now what the worker has not yet brought.
    void completePreview();
    // The options window has closed: in the on-close preview mode the proposed paths follow now.
    void optionsWindowClosed();

    // --- Adding. Every entry gets its proposed path from the options as they
    // stand, with the position it takes and the entry count of the moment it
    // is added; once the adding is over, zero-padded numbers take the width of
    // the list as it stands. A path too long to rename is left out and returned.
    struct PickedFilesAdded {
        QStringList unmatched;  // picked paths that name no single item on disk
        LeftOutItems leftOut;
    };
    // The files picked in the file dialog: appended, then every later equal
    // entry of the list removed and the rest renumbered. The process's
    // current folder moves to the folder of the last one.
    PickedFilesAdded addPickedFiles(const QStringList& picked);
    // One item, dropped or named on the command line.
    LeftOutItems addPath(const std::string& path);
    // The contents of `folder`, each subfolder's entry before its own contents.
    LeftOutItems addFolderContents(const std::string& folder, FolderContents what);
    // A dropped folder: its whole tree as addFolderContents adds it, then the
    // folder's own entry.
    LeftOutItems addDroppedFolder(const std::string& folder);
    // Removes every entry equal to an earlier one, then renumbers.
    void removeDuplicates();

    // --- Editing.
    void clear();
    // Removes the entries of `rows` (ascending, unique) and renumbers the rest.
    void removeRows(const std::vector<int>& rows);
    // Moves every selected entry one place towards `step` (-1 up, +1 down) and
    // gives the selection as it stands afterwards. A run of selected entries
    // moves as a block; a move with an entry already at that end selected, or
    // with nothing selected, is refused as a whole (nullopt).
    std::optional<ListSelection> moveRows(ListSelection selection, int step);

    // Moves the selected entries as a block to stand before the entry of
    // `row` (the count: at the end), in their order, and gives the selection
    // as it stands afterwards; the moved entries take the numbers of their
    // new places, as with moveRows. Refused (nullopt) with nothing selected.
    std::optional<ListSelection> moveRowsTo(ListSelection selection, int row);

    // --- Sorting the whole list, stably: equal keys keep their order. A sort
    // by the key the list was last sorted by, while no entry was added and
    // none moved since, sorts the other way. The moved entries take the
    // numbers of their new places and the conflict marks follow, as after
    // moving entries; a view's selection moves with its entries.
    void sortEntries(SortKey key);
    // Puts the list in the opposite order.
    void reverseEntries();
    // Where sorting by the date taken reads it; without a reader no entry has one.
    void setDatesTakenReader(DatesTakenReader reader) { datesTaken_ = std::move(reader); }

    // --- Picking entries: for each row, whether it is picked.
    std::vector<bool> pickEntries(EntryPick pick) const;
    // The entries whose name (not path) matches `masks`.
    std::vector<bool> pickEntriesNamed(const NameMasks& masks) const;

    // --- Conflicts: the entries whose rename will fail when the list is
    // applied now, marked in the list (EntryList::markAt). The marks that need
    // no disk follow each refresh at once, the others follow every change of
    // the list or the options shortly after, from a worker thread.
    int conflictCount() const { return conflicts_.count(); }
    // Whether the marks follow the last change, the disk included.
    bool conflictsSettled() const { return previewComplete() && conflicts_.settled(); }
    // Brings the marks up to date here and now (before a run is confirmed);
    // how many renames will fail.
    int settleConflicts();

    // --- What the files say about themselves (size, modification time, date
    // taken, camera, audio tags): read only when asked for, kept per item.
    MetadataCache& metadataCache() { return metadata_; }
    // A job, not yet started, that reads `wanted` of the entries at `rows`
    // (their current paths) into the cache, with progress and a way to stop.
    std::unique_ptr<MetadataJob> metadataJob(const std::vector<int>& rows, platform::MetadataFields wanted);
    // The `wanted` fields of the entries at `rows`, in that order: from the
    // cache, and what it lacks read here and now on every core.
    std::vector<platform::ItemMetadata> metadataOf(const std::vector<int>& rows,
                                                   platform::MetadataFields wanted);
    // The date each entry of `rows` was taken; none where its file has none.
    std::vector<std::optional<platform::DateTime>> dateTakenOf(const std::vector<int>& rows);
    // Whether facts a rule needs are still being read for some entries (their
    // proposed names wait for them; a run reads them first).
    bool factsPending() const { return factsRead_ != nullptr || !factsMissing_.empty(); }
    // Reads here and now what the rules still miss and proposes anew.
    void settleFacts();

    // --- Runs of renames. Each starts a job and returns at once: runStarted()
    // follows, then runProgress() as it goes, and runFinished() with the
    // report at the end (at once, without runStarted(), when the run could not
    // begin). False when no run was started.
    // Renames every entry, in list order, then reloads or empties the list.
    bool applyRenames();
    // Whether a finished run is kept that undo can take back.
    bool undoAvailable() const;
    // Takes the newest run not yet taken back back; entries that name a
    // restored item name its old path again and propose anew.
    bool undoLastRun();
    // The same for the finished run `runId` of the history.
    bool undoRun(const std::string& runId);
    // The history of runs: the user's last finished runs, whichever window
    // ran them, newest first; and the newest that undo can take back.
    std::vector<run::PastRun> runHistory() const;
    std::optional<run::PastRun> newestRunToTakeBack() const;
    // Whether this process ran `run`, or another one did (neither when not known).
    bool ranHere(const run::PastRun& run) const { return run.process == processToken_; }
    bool ranElsewhere(const run::PastRun& run) const { return !run.process.empty() && !ranHere(run); }
    // Whether a run goes on.
    bool runGoingOn() const { return job_ != nullptr; }
    // Stops the run going on after the entry it is on; its report says how
    // far it came.
    void cancelRun();
    // Settles the runs a crash cut off; `takeBack` answers the question whether
    // to take a run back (true) or keep it.
    QString settleInterruptedRuns(const std::function<bool(const QString& question)>& takeBack);

signals:
    void entryCountChanged(int count);
    // A folder's contents were added, the items `what` asks for.
    void folderContentsAdded(const std::string& folder, FolderContents what);
    // The lines of the rule summary: one per active rule, as the options stood
    // at the last refresh, with the numbering range following the entry count,
    // then "Konflikty : N" while N renames will fail.
    void ruleSummaryChanged(const QStringList& lines);
    // The conflict marks changed (a view repaints); `count` renames will fail.
    void conflictsChanged(int count);
    // The preview was refreshed (whether or not any proposed path changed).
    void previewRefreshed();
    // Something could not be done; the message says why.
    void failed(const QString& message);
    // A run of renames (or of an undo) has begun; it reports how far it has
    // come, in whole percent from 0, until it has finished.
    void runStarted();
    void runProgress(int percent);
    // Entries replaced during a run without the list signalling them (a view
    // repaints them and drops their selection), as ranges of rows.
    void entriesReloadedQuietly(const RowRanges& rows);
    void runFinished(const kestrix::session::RunReport& report);
    void undoAvailableChanged(bool available);

private:
    // The rules of the options in force; none (and the reason signalled) when
    // the start value does not convert.
    std::optional<RenameRules> rulesInForce();
    // The same without a word of a start value that does not convert; with
    // the further rules as they stand (errors included) when `asShown`,
    // otherwise with the last of them that could be used.
    std::optional<RenameRules> makeRules(bool asShown = false) const;
    // Whether numbering, or a number of the further rules, follows the positions of entries.
    bool positionsMatter() const;
    // What is known about the item at `path`, as far as `wanted` asks.
    ItemFacts factsOf(std::string_view path, std::int64_t index, FactKinds wanted);
    // The one renumbering: proposes anew, from `rules`, the entries of rows
    // `first` to `last`, rewriting only those whose proposed path changes;
    // whether any did.
    bool proposeAnew(int first, int last, const RenameRules& rules);
    // Whether the list is long enough, and the rules free of facts read from
    // items, to be proposed anew on the worker after its shown rows.
    bool proposesInBackground(const RenameRules& rules) const;
    // The shown rows now, the rest on the worker.
    void proposeShownFirst(const RenameRules& rules);
    // The worker gets the list as it stands (after rows were added, removed or moved).
    void submitToPreviewWorker();
    void backgroundProposed(PreviewWorker::Result result);
    // The preview is complete: the marks follow it, from `withoutDisk` when given.
    void previewCompleted(std::optional<std::vector<ConflictMark>> withoutDisk = std::nullopt);
    // After positions changed from `first` on: only numbering depends on them.
    void renumberFrom(int first);
    LeftOutItems addFolder(const std::string& folder, FolderContents what, bool itself);
    // The entries of the rows marked in `moved` take the numbers of their places.
    void renumberMoved(const std::vector<bool>& moved);
    // Puts the list in `order` (EntryList::reorder) and renumbers what moved.
    void applyOrder(const std::vector<std::size_t>& order);
    // Once entries from row `firstAdded` on were added to a list of that many.
    void addingEnded(int firstAdded);
    void entryCountMayHaveChanged();
    void emitRuleSummary();
    void conflictsMarked(int count);
    // Starts the job of a run that has begun, heard by `listener`.
    void startJob(std::unique_ptr<run::RenameRun> run, run::RunListener& listener);
    void applyEnded();
    // Starts the undo begun in `run`, or reports why it could not begin.
    bool startUndo(std::unique_ptr<run::RenameRun> run, bool begun);
    void undoEnded();
    // The facts the further rules need, from the cache; an item not read yet
    // is read in the background and the preview follows when it was.
    // `index` is the row the entry is proposed for.
    void cachedFacts(std::string_view path, std::int64_t index, FactKinds wanted, ItemFacts& facts);
    void readMissingFacts();
    void missingFactsRead();
    void proposeWithReadFacts();
    std::optional<std::vector<std::optional<std::string>>> cachedDatesTaken(
        const std::vector<std::string>& paths);

    EntryList entries_;
    ConflictWatch conflicts_{entries_};
    MetadataCache metadata_;
    // The rules of the last refresh, which the summary shows.
    std::optional<RenameRules> summaryRules_;
    int summaryConflicts_ = 0;
    RenameOptions options_;
    ExtendedOptions extended_;
    std::shared_ptr<const ExtendedRules> extendedRules_;   // of extended_, errors included
    std::shared_ptr<const ExtendedRules> usableExtended_;  // the last without errors
    ItemFactsSource factsSource_;
    bool ownFactsSource_ = true;  // the cache below, asked without the source's copy of each path
    // The last regular expression that could be used, which a new one of the same pattern builds on.
    std::shared_ptr<const RegexRewriter> regex_;
    PreviewMode previewMode_ = PreviewMode::Live;
    bool reloadAfterApply_ = true;
    int knownCount_ = 0;
    DatesTakenReader datesTaken_;
    // The key and direction of the last sort, while the list is still in that order.
    struct SortedBy {
        SortKey key;
        bool descending;
    };
    std::optional<SortedBy> sortedBy_;
    // The run going on: its listener outlives its job.
    std::unique_ptr<ListRun> listRun_;
    std::unique_ptr<UndoRun> undoRun_;
    std::unique_ptr<RunJob> job_;
    // The items whose facts were asked for and not found in the cache, and what of them.
    std::unordered_set<std::string> factsMissing_;
    platform::MetadataFields factsMissingFields_ = 0;
    bool factsReadScheduled_ = false;
    // While the list is proposed anew, and whether the cache caught up with the disk meanwhile.
    bool proposing_ = false;
    bool factsCaughtUp_ = false;
    // The cache's facts of the whole list for the proposals, and whether this
    // proposal took them anew after finding the list changed.
    FactsSnapshot factsSnapshot_;
    bool factsSnapshotRetaken_ = false;
    std::unique_ptr<MetadataJob> factsRead_;
    const std::string processToken_;
    ShownRows shownRows_;
    // The rules of a refresh the worker has yet to finish, and its generation.
    std::optional<RenameRules> pendingRules_;
    std::uint64_t previewGeneration_ = 0;
    std::unique_ptr<PreviewWorker> previewWorker_;
};

}  // namespace kestrix::session
