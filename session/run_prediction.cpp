#include "session/run_prediction.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/name_transform.h"
#include "engine/repoint.h"
#include "platform/error_text.h"
#include "platform/folder_names.h"
#include "platform/folders.h"
#include "run/run_planner.h"
#include "session/folder_cache.h"

namespace kestrix::session {

namespace {

// Who holds a name of a folder at the current point of the run.
enum class Holder : std::uint8_t {
    Outside,   // an item that is not on the list
    Listed,    // the item of an entry, where it was when the run began
    Arrived,   // an item an earlier entry of the run renamed to it
    Departed,  // nobody: an entry of the run renamed its item away
};

// The names of a folder that were not listed, by key. Keys are views of
// strings that outlive the play (the entries, keys made for the folder), so
// that a name costs no allocation; a name is never removed, only marked
// departed.
class NameTable {
public:
    // Room for `names` without growing.
    void reserve(size_t names) {
        size_t capacity = 16;
        while (capacity < names * 2) capacity *= 2;
        if (capacity > slots_.size()) rehash(capacity);
    }

    // `hash` is PathHash's of `key`.
    Holder* find(std::string_view key, size_t hash) {
        if (slots_.empty()) return nullptr;
        for (size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[i];
            if (!slot.used) return nullptr;
            if (slot.hash == hash && slot.key == key) return &slot.holder;
        }
    }

    void set(std::string_view key, size_t hash, Holder holder) {
        if (Holder* held = find(key, hash)) {
            *held = holder;
            return;
        }
        if ((used_ + 1) * 2 > slots_.size()) rehash(std::max<size_t>(16, slots_.size() * 2));
        insert(Slot{key, hash, holder, true});
    }

private:
    struct Slot {
        std::string_view key;
        size_t hash = 0;
        Holder holder = Holder::Outside;
        bool used = false;
    };

    void insert(const Slot& slot) {
        size_t i = slot.hash & (slots_.size() - 1);
        while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = slot;
        ++used_;
    }

    void rehash(size_t capacity) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(capacity, Slot{});
        used_ = 0;
        for (const Slot& slot : old)
            if (slot.used) insert(slot);
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// One folder as the run would find it at the current point of the run: the
// names it held before the run (its listing, which earlier plays may share)
// with who holds each now, and the names that arrived since.
struct FolderState {
    std::string path;  // as it was read
    std::shared_ptr<const FolderListing> listing;
    int writeError = 0;
    std::vector<Holder> held;             // by the listing's slot
    NameTable arrived;                    // names the folder did not hold
    std::deque<std::string> keys;         // letter case keys made for a folder that folds case
    std::vector<std::string_view> avoid;  // while unread: the names its entries are to get
    size_t entries = 0;                   // how many entries the folder holds
    bool aliased = false;                 // reached by more than one path (through a link)
    bool broken = false;                  // a path through a link that an earlier rename broke (no listing)

    void attach(std::shared_ptr<const FolderListing> read) {
        listing = std::move(read);
        if (listing->readError() != 0) return;
        writeError = platform::FolderWritable(path.empty() ? std::string(".") : path);
        held.assign(listing->slotCount(), Holder::Outside);
    }

    int readError() const { return listing->readError(); }

    // `name` lives as long as the play.
    std::string_view key(std::string_view name) {
        if (!listing->folds()) return name;
        return keys.emplace_back(platform::LetterCaseKey(std::string(name)));
    }

    Holder* find(std::string_view key) { return find(key, PathHash{}(key)); }

    // The listing's slot of a name found in it, or kNone for a name that arrived since.
    std::uint32_t slotOf(const Holder* holder) const {
        if (held.empty() || holder < held.data() || holder >= held.data() + held.size())
            return FolderListing::kNone;
        return static_cast<std::uint32_t>(holder - held.data());
    }

    void set(std::string_view key, Holder holder) {
        const size_t hash = PathHash{}(key);
        if (Holder* found = find(key, hash)) {
            *found = holder;
        } else {
            arrived.set(key, hash, holder);
        }
    }

    Holder* find(std::string_view key, size_t hash) {
        const std::uint32_t slot = listing->find(key, hash);
        return slot != FolderListing::kNone ? &held[slot] : arrived.find(key, hash);
    }
};

class RunSimulation {
public:
    RunSimulation(const std::vector<ListEntry>& entries, FolderCache& cache)
        : entries_(entries), planner_(entries), cache_(cache) {}

    std::optional<std::vector<ConflictMark>> run(const std::function<bool()>& cancelled) {
        loadFolders();
        std::vector<ConflictMark> marks(entries_.size());
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (cancelled && i % 1024 == 0 && cancelled()) return std::nullopt;
            marks[i] = play(entries_[i]);
        }
        cache_.forgetUnused();
        return marks;
    }

private:
    // One listing of every folder that holds an entry, before anything moves:
    // the one kept from an earlier play while the folder has not changed,
    // otherwise read now.
    void loadFolders() {
        std::vector<FolderState*> unread;
        for (const ListEntry& entry : entries_) {
            const std::string_view folder = FolderPart(entry.current);
            if (find(folder)) continue;
            FolderState* state = open(std::string(folder));
            if (!state->listing) unread.push_back(state);
        }

        if (!unread.empty()) {
            // The names the entries of an unread folder are to get: they are
            // never looked up to learn how the folder compares letter case
            // (FoldsLetterCase).
            for (const ListEntry& entry : entries_) {
                if (entry.current == entry.proposed) continue;
                FolderState* state = find(FolderPart(entry.current));
                if (!state->listing) state->avoid.push_back(NamePart(entry.proposed));
            }
            for (FolderState* state : unread) {
                const std::vector<std::string_view>& avoid = state->avoid;
                state->attach(cache_.read(readable(state->path), [&avoid](std::string_view spelling) {
                    return std::find(avoid.begin(), avoid.end(), spelling) != avoid.end();
                }));
                state->avoid = {};
            }
        }

        shareLinkedFolders();
        for (const ListEntry& entry : entries_) {
            FolderState* state = find(FolderPart(entry.current));
            ++state->entries;
            if (state->readError() != 0) continue;
            if (Holder* held = state->find(state->key(NamePart(entry.current)))) *held = Holder::Listed;
        }
        // Each entry may bring its new name to its folder.
        for (auto& [path, state] : folders_) state->arrived.reserve(state->entries);
    }

    // A folder reached through a link to another folder of the list is that
    // folder: both paths share one state, so an item renamed through one
    // path is gone from the other.
    void shareLinkedFolders() {
        std::map<std::pair<std::uint64_t, std::uint64_t>, std::shared_ptr<FolderState>> byIdentity;
        for (auto& [path, state] : folders_) {
            if (state->readError() != 0) continue;
            std::string resolved = platform::ResolvedFolder(readable(path));
            if (!resolved.empty() && resolved != readable(path)) {
                byResolved_.emplace(resolved, path);
                linked_.emplace(path, std::move(resolved));
            }
            const platform::FolderStamp& stamp = state->listing->stamp();
            const auto [known, fresh] = byIdentity.emplace(std::pair(stamp.device, stamp.inode), state);
            if (fresh) continue;
            known->second->aliased = true;
            state = known->second;
        }
        last_ = nullptr;
    }

    static std::string readable(const std::string& folder) {
        return folder.empty() ? std::string("./") : folder;
    }

    FolderState* find(std::string_view folder) {
        if (last_ && folder == lastFolder_) return last_;
        const auto found = folders_.find(folder);
        if (found == folders_.end()) return nullptr;
        lastFolder_.assign(folder);
        last_ = found->second.get();
        return last_;
    }

    // The state of a folder not met before in this play, with the listing
    // kept for it if any.
    FolderState* open(std::string folder) {
        auto state = std::make_shared<FolderState>();
        state->path = folder;
        if (std::shared_ptr<const FolderListing> kept = cache_.kept(readable(folder)))
            state->attach(std::move(kept));
        last_ = nullptr;
        return folders_.emplace(std::move(folder), std::move(state)).first->second.get();
    }

    FolderState& stateOf(std::string_view folder) {
        if (FolderState* state = find(folder)) return *state;
        FolderState* state = open(std::string(folder));
        if (!state->listing) state->attach(cache_.read(readable(state->path), {}));
        return *state;
    }

    ConflictMark play(const ListEntry& entry) {
        if (entry.missing != MissingFact::None) return {Conflict::LacksFact};
        run::RunPlanner::Decision& decision = decision_;
        planner_.decide(entry.current, entry.proposed, decision);
        if (decision.unchanged()) return {};
        const ConflictMark mark = outcome(decision, entry.current, NamePart(entry.proposed));
        if (!mark.failing() && decision.holdsOthers) moveFoldersInside(decision.from, decision.to);
        if (!mark.failing() && !linked_.empty()) breakLinksInto(entry.current);
        planner_.settle(decision, !mark.failing());
        return mark;
    }

    // Whether the rename of `decision` succeeds at this point of the run; the
    // names of its folder follow when it does. The decision only re-points
    // folders, so its names are those of the entry, which outlive the play.
    ConflictMark outcome(const run::RunPlanner::Decision& decision, const std::string& current,
                         std::string_view toName) {
        if (!decision.refused.empty()) return {Conflict::Refused, decision.refused};
        const std::string_view fromName = NamePart(current);
        const std::string_view fromFolder = FolderPart(decision.from);
        const std::string_view toFolder = FolderPart(decision.to);
        FolderState& source = stateOf(fromFolder);
        if (source.broken) return {Conflict::LinkBroken};
        if (source.readError() != 0) {
            return source.readError() == ENOENT ? ConflictMark{Conflict::Missing}
                                                : ConflictMark{Conflict::FolderError, source.readError()};
        }
        const std::string_view fromKey = source.key(fromName);
        Holder* item = source.find(fromKey);
        if (!item || *item == Holder::Departed) {
            if (!item) return {Conflict::Missing};
            return {source.aliased && departedThrough(fromFolder, fromKey) ? Conflict::ReachedTwice
                                                                           : Conflict::ListedTwice};
        }
        if (source.writeError != 0) return {Conflict::FolderError, source.writeError};
        // The disk is as it was before the run: the item is still where the list has it.
        if (const std::uint32_t slot = source.slotOf(item);
            slot != FolderListing::kNone && source.listing->locked(slot, current)) {
            return {Conflict::Locked};
        }

        const bool sameFolder = toFolder == fromFolder;
        FolderState& target = sameFolder ? source : stateOf(toFolder);
        const std::string_view toKey = target.key(toName);
        const Holder* holder = target.readError() == 0 ? target.find(toKey) : nullptr;
        // A change of letter case alone finds the item itself where the folder folds case.
        const bool itself = sameFolder && toKey == fromKey;
        if (holder && *holder != Holder::Departed && !itself) {
            switch (*holder) {
                case Holder::Outside:
                    return {Conflict::TakenOutside};
                case Holder::Listed:
                    return {Conflict::TakenByListed};
                default:
                    return {Conflict::SameName};
            }
        }
        *item = Holder::Departed;
        if (source.aliased) departures_[{&source, std::string(fromKey)}] = std::string(fromFolder);
        target.set(toKey, Holder::Arrived);
        return {};
    }

    // Whether the item of `key` left its aliased folder through a path other than `folder`.
    bool departedThrough(std::string_view folder, std::string_view key) {
        const auto departed = departures_.find({find(folder), std::string(key)});
        return departed != departures_.end() && departed->second != folder;
    }

    // A renamed folder takes the folders inside it along.
    void moveFoldersInside(const std::string& from, const std::string& to) {
        const std::string prefix = from + '/';
        std::vector<std::string> inside;
        for (const auto& [folder, state] : folders_)
            if (folder.starts_with(prefix)) inside.push_back(folder);
        for (const std::string& folder : inside) {
            auto node = folders_.extract(folder);
            node.key() = to + '/' + folder.substr(prefix.size());
            folders_.insert(std::move(node));
            if (auto linked = linked_.extract(folder)) {
                linked.key() = to + '/' + folder.substr(prefix.size());
                for (auto [at, end] = byResolved_.equal_range(linked.mapped()); at != end; ++at)
                    if (at->second == folder) at->second = linked.key();
                linked_.insert(std::move(linked));
            }
        }
        last_ = nullptr;
    }

    // The item at `current` was renamed: a folder reached through a link
    // that resolved into it leads nowhere from then on. (The disk is as it
    // was before the run, so the item's path still resolves.)
    void breakLinksInto(const std::string& current) {
        const std::string folder(FolderPart(current));
        const auto holder = linked_.find(folder);
        const std::string inside = (holder != linked_.end() ? holder->second : readable(folder)) +
                                   std::string(NamePart(current)) + '/';
        const std::string moved = current + '/';
        // The resolved paths inside the renamed item sort together, from the item's own on.
        for (auto it = byResolved_.lower_bound(inside);
             it != byResolved_.end() && it->first.starts_with(inside);) {
            if (it->second.starts_with(moved)) {
                ++it;
                continue;
            }
            auto broken = std::make_shared<FolderState>();
            broken->path = it->second;
            broken->broken = true;
            folders_[it->second] = std::move(broken);
            linked_.erase(it->second);
            it = byResolved_.erase(it);
        }
        last_ = nullptr;
    }

    const std::vector<ListEntry>& entries_;
    run::RunPlanner planner_;
    FolderCache& cache_;
    run::RunPlanner::Decision decision_;  // its strings keep their room from entry to entry
    std::unordered_map<std::string, std::shared_ptr<FolderState>, PathHash, std::equal_to<>> folders_;
    FolderState* last_ = nullptr;  // the folder found last, which the next entry usually shares
    // The folders reached through a link that no rename has broken yet, with their paths resolved, and
    // the same by resolved path.
    std::unordered_map<std::string, std::string> linked_;
    std::multimap<std::string, std::string> byResolved_;
    // Items that left a folder reached by several paths: through which path.
    std::map<std::pair<const FolderState*, std::string>, std::string> departures_;
    std::string lastFolder_;
};

}  // namespace

std::string ConflictReason(const ConflictMark& mark, const ListEntry& entry) {
    switch (mark.conflict) {
        case Conflict::None:
            return std::string();
        case Conflict::SameName:
            return "tę samą nazwę otrzyma wcześniej inny element listy";
        case Conflict::TakenOutside:
            return "nazwę ma już plik lub katalog spoza listy";
        case Conflict::TakenByListed:
            return "nazwę ma element listy, który do tej chwili jej nie zwolni";
        case Conflict::Refused:
            return platform::NameFaultText(mark.name);
        case Conflict::Missing:
            return platform::ErrorText(ENOENT);
        case Conflict::ListedTwice:
            return "ten sam element jest wyżej na liście i wcześniej zmieni nazwę";
        case Conflict::FolderError:
            return platform::ErrorText(mark.error);
        case Conflict::LacksFact:
            return std::string(MissingFactReason(entry.missing));
        case Conflict::Locked:
            return "element jest oznaczony jako niezmienny (chattr +i lub +a)";
        case Conflict::ReachedTwice:
            return "ten sam element jest wyżej na liście pod inną ścieżką (przez dowiązanie symboliczne) i "
                   "wcześniej zmieni nazwę";
        case Conflict::LinkBroken:
            return "ścieżka prowadzi przez dowiązanie symboliczne do katalogu, którego nazwę "
                   "wcześniej zmieni inny element listy";
    }
    return std::string();
}

namespace {

// `proposal(i)` gives entry i's proposed path and the fact it lacks.
template <class Proposal>
std::vector<ConflictMark> MarksWithoutDisk(const std::vector<ListEntry>& entries, Proposal proposal) {
    std::vector<ConflictMark> marks(entries.size());
    // The proposed paths met so far, by hash in a table of their own, in list
    // order: no allocation per entry and no sort, which a refresh of many
    // entries would feel. A slot holds the entry's index + 1 (0: free).
    struct Slot {
        std::uint32_t index;
        std::uint32_t hash;
    };
    size_t capacity = 16;
    while (capacity < entries.size() * 2) capacity *= 2;
    std::vector<Slot> slots(capacity, Slot{0, 0});
    std::vector<std::string_view> paths(entries.size());
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListEntry& entry = entries[i];
        const auto [proposed, missing] = proposal(i);
        if (missing != MissingFact::None) {
            marks[i].conflict = Conflict::LacksFact;
            continue;
        }
        if (entry.current == proposed) continue;
        const platform::NameFault refused = run::Refusal(entry.current, proposed);
        if (!refused.empty()) {
            marks[i] = {Conflict::Refused, refused};
            continue;
        }
        paths[i] = proposed;
        // Every entry after the first with its path is marked.
        const size_t hash = PathHash{}(proposed);
        const auto shortHash = static_cast<std::uint32_t>(hash);
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots[at];
            if (slot.index == 0) {
                slot = {static_cast<std::uint32_t>(i + 1), shortHash};
                break;
            }
            if (slot.hash == shortHash && paths[slot.index - 1] == proposed) {
                marks[i].conflict = Conflict::SameName;
                break;
            }
        }
    }
    return marks;
}

}  // namespace

std::vector<ConflictMark> PredictWithoutDisk(const std::vector<ListEntry>& entries) {
    return MarksWithoutDisk(entries, [&](size_t i) {
        return std::pair<std::string_view, MissingFact>(entries[i].proposed, entries[i].missing);
    });
}

std::vector<ConflictMark> PredictWithoutDisk(const std::vector<ListEntry>& entries,
                                             const std::vector<std::uint32_t>& rows,
                                             const std::vector<std::string>& proposed,
                                             const std::vector<MissingFact>& missing) {
    size_t next = 0;
    return MarksWithoutDisk(entries, [&](size_t i) {
        if (next < rows.size() && rows[next] == i) {
            ++next;
            return std::pair<std::string_view, MissingFact>(proposed[next - 1], missing[next - 1]);
        }
        return std::pair<std::string_view, MissingFact>(entries[i].proposed, entries[i].missing);
    });
}

std::optional<std::vector<ConflictMark>> PredictRun(const std::vector<ListEntry>& entries,
                                                    const std::function<bool()>& cancelled,
                                                    FolderCache* cache) {
    if (cache) return RunSimulation(entries, *cache).run(cancelled);
    FolderCache once;
    return RunSimulation(entries, once).run(cancelled);
}

}  // namespace kestrix::session
