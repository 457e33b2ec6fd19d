#include "session/session.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include "engine/duplicates.h"
#include "engine/entry_order.h"
#include "engine/name_transform.h"
#include "engine/natural_order.h"
#include "engine/path_parts.h"
#include "engine/repoint.h"
#include "engine/rule_summary.h"
#include "engine/start_value.h"
#include "platform/error_text.h"
#include "platform/folder_tree.h"
#include "platform/folders.h"
#include "platform/item_stats.h"
#include "platform/item_times.h"
#include "platform/path_limits.h"
#include "platform/process_token.h"
#include "run/journal_store.h"
#include "run/recovery.h"
#include "run/rename_run.h"
#include "session/apply_seams.h"
#include "session/journal_texts.h"
#include "session/list_run.h"
#include "session/picked_paths.h"
#include "session/regex_rewriter.h"
#include "session/rename_failures.h"
#include "session/run_job.h"
#include "session/undo_run.h"

namespace kestrix::session {

namespace {

// Builds the entries of one adding operation. The options cannot change while
// they are built (no events are processed meanwhile), so one set of rules
// serves them all; every entry still gets the position it takes and the entry
// count of the moment it is appended. A path too long to rename is left out,
// and so is a FIFO, a socket or a device node.
class EntryBuilder {
public:
    EntryBuilder(const RenameRules& rules, int existing, LeftOutItems& leftOut)
        : rules_(rules), existing_(existing), leftOut_(leftOut) {}

    // An item named by the user (picked, dropped, named on the command line).
    void add(const std::string& path, ItemKind kind) {
        if (platform::IsSpecialItem(path)) {
            leftOut_.add(path, LeftOutItems::Why::Special);
            return;
        }
        const std::string_view folder = FolderPart(path);
        add(folder, std::string_view(path).substr(folder.size()), kind);
    }

    // A FIFO, a socket or a device node a walk met.
    void leaveOutSpecial(std::string_view folder, std::string_view name) {
        leftOut_.add(std::string(folder).append(name), LeftOutItems::Why::Special);
    }

    // The item `name` of `folder`, as a walk gives them.
    void add(std::string_view folder, std::string_view name, ItemKind kind) {
        if (folder.size() + name.size() > platform::kLongestPath) {
            leftOut_.add(std::string(folder).append(name));
            return;
        }
        const auto position = static_cast<std::int64_t>(existing_) + static_cast<std::int64_t>(built_.size());
        built_.push_back(TransformPath(folder, name, position, position, rules_, kind));
    }

    std::vector<ListEntry> take() { return std::move(built_); }

private:
    const RenameRules& rules_;
    int existing_;
    LeftOutItems& leftOut_;
    std::vector<ListEntry> built_;
};

bool SamePaths(const std::vector<ListEntry>& entries, const std::vector<std::string>& paths) {
    if (entries.size() != paths.size()) return false;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (entries[i].current != paths[i]) return false;
    }
    return true;
}

}  // namespace

Session::Session(QObject* parent) : QObject(parent), processToken_(platform::ProcessToken()) {
    setExtendedOptions(extended_);
    for (const auto signal : {&EntryList::rowsInserted, &EntryList::rowsRemoved}) {
        connect(&entries_, signal, this, &Session::entryCountMayHaveChanged);
        connect(&entries_, signal, &conflicts_, &ConflictWatch::recheckSoon);
    }
    connect(&entries_, &EntryList::modelReset, this, &Session::entryCountMayHaveChanged);
    connect(&entries_, &EntryList::modelReset, &conflicts_, &ConflictWatch::recheckSoon);
    connect(&entries_, &EntryList::dataChanged, &conflicts_, &ConflictWatch::recheckSoon);
    connect(&entries_, &EntryList::layoutChanged, &conflicts_, &ConflictWatch::recheckSoon);
    // A list with entries added is no longer in the order of its last sort.
    connect(&entries_, &EntryList::rowsInserted, this, [this] { sortedBy_.reset(); });
    connect(&entries_, &EntryList::modelReset, this, [this] { sortedBy_.reset(); });
    connect(&conflicts_, &ConflictWatch::marksChanged, this, &Session::conflictsMarked);
    datesTaken_ = [this](const std::vector<std::string>& paths) { return cachedDatesTaken(paths); };
    QPointer<Session> self(this);
    previewWorker_ = std::make_unique<PreviewWorker>([self](PreviewWorker::Result result) {
        // Runs on the worker's thread: the paths go to the session's own thread.
        QMetaObject::invokeMethod(
            self.data(),
            [self, result = std::move(result)]() mutable {
                if (self) self->backgroundProposed(std::move(result));
            },
            Qt::QueuedConnection);
    });
    // Rows added, removed or moved while the worker proposes: it starts over
    // with the list as it stands.
    for (const auto signal : {&EntryList::rowsInserted, &EntryList::rowsRemoved})
        connect(&entries_, signal, this, &Session::submitToPreviewWorker);
    connect(&entries_, &EntryList::rowsMoved, this, &Session::submitToPreviewWorker);
    connect(&entries_, &EntryList::layoutChanged, this, &Session::submitToPreviewWorker);
    connect(&entries_, &EntryList::modelReset, this, &Session::submitToPreviewWorker);
}

Session::~Session() = default;

void Session::entryCountMayHaveChanged() {
    if (entries_.count() == knownCount_) return;
    knownCount_ = entries_.count();
    emit entryCountChanged(knownCount_);
    // The numbering range ends at the number of the last entry.
    if (summaryRules_ && summaryRules_->start()) emitRuleSummary();
}

void Session::emitRuleSummary() {
    QStringList lines;
    if (summaryRules_) {
        for (const std::string& line : RuleSummaryLines(*summaryRules_, entries_.count())) {
            lines.append(QString::fromStdString(line));
        }
    }
    summaryConflicts_ = conflicts_.count();
    if (summaryConflicts_ > 0) lines.append(QStringLiteral("Konflikty : %1").arg(summaryConflicts_));
    emit ruleSummaryChanged(lines);
}

void Session::conflictsMarked(int count) {
    if (count != summaryConflicts_) emitRuleSummary();
    emit conflictsChanged(count);
}

int Session::settleConflicts() {
    completePreview();
    conflicts_.settleNow();
    return conflicts_.count();
}

std::optional<RenameRules> Session::rulesInForce() {
    std::optional<RenameRules> rules = makeRules();
    if (!rules) emit failed(QString::fromStdString(StartValueError(options_.NumberStart)));
    return rules;
}

std::optional<RenameRules> Session::makeRules(bool asShown) const {
    std::optional<RenameRules> rules = RenameRules::From(options_);
    if (rules) rules->setExtended(asShown ? extendedRules_ : usableExtended_);
    return rules;
}

bool Session::positionsMatter() const {
    return options_.numberingInForce() || (usableExtended_ && usableExtended_->dependOnPosition());
}

// --- The further rules.

void Session::setExtendedOptions(const ExtendedOptions& options) {
    if (extendedRules_ && options == extended_) return;
    extended_ = options;
    std::string regexError;
    std::shared_ptr<const RegexRewriter> regex;
    if (extended_.regexInForce()) regex = RegexRewriter::Make(extended_, regexError, regex_.get());
    if (regex) regex_ = regex;
    extendedRules_ = std::make_shared<const ExtendedRules>(
        extended_, std::move(regex), std::move(regexError),
        [this](std::string_view path, std::int64_t index, FactKinds wanted) {
            return factsOf(path, index, wanted);
        });
    if (extendedRules_->valid()) usableExtended_ = extendedRules_;
}

QString Session::regexProblem() const { return QString::fromStdString(extendedRules_->regexError()); }

QString Session::templateProblem() const { return QString::fromStdString(extendedRules_->templateError()); }

ItemFacts Session::factsOf(std::string_view path, std::int64_t index, FactKinds wanted) {
    ItemFacts facts;
    if (wanted & Bit(Fact::Folder)) {
        std::string_view folder = FolderPart(path);
        while (!folder.empty() && folder.back() == '/') folder.remove_suffix(1);
        if (!NamePart(folder).empty()) facts.folder = std::string(NamePart(folder));
    }
    if (wanted & Bit(Fact::Modified)) facts.modified = platform::ModifiedLocalTime(std::string(path));
    const FactKinds fromFiles = wanted & static_cast<FactKinds>(~(Bit(Fact::Folder) | Bit(Fact::Modified)));
    if (fromFiles != 0 && ownFactsSource_) {
        cachedFacts(path, index, fromFiles, facts);
    } else if (fromFiles != 0 && factsSource_) {
        factsSource_(std::string(path), fromFiles, facts);
    }
    return facts;
}

// --- The preview.

void Session::refreshPreview() {
    const std::optional<RenameRules> rules = rulesInForce();
    if (!rules) return;
    summaryRules_ = makeRules(true);
    // A pattern or template that cannot be used changes no proposed path while it stands.
    if (previewMode_ == PreviewMode::Live && extendedRules_->valid()) {
        if (proposesInBackground(*rules)) {
            proposeShownFirst(*rules);
        } else {
            // A refresh still on the worker is overtaken by this one.
            const bool wasPending = !previewComplete();
            if (wasPending) {
                pendingRules_.reset();
                previewWorker_->abandon(++previewGeneration_);
            }
            if (proposeAnew(0, entries_.count() - 1, *rules) || wasPending) {
                if (wasPending) conflicts_.resume();
                conflicts_.recheckNow();
            }
        }
    }
    emitRuleSummary();
    emit previewRefreshed();
}

bool Session::proposesInBackground(const RenameRules& rules) const {
    // Below this many entries the whole list is proposed within a frame.
    constexpr int kBackgroundFrom = 20'000;
    const ExtendedRules* extended = rules.extended();
    return !job_ && entries_.count() >= kBackgroundFrom && (!extended || !extended->active());
}

void Session::proposeShownFirst(const RenameRules& rules) {
    // The marks wait until every proposed path follows the rules.
    if (previewComplete()) conflicts_.pause();
    pendingRules_ = rules;
    const auto [first, last] = shownRows_ ? shownRows_() : std::pair{0, -1};
    if (first <= last) proposeAnew(first, last, rules);
    submitToPreviewWorker();
}

void Session::submitToPreviewWorker() {
    if (previewComplete()) return;
    previewWorker_->submit(++previewGeneration_, entries_.snapshot(), *pendingRules_);
}

void Session::backgroundProposed(PreviewWorker::Result result) {
    if (result.generation == previewGeneration_ && !previewComplete()) {
        size_t next = 0;
        if (!result.rows.empty()) {
            entries_.rebuildRows(static_cast<int>(result.rows.front()), static_cast<int>(result.rows.back()),
                                 [&](int row, ListEntry& entry) {
                                     if (result.rows[next] != static_cast<std::uint32_t>(row)) return false;
                                     entry.proposed.swap(result.proposed[next]);
                                     entry.missing = result.missing[next];
                                     ++next;
                                     return true;
                                 });
        }
        previewCompleted(std::move(result.marks));
    }
    // The paths replaced are freed on the worker.
    previewWorker_->dispose(std::move(result));
}

void Session::completePreview() {
    if (previewComplete()) return;
    const RenameRules rules = *pendingRules_;
    previewWorker_->abandon(++previewGeneration_);
    proposeAnew(0, entries_.count() - 1, rules);
    previewCompleted();
}

void Session::previewCompleted(std::optional<std::vector<ConflictMark>> withoutDisk) {
    pendingRules_.reset();
    conflicts_.resume();
    if (withoutDisk) {
        conflicts_.recheckNow(std::move(*withoutDisk));
    } else {
        conflicts_.recheckNow();
    }
}

void Session::optionsWindowClosed() {
    if (previewMode_ != PreviewMode::OnClose) return;
    // A live refresh still on the worker must not land after this one.
    completePreview();
    const std::optional<RenameRules> rules = rulesInForce();
    if (rules && extendedRules_->valid() && proposeAnew(0, entries_.count() - 1, *rules)) {
        conflicts_.recheckNow();
    }
}

bool Session::proposeAnew(int first, int last, const RenameRules& rules) {
    proposing_ = true;
    const auto ended = qScopeGuard([this] { proposing_ = factsCaughtUp_ = factsSnapshotRetaken_ = false; });
    const std::int64_t count = entries_.count();
    bool changed = false;
    // Only the proposed path decides whether an entry is rewritten; the list
    // signals the rewritten rows in runs, so a view keeps its current item.
    // Each path is built in one buffer and copied over the entry's old one,
    // which mostly has room for it (a renumbered path keeps its length): no
    // allocation per entry. A path that outgrows its room gets one of its own
    // size, not the doubled one a growing string would take.
    std::string proposed;
    entries_.rebuildRows(first, last, [&](int row, ListEntry& entry) {
        // The paths of a sorted list lie scattered in memory: the next ones
        // are fetched while this one is built. The list is asked each time, as
        // rebuilding may have given it entries of its own apart from a snapshot.
        const std::vector<ListEntry>& all = entries_.entries();
        if (const auto ahead = static_cast<std::size_t>(row) + 8; ahead < all.size()) {
            __builtin_prefetch(all[ahead].current.data());
            __builtin_prefetch(all[ahead].proposed.data());
        }
        const MissingFact missing = ProposePath(entry.current, row, count, rules, entry.kind, proposed);
        if (proposed == entry.proposed && missing == entry.missing) return false;
        if (entry.proposed.capacity() >= proposed.size()) {
            entry.proposed.assign(proposed);
        } else {
            entry.proposed = std::string(proposed);
        }
        entry.missing = missing;
        changed = true;
        return true;
    });
    return changed;
}

void Session::renumberFrom(int first) {
    if (!positionsMatter()) return;
    if (const std::optional<RenameRules> rules = rulesInForce())
        proposeAnew(first, entries_.count() - 1, *rules);
}

void Session::renumberMoved(const std::vector<bool>& moved) {
    if (!positionsMatter()) return;
    const std::optional<RenameRules> rules = rulesInForce();
    if (!rules) return;
    const int count = std::min(entries_.count(), static_cast<int>(moved.size()));
    for (int row = 0; row < count;) {
        if (!moved[static_cast<size_t>(row)]) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < count && moved[static_cast<size_t>(last + 1)]) ++last;
        proposeAnew(row, last, *rules);
        row = last + 1;
    }
}

// Each entry was built with the count of the moment it was appended, which
// gives zero-padded numbers of too few digits; once the adding is over they
// take the width of the list as it stands: the new entries, and the earlier
// ones too where the count has gained digits.
void Session::addingEnded(int firstAdded) {
    if (!options_.NumberLeadingZeros) return;
    const auto digits = [](int count) { return std::to_string(count).size(); };
    renumberFrom(digits(firstAdded) == digits(entries_.count()) ? firstAdded : 0);
}

// --- Adding.

Session::PickedFilesAdded Session::addPickedFiles(const QStringList& picked) {
    PickedFilesAdded added;
    PickedPathMatcher matcher;
    std::vector<std::string> paths;
    for (const QString& file : picked) {
        if (std::optional<std::string> path = matcher.match(file)) {
            paths.push_back(std::move(*path));
        } else {
            added.unmatched << file;
        }
    }
    const std::optional<RenameRules> rules = rulesInForce();
    if (!rules) return added;
    const int before = entries_.count();
    EntryBuilder built(*rules, before, added.leftOut);
    for (const std::string& path : paths) built.add(path, ItemKind::File);
    entries_.append(built.take());
    // The folder chooser starts where the last chosen files were.
    if (!paths.empty()) platform::SetCurrentFolder(std::string(FolderPart(paths.back())));
    removeDuplicates();
    addingEnded(std::min(before, entries_.count()));
    return added;
}

LeftOutItems Session::addPath(const std::string& path) {
    LeftOutItems leftOut;
    const std::optional<RenameRules> rules = rulesInForce();
    if (!rules) return leftOut;
    const int before = entries_.count();
    EntryBuilder built(*rules, before, leftOut);
    built.add(path, platform::IsFolder(path) ? ItemKind::Folder : ItemKind::File);
    entries_.append(built.take());
    addingEnded(before);
    return leftOut;
}

LeftOutItems Session::addFolderContents(const std::string& folder, FolderContents what) {
    return addFolder(folder, what, false);
}

LeftOutItems Session::addDroppedFolder(const std::string& folder) {
    return addFolder(folder, {.recurse = true, .folders = true, .files = true}, true);
}

LeftOutItems Session::addFolder(const std::string& folder, FolderContents what, bool itself) {
    LeftOutItems leftOut;
    const std::optional<RenameRules> rules = rulesInForce();
    if (!rules) return leftOut;
    const int before = entries_.count();
    EntryBuilder built(*rules, before, leftOut);
    // Depth first, each subfolder's own entry before its contents. Links to
    // folders get their entry but are never descended into, so the walk ends.
    platform::WalkFolder(
        folder, what.recurse,
        [&](std::string_view parent, std::string_view name, bool isFolder) {
            if (isFolder ? what.folders : what.files)
                built.add(parent, name, isFolder ? ItemKind::Folder : ItemKind::File);
        },
        [&](std::string_view parent, std::string_view name) {
            if (what.files) built.leaveOutSpecial(parent, name);
        });
    // The folder's own entry joins its contents before they reach the list,
    // which then takes them in one piece.
    if (itself) built.add(folder, ItemKind::Folder);
    entries_.append(built.take());
    addingEnded(before);
    emit folderContentsAdded(folder, what);
    return leftOut;
}

void Session::removeDuplicates() {
    const std::vector<std::size_t> duplicates = DuplicatePositions(entries_.entries());
    if (duplicates.empty()) return;
    entries_.removeRowsAt(std::vector<int>(duplicates.begin(), duplicates.end()));
    renumberFrom(0);
}

// --- Editing.

void Session::clear() { entries_.clear(); }

void Session::removeRows(const std::vector<int>& rows) {
    if (rows.empty()) return;
    entries_.removeRowsAt(rows);
    // Entries before the first removed one keep their proposals, even where
    // the options would now give another.
    renumberFrom(rows.front());
}

std::optional<ListSelection> Session::moveRows(ListSelection selection, int step) {
    const int count = entries_.count();
    std::vector<bool>& selected = selection.rows;
    selected.resize(static_cast<size_t>(count), false);
    const bool anySelected = std::find(selected.begin(), selected.end(), true) != selected.end();
    const int edge = step < 0 ? 0 : count - 1;
    if (!anySelected || count < 2 || selected[static_cast<size_t>(edge)]) return std::nullopt;

    // The scan starts at the end the entries move towards, so a run of
    // selected entries moves as a block.
    std::vector<bool> moved(static_cast<size_t>(count), false);
    auto moveOne = [&](int i) {
        const int j = i + step;
        entries_.swap(i, j);
        moved[static_cast<size_t>(i)] = moved[static_cast<size_t>(j)] = true;
        // Both exchanged entries lose their mark; the moved one gets it back.
        selected[static_cast<size_t>(i)] = false;
        selected[static_cast<size_t>(j)] = true;
        if (selection.current == i) {
            selection.current = j;
        } else if (selection.current == j) {
            selection.current = i;
        }
    };
    if (step < 0) {
        for (int i = 1; i < count; ++i) {
            if (selected[static_cast<size_t>(i)]) moveOne(i);
        }
    } else {
        for (int i = count - 2; i >= 0; --i) {
            if (selected[static_cast<size_t>(i)]) moveOne(i);
        }
    }

    sortedBy_.reset();
    // The moved entries take the numbers of their new places; the others keep theirs.
    renumberMoved(moved);
    return selection;
}

std::optional<ListSelection> Session::moveRowsTo(ListSelection selection, int row) {
    const int count = entries_.count();
    std::vector<bool>& selected = selection.rows;
    selected.resize(static_cast<size_t>(count), false);
    row = std::clamp(row, 0, count);
    std::vector<std::size_t> block;
    for (int i = 0; i < count; ++i) {
        if (selected[static_cast<size_t>(i)]) block.push_back(static_cast<size_t>(i));
    }
    if (block.empty()) return std::nullopt;

    std::vector<std::size_t> order;
    order.reserve(static_cast<size_t>(count));
    for (int i = 0; i < row; ++i) {
        if (!selected[static_cast<size_t>(i)]) order.push_back(static_cast<size_t>(i));
    }
    const std::size_t blockStart = order.size();
    order.insert(order.end(), block.begin(), block.end());
    for (int i = row; i < count; ++i) {
        if (!selected[static_cast<size_t>(i)]) order.push_back(static_cast<size_t>(i));
    }

    std::fill(selected.begin(), selected.end(), false);
    std::fill(selected.begin() + static_cast<std::ptrdiff_t>(blockStart),
              selected.begin() + static_cast<std::ptrdiff_t>(blockStart + block.size()), true);
    if (selection.current >= 0 && selection.current < count) {
        const auto current = std::find(order.begin(), order.end(), static_cast<size_t>(selection.current));
        selection.current = static_cast<int>(current - order.begin());
    }
    sortedBy_.reset();
    applyOrder(order);
    return selection;
}

void Session::applyOrder(const std::vector<std::size_t>& order) {
    if (KeepsPlaces(order)) return;
    std::vector<bool> moved(order.size());
    for (std::size_t row = 0; row < order.size(); ++row) moved[row] = order[row] != row;
    entries_.reorder(order);
    renumberMoved(moved);
}

// --- Sorting.

void Session::sortEntries(SortKey key) {
    const bool descending = sortedBy_ && sortedBy_->key == key && !sortedBy_->descending;
    const std::vector<ListEntry>& entries = entries_.entries();
    const std::size_t count = entries.size();
    auto nameKeys = [&] {
        std::vector<std::string> keys;
        keys.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 8 < count) __builtin_prefetch(entries[i + 8].current.data());
            keys.push_back(NaturalSortKey(NamePart(entries[i].current)));
        }
        return keys;
    };
    auto stats = [&] {
        std::vector<std::string_view> paths;
        paths.reserve(count);
        for (const ListEntry& entry : entries) paths.emplace_back(entry.current);
        return platform::StatItems(paths);
    };

    std::vector<std::size_t> order;
    switch (key) {
        case SortKey::Name:
            order = OrderByText(nameKeys(), descending);
            break;
        case SortKey::Extension: {
            // ".JPG" and ".jpg" are one extension; a folder has none.
            const std::vector<platform::ItemStat> stat = stats();
            std::vector<std::string> keys(count);
            for (std::size_t i = 0; i < count; ++i) {
                if (stat[i].isFolder) continue;
                keys[i] = NaturalSortKey(Extension(NamePart(entries[i].current)));
                keys[i].resize(keys[i].find('\0'));
            }
            order = OrderByText(keys, descending);
            break;
        }
        case SortKey::Size:
        case SortKey::Modified: {
            // A folder has no size of its own that a user would sort by.
            const std::vector<platform::ItemStat> stat = stats();
            std::vector<std::optional<std::int64_t>> keys(count);
            for (std::size_t i = 0; i < count; ++i) {
                if (!stat[i].known) continue;
                if (key == SortKey::Modified) {
                    keys[i] = stat[i].modifiedNs;
                } else if (!stat[i].isFolder) {
                    keys[i] = static_cast<std::int64_t>(stat[i].size);
                }
            }
            order = OrderByNumber(keys, descending);
            break;
        }
        case SortKey::DateTaken: {
            std::vector<std::optional<std::string>> dates(count);
            if (datesTaken_) {
                std::vector<std::string> paths;
                paths.reserve(count);
                for (const ListEntry& entry : entries) paths.push_back(entry.current);
                std::optional<std::vector<std::optional<std::string>>> read = datesTaken_(paths);
                // Stopped, or the list changed while the dates were read (a
                // reader may let the window take input meanwhile).
                if (!read || read->size() != count || !SamePaths(entries_.entries(), paths)) return;
                dates = std::move(*read);
            }
            order = OrderByDateTaken(dates, nameKeys(), descending);
            break;
        }
    }
    applyOrder(order);
    sortedBy_ = SortedBy{key, descending};
}

void Session::reverseEntries() {
    const std::size_t count = static_cast<std::size_t>(entries_.count());
    std::vector<std::size_t> order(count);
    for (std::size_t row = 0; row < count; ++row) order[row] = count - 1 - row;
    applyOrder(order);
    if (sortedBy_) sortedBy_->descending = !sortedBy_->descending;
}

// --- Picking.

std::vector<bool> Session::pickEntries(EntryPick pick) const {
    const std::vector<ListEntry>& entries = entries_.entries();
    std::vector<bool> picked(entries.size(), false);
    switch (pick) {
        case EntryPick::Hidden:
            for (std::size_t i = 0; i < entries.size(); ++i) picked[i] = IsHiddenPath(entries[i].current);
            break;
        case EntryPick::Folders: {
            std::vector<std::string_view> paths;
            paths.reserve(entries.size());
            for (const ListEntry& entry : entries) paths.emplace_back(entry.current);
            const std::vector<platform::ItemStat> stats = platform::StatItems(paths);
            for (std::size_t i = 0; i < entries.size(); ++i) picked[i] = stats[i].isFolder;
            break;
        }
        case EntryPick::Conflicts:
            for (std::size_t i = 0; i < entries.size(); ++i) {
                picked[i] = entries_.markAt(static_cast<int>(i)).failing();
            }
            break;
    }
    return picked;
}

std::vector<bool> Session::pickEntriesNamed(const NameMasks& masks) const {
    const std::vector<ListEntry>& entries = entries_.entries();
    std::vector<bool> picked(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) picked[i] = masks.matches(NamePart(entries[i].current));
    return picked;
}

// --- Runs of renames.

namespace {

QString CancelledSummary(const run::RunEnd& end) {
    return QStringLiteral("Zmiana nazw została przerwana. Zmieniono nazwy: %1, bez zmian pozostało: %2.")
        .arg(end.renamed)
        .arg(end.notReached);
}

// What a run that has begun tells at its end.
RunReport EndReport(run::RunKind kind, const run::RunEnd& end, const RenameFailures& failures) {
    RunReport report;
    report.kind = kind;
    report.started = true;
    report.renamed = end.renamed;
    report.cancelled = end.cancelled;
    report.notReached = end.notReached;
    if (end.cancelled) report.summary = CancelledSummary(end);
    report.problems = failures.empty() ? QString() : failures.messageText();
    if (failures.empty() && !end.cancelled && end.renamed > 0) {
        report.succeeded = RunSucceededNote(kind, end.renamed);
    }
    return report;
}

}  // namespace

void Session::startJob(std::unique_ptr<run::RenameRun> run, run::RunListener& listener) {
    // The disk changes under the prediction during the run; it starts again afterwards.
    conflicts_.pause();
    job_ = std::make_unique<RunJob>(std::move(run), listener);
    connect(job_.get(), &RunJob::outcomesTaken, this, [] {
        if (applySeams().eventsProcessed) applySeams().eventsProcessed();
    });
    emit runStarted();
    job_->start();
}

void Session::cancelRun() {
    if (job_) job_->cancel();
}

bool Session::applyRenames() {
    if (job_) return false;
    completePreview();
    // No entry is renamed while the facts its new name is made of are still being read.
    if (factsPending()) settleFacts();
    // Nothing is renamed before the run's plan is safely on disk.
    const std::string journals = run::DefaultJournalFolder();
    auto run = std::make_unique<run::RenameRun>(journals, applySeams().frameMilliseconds);
    if (!run->beginListRun(entries_.entries())) {
        RunReport report;
        report.problems = JournalFailureText(journals, run->error());
        emit runFinished(report);
        return false;
    }
    ListRun::Hooks hooks;
    hooks.progressed = [this](int percent) { emit runProgress(percent); };
    hooks.reloadedQuietly = [this](const RowRanges& rows) { emit entriesReloadedQuietly(rows); };
    hooks.rules = [this] { return makeRules(); };
    hooks.reloadAfterApply = [this] { return reloadAfterApply_; };
    // Reloaded entries need not keep the order of the last sort.
    sortedBy_.reset();
    listRun_ = std::make_unique<ListRun>(entries_, *run, std::move(hooks));
    listRun_->begin();
    startJob(std::move(run), *listRun_);
    connect(job_.get(), &RunJob::ended, this, &Session::applyEnded);
    return true;
}

void Session::applyEnded() {
    const run::RunEnd end = job_->run().ended();
    listRun_->end(end);
    RenameFailures failures = listRun_->failures();
    if (end.error != 0 && end.leftAt.empty()) {
        failures.addNote(
            QStringLiteral("Nie udało się zapisać końca dziennika zmian nazw: %1. Przy następnym "
                           "uruchomieniu program zapyta o tę zmianę nazw.")
                .arg(QString::fromStdString(platform::ErrorText(end.error))));
    }
    const RunReport report = EndReport(run::RunKind::Rename, end, failures);
    job_.release()->deleteLater();
    listRun_.reset();
    conflicts_.resume();
    emit runFinished(report);
    emit undoAvailableChanged(undoAvailable());
}

bool Session::undoAvailable() const { return run::UndoAvailable(run::DefaultJournalFolder()); }

bool Session::undoLastRun() {
    if (job_) return false;
    completePreview();
    auto run = std::make_unique<run::RenameRun>(run::DefaultJournalFolder(), applySeams().frameMilliseconds);
    const bool begun = run->beginUndoOfLastRun();
    return startUndo(std::move(run), begun);
}

bool Session::undoRun(const std::string& runId) {
    if (job_) return false;
    completePreview();
    auto run = std::make_unique<run::RenameRun>(run::DefaultJournalFolder(), applySeams().frameMilliseconds);
    const bool begun = run->beginUndoOf(runId);
    return startUndo(std::move(run), begun);
}

std::vector<run::PastRun> Session::runHistory() const { return run::RunHistory(run::DefaultJournalFolder()); }

std::optional<run::PastRun> Session::newestRunToTakeBack() const {
    return run::NewestRunToTakeBack(run::DefaultJournalFolder());
}

bool Session::startUndo(std::unique_ptr<run::RenameRun> run, bool begun) {
    if (!begun) {
        emit undoAvailableChanged(undoAvailable());
        RunReport report;
        report.kind = run::RunKind::Undo;
        const std::string journals = run::DefaultJournalFolder();
        // Another window took the run back meanwhile, or it left the history.
        report.problems = run->error() == ENOENT && !journals.empty()
                              ? RunGoneText()
                              : JournalFailureText(journals, run->error());
        emit runFinished(report);
        return false;
    }
    sortedBy_.reset();
    undoRun_ = std::make_unique<UndoRun>(*run, [this](int percent) { emit runProgress(percent); });
    undoRun_->begin();
    startJob(std::move(run), *undoRun_);
    connect(job_.get(), &RunJob::ended, this, &Session::undoEnded);
    return true;
}

void Session::undoEnded() {
    const run::RunEnd end = job_->run().ended();
    RenameFailures failures = undoRun_->failures();
    if (end.error != 0 && end.leftAt.empty()) {
        // The undo stands, but the next start has to settle its journal.
        failures.addNote(QStringLiteral("Nie udało się zapisać końca dziennika cofnięcia: %1. Przy następnym "
                                        "uruchomieniu program zapyta o to cofnięcie.")
                             .arg(QString::fromStdString(platform::ErrorText(end.error))));
    }
    // Entries that name a restored item, or one inside a restored folder,
    // name its old path again and propose anew from the options as they
    // stand (their own path, should the options give no rules).
    const FolderMoves& restored = undoRun_->restored();
    if (!restored.empty()) {
        const std::optional<RenameRules> rules = rulesInForce();
        const std::int64_t count = entries_.count();
        entries_.rebuildWhere([&](int row, ListEntry& entry) {
            std::string current = restored.repoint(entry.current, 0, true);
            if (current == entry.current) return false;
            entry = rules ? TransformPath(current, row, count, *rules, entry.kind)
                          : ListEntry{current, current, entry.kind};
            return true;
        });
    }
    const RunReport report = EndReport(run::RunKind::Undo, end, failures);
    job_.release()->deleteLater();
    undoRun_.reset();
    conflicts_.resume();
    emit runFinished(report);
    emit undoAvailableChanged(undoAvailable());
}

QString Session::settleInterruptedRuns(const std::function<bool(const QString& question)>& takeBack) {
    const std::string journals = run::DefaultJournalFolder();
    std::vector<run::SettleProblem> problems;
    QStringList notes;
    const QString untrusted = UntrustedJournalsText(journals, run::FindUntrustedJournals(journals));
    if (!untrusted.isEmpty()) notes.append(untrusted);
    run::RemoveAbandonedJournalStarts(journals);
    for (const std::string& journal : run::UnfinishedJournals(journals)) {
        run::Recovery recovery(journals);
        if (!recovery.open(journal)) {
            const QString said = UnusableJournalText(run::SettleUnusableJournal(journals, journal));
            if (!said.isEmpty()) notes.append(said);
            continue;
        }
        auto choice = run::Recovery::Choice::None;
        if (recovery.needsChoice()) {
            choice = takeBack(InterruptedRunQuestion(recovery.kind(), recovery.renamedCount(),
                                                     recovery.entryCount()))
                         ? run::Recovery::Choice::TakeBack
                         : run::Recovery::Choice::Keep;
        }
        for (auto& problem : recovery.settle(choice)) problems.push_back(std::move(problem));
    }
    conflicts_.recheckSoon();
    emit undoAvailableChanged(undoAvailable());
    if (!problems.empty()) notes.append(UnsettledText(problems));
    return notes.join(QStringLiteral("\n\n"));
}

std::unique_ptr<MetadataJob> Session::metadataJob(const std::vector<int>& rows,
                                                  platform::MetadataFields wanted) {
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (int row : rows) paths.push_back(entries_.at(row).current);
    return std::make_unique<MetadataJob>(metadata_, std::move(paths), wanted);
}

std::vector<platform::ItemMetadata> Session::metadataOf(const std::vector<int>& rows,
                                                        platform::MetadataFields wanted) {
    const std::unique_ptr<MetadataJob> job = metadataJob(rows, wanted);
    job->waitForEnd();
    std::vector<platform::ItemMetadata> read;
    read.reserve(job->results().size());
    for (const MetadataCache::Shared& one : job->results()) read.push_back(*one);
    return read;
}

std::vector<std::optional<platform::DateTime>> Session::dateTakenOf(const std::vector<int>& rows) {
    std::vector<std::optional<platform::DateTime>> dates;
    dates.reserve(rows.size());
    const std::unique_ptr<MetadataJob> job = metadataJob(rows, platform::DateTakenField);
    job->waitForEnd();
    for (const MetadataCache::Shared& read : job->results()) dates.push_back(read->dateTaken);
    return dates;
}

// --- Facts of the further rules, from the cache of what the files say.

namespace {

platform::MetadataFields FieldsOf(FactKinds wanted) {
    platform::MetadataFields fields = 0;
    if (wanted & Bit(Fact::DateTaken)) fields |= platform::DateTakenField;
    if (wanted & Bit(Fact::Camera)) fields |= platform::CameraModelField;
    if (wanted & Bit(Fact::Artist)) fields |= platform::ArtistField;
    if (wanted & Bit(Fact::Title)) fields |= platform::TitleField;
    if (wanted & Bit(Fact::Album)) fields |= platform::AlbumField;
    if (wanted & Bit(Fact::Track)) fields |= platform::TrackField;
    if (wanted & Bit(Fact::Year)) fields |= platform::YearField;
    return fields;
}

std::optional<std::uint32_t> Counted(const std::optional<int>& value) {
    if (!value || *value <= 0) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

}  // namespace

void Session::cachedFacts(std::string_view path, std::int64_t index, FactKinds wanted, ItemFacts& facts) {
    const platform::MetadataFields fields = FieldsOf(wanted);
    if (fields == 0) return;
    // Once per proposal of the whole list, not once per entry.
    if (!factsCaughtUp_) {
        metadata_.catchUp();
        factsCaughtUp_ = proposing_;
        if (proposing_) factsSnapshot_.refresh(metadata_, entries_.entries(), fields);
    }
    const FactsSnapshot::Row* row = nullptr;
    FactsSnapshot::Lookup lookup = FactsSnapshot::Lookup::Moved;
    if (proposing_) {
        lookup = factsSnapshot_.find(index, path, row);
        // The list changed since the snapshot (a sort, say): taken anew once.
        if (lookup == FactsSnapshot::Lookup::Moved && !factsSnapshotRetaken_) {
            factsSnapshotRetaken_ = true;
            factsSnapshot_.refresh(metadata_, entries_.entries(), fields, true);
            lookup = factsSnapshot_.find(index, path, row);
        }
    }
    const platform::ItemMetadata* known = nullptr;
    MetadataCache::Shared held;
    if (lookup == FactsSnapshot::Lookup::Found) {
        if (wanted & Bit(Fact::DateTaken)) facts.dateTaken = row->dateTaken;
        if (!(wanted & ~Bit(Fact::DateTaken))) return;
        known = row->item;
    } else {
        const std::string owned(path);
        held = metadata_.cachedFieldsOfCaughtUp(owned, fields);
        known = held.get();
        if (!known) {
            factsMissing_.insert(owned);
            factsMissingFields_ |= fields;
            if (!factsReadScheduled_) {
                factsReadScheduled_ = true;
                QTimer::singleShot(0, this, &Session::readMissingFacts);
            }
            return;
        }
        if (wanted & Bit(Fact::DateTaken)) facts.dateTaken = known->dateTaken;
    }
    if (wanted & Bit(Fact::Camera)) facts.camera = known->cameraModel;
    if (wanted & Bit(Fact::Artist)) facts.artist = known->artist;
    if (wanted & Bit(Fact::Title)) facts.title = known->title;
    if (wanted & Bit(Fact::Album)) facts.album = known->album;
    if (wanted & Bit(Fact::Track)) facts.track = Counted(known->track);
    if (wanted & Bit(Fact::Year)) facts.year = Counted(known->year);
}

void Session::readMissingFacts() {
    factsReadScheduled_ = false;
    // One read at a time; what was missed meanwhile is read when it ends.
    if (factsRead_ || factsMissing_.empty()) return;
    std::vector<std::string> paths(factsMissing_.begin(), factsMissing_.end());
    factsMissing_.clear();
    factsRead_ = std::make_unique<MetadataJob>(metadata_, std::move(paths), factsMissingFields_);
    factsMissingFields_ = 0;
    connect(factsRead_.get(), &MetadataJob::ended, this, &Session::missingFactsRead, Qt::QueuedConnection);
    factsRead_->start();
}

void Session::missingFactsRead() {
    if (!factsRead_ || !factsRead_->hasEnded()) return;
    factsRead_.reset();
    proposeWithReadFacts();
}

void Session::proposeWithReadFacts() {
    // An item that could not be read at all keeps its name with the reason
    // and is not read again before the next change.
    factsReadScheduled_ = true;
    if (previewMode_ == PreviewMode::Live) {
        refreshPreview();
    } else {
        const std::optional<RenameRules> rules = rulesInForce();
        if (rules && extendedRules_->valid() && proposeAnew(0, entries_.count() - 1, *rules)) {
            conflicts_.recheckNow();
        }
    }
    factsMissing_.clear();
    factsMissingFields_ = 0;
    factsReadScheduled_ = false;
}

void Session::settleFacts() {
    if (factsRead_) factsRead_->waitForEnd();
    factsRead_.reset();
    if (!factsMissing_.empty()) {
        MetadataJob read(metadata_, std::vector<std::string>(factsMissing_.begin(), factsMissing_.end()),
                         factsMissingFields_);
        read.waitForEnd();
    }
    proposeWithReadFacts();
}

std::optional<std::vector<std::optional<std::string>>> Session::cachedDatesTaken(
    const std::vector<std::string>& paths) {
    MetadataJob read(metadata_, paths, platform::DateTakenField);
    read.waitForEnd();
    std::vector<std::optional<std::string>> dates;
    dates.reserve(paths.size());
    char text[32];
    for (const MetadataCache::Shared& one : read.results()) {
        if (!one || !one->dateTaken) {
            dates.emplace_back();
            continue;
        }
        const DateTime& d = *one->dateTaken;
        std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                      d.minute, d.second);
        dates.emplace_back(text);
    }
    return dates;
}

}  // namespace kestrix::session
