#include "session/run_prediction.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/name_transform.h"
#include "engine/repoint.h"
#include "platform/error_text.h"
#include "platform/folder_names.h"
#include "session/run_planner.h"

namespace kestrix::session {

namespace {

// Who holds a name of a folder at the current point of the run.
enum class Holder : std::uint8_t {
    Outside,   // an item that is not on the list
    Listed,    // the item of an entry, where it was when the run began
    Arrived,   // an item an earlier entry of the run renamed to it
    Departed,  // nobody: an entry of the run renamed its item away
};

// The names of one folder by key. Keys are views of strings that outlive the
// play (the listing, the entries, keys made for the folder), so that a name
// costs no allocation; a name is never removed, only marked departed.
class NameTable {
public:
    void reserve(size_t names) {
        size_t capacity = 16;
        while (capacity < names * 2) capacity *= 2;
        slots_.assign(capacity, Slot{});
    }

    Holder* find(std::string_view key) {
        if (slots_.empty()) return nullptr;
        const size_t hash = PathHash{}(key);
        for (size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[i];
            if (!slot.used) return nullptr;
            if (slot.hash == hash && slot.key == key) return &slot.holder;
        }
    }

    void set(std::string_view key, Holder holder) {
        if (Holder* held = find(key)) {
            *held = holder;
            return;
        }
        if ((used_ + 1) * 2 > slots_.size()) grow();
        const size_t hash = PathHash{}(key);
        size_t i = hash & (slots_.size() - 1);
        while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = Slot{key, hash, holder, true};
        ++used_;
    }

private:
    struct Slot {
        std::string_view key;
        size_t hash = 0;
        Holder holder = Holder::Outside;
        bool used = false;
    };

    void grow() {
        std::vector<Slot> old = std::move(slots_);
        reserve(std::max<size_t>(used_ + 1, old.size()));
        used_ = 0;
        for (const Slot& slot : old)
            if (slot.used) set(slot.key, slot.holder);
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// One folder as the run would find it at the current point of the run.
struct FolderState {
    int readError = 0;
    int writeError = 0;
    bool folds = false;
    std::vector<std::string> listed;  // the names the folder held before the run
    std::deque<std::string> keys;     // letter case keys made for a folder that folds case
    NameTable names;

    // `name` lives as long as the play.
    std::string_view key(std::string_view name) {
        if (!folds) return name;
        return keys.emplace_back(platform::LetterCaseKey(std::string(name)));
    }
};

class RunSimulation {
public:
    explicit RunSimulation(const std::vector<ListEntry>& entries) : entries_(entries), planner_(entries) {}

    std::optional<std::vector<ConflictMark>> run(const std::function<bool()>& cancelled) {
        loadFolders();
        std::vector<ConflictMark> marks(entries_.size());
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (cancelled && i % 1024 == 0 && cancelled()) return std::nullopt;
            marks[i] = play(entries_[i]);
        }
        return marks;
    }

private:
    // One listing of every folder that holds an entry, before anything moves.
    void loadFolders() {
        // The names each folder's entries are to get: they are never looked up
        // to learn how the folder compares letter case (FoldsLetterCase).
        std::unordered_map<std::string_view, std::vector<std::string_view>> targets;
        std::vector<std::string_view>* lastTargets = nullptr;
        std::string_view lastFolder;
        for (const ListEntry& entry : entries_) {
            if (entry.current == entry.proposed) continue;
            const std::string_view folder = FolderPart(entry.current);
            if (!lastTargets || folder != lastFolder) {
                lastTargets = &targets[folder];
                lastFolder = folder;
            }
            lastTargets->push_back(NamePart(entry.proposed));
        }

        for (const ListEntry& entry : entries_) {
            const std::string_view folder = FolderPart(entry.current);
            FolderState* state = find(folder);
            if (!state) {
                const auto avoided = targets.find(folder);
                state = add(std::string(folder), avoided == targets.end() ? nullptr : &avoided->second);
            }
            const std::string_view key = state->key(NamePart(entry.current));
            if (Holder* held = state->names.find(key)) *held = Holder::Listed;
        }
    }

    FolderState* find(std::string_view folder) {
        if (last_ && folder == lastFolder_) return last_;
        const auto found = folders_.find(folder);
        if (found == folders_.end()) return nullptr;
        lastFolder_.assign(folder);
        last_ = found->second.get();
        return last_;
    }

    FolderState* add(std::string folder, const std::vector<std::string_view>* avoid) {
        auto state = std::make_unique<FolderState>();
        platform::FolderNames listing =
            platform::ReadFolderNames(folder.empty() ? std::string("./") : folder);
        state->readError = listing.error;
        if (state->readError == 0) {
            state->writeError = platform::FolderWritable(folder.empty() ? std::string(".") : folder);
            state->folds =
                platform::FoldsLetterCase(folder, listing.names, [avoid](std::string_view spelling) {
                    return avoid && std::find(avoid->begin(), avoid->end(), spelling) != avoid->end();
                });
            state->listed = std::move(listing.names);
            state->names.reserve(state->listed.size());
            for (const std::string& name : state->listed) state->names.set(state->key(name), Holder::Outside);
        }
        last_ = nullptr;
        return folders_.emplace(std::move(folder), std::move(state)).first->second.get();
    }

    FolderState& stateOf(std::string_view folder) {
        FolderState* state = find(folder);
        return state ? *state : *add(std::string(folder), nullptr);
    }

    ConflictMark play(const ListEntry& entry) {
        if (entry.missing != MissingFact::None) return {Conflict::LacksFact, 0};
        RunPlanner::Decision& decision = decision_;
        planner_.decide(entry.current, entry.proposed, decision);
        if (decision.unchanged()) return {};
        const ConflictMark mark = outcome(decision, NamePart(entry.current), NamePart(entry.proposed));
        if (!mark.failing() && decision.holdsOthers) moveFoldersInside(decision.from, decision.to);
        planner_.settle(decision, !mark.failing());
        return mark;
    }

    // Whether the rename of `decision` succeeds at this point of the run; the
    // names of its folder follow when it does. The decision only re-points
    // folders, so its names are those of the entry, which outlive the play.
    ConflictMark outcome(const RunPlanner::Decision& decision, std::string_view fromName,
                         std::string_view toName) {
        if (!decision.refused.empty()) return {Conflict::Refused, 0};
        const std::string_view fromFolder = FolderPart(decision.from);
        const std::string_view toFolder = FolderPart(decision.to);
        FolderState& source = stateOf(fromFolder);
        if (source.readError != 0) {
            return source.readError == ENOENT ? ConflictMark{Conflict::Missing, 0}
                                              : ConflictMark{Conflict::FolderError, source.readError};
        }
        const std::string_view fromKey = source.key(fromName);
        Holder* item = source.names.find(fromKey);
        if (!item || *item == Holder::Departed) {
            return {item ? Conflict::ListedTwice : Conflict::Missing, 0};
        }
        if (source.writeError != 0) return {Conflict::FolderError, source.writeError};

        const bool sameFolder = toFolder == fromFolder;
        FolderState& target = sameFolder ? source : stateOf(toFolder);
        const std::string_view toKey = target.key(toName);
        const Holder* holder = target.names.find(toKey);
        // A change of letter case alone finds the item itself where the folder folds case.
        const bool itself = sameFolder && toKey == fromKey;
        if (holder && *holder != Holder::Departed && !itself) {
            switch (*holder) {
                case Holder::Outside:
                    return {Conflict::TakenOutside, 0};
                case Holder::Listed:
                    return {Conflict::TakenByListed, 0};
                default:
                    return {Conflict::SameName, 0};
            }
        }
        *item = Holder::Departed;
        target.names.set(toKey, Holder::Arrived);
        return {};
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
        }
        last_ = nullptr;
    }

    const std::vector<ListEntry>& entries_;
    RunPlanner planner_;
    RunPlanner::Decision decision_;  // its strings keep their room from entry to entry
    std::unordered_map<std::string, std::unique_ptr<FolderState>, PathHash, std::equal_to<>> folders_;
    FolderState* last_ = nullptr;  // the folder found last, which the next entry usually shares
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
            return RefusedReason(entry.current, entry.proposed);
        case Conflict::Missing:
            return platform::ErrorText(ENOENT);
        case Conflict::ListedTwice:
            return "ten sam element jest wyżej na liście i wcześniej zmieni nazwę";
        case Conflict::FolderError:
            return platform::ErrorText(mark.error);
        case Conflict::LacksFact:
            return std::string(MissingFactReason(entry.missing));
    }
    return std::string();
}

std::vector<ConflictMark> PredictWithoutDisk(const std::vector<ListEntry>& entries) {
    std::vector<ConflictMark> marks(entries.size());
    // The proposed paths by hash, then equal hashes compared in full: no
    // allocation per entry, which a refresh of many entries would feel.
    struct Proposal {
        size_t hash;
        std::uint32_t index;
    };
    std::vector<Proposal> proposals;
    proposals.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListEntry& entry = entries[i];
        if (entry.missing != MissingFact::None) {
            marks[i].conflict = Conflict::LacksFact;
            continue;
        }
        if (entry.current == entry.proposed) continue;
        if (!RefusedReason(entry.current, entry.proposed).empty()) {
            marks[i].conflict = Conflict::Refused;
        } else {
            proposals.push_back({PathHash{}(entry.proposed), static_cast<std::uint32_t>(i)});
        }
    }
    std::sort(proposals.begin(), proposals.end(), [](const Proposal& a, const Proposal& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.index < b.index;
    });
    for (size_t first = 0; first < proposals.size();) {
        size_t end = first + 1;
        while (end < proposals.size() && proposals[end].hash == proposals[first].hash) ++end;
        // Within one hash, every entry after the first with its path is marked.
        for (size_t i = first + 1; i < end; ++i) {
            const std::string& path = entries[proposals[i].index].proposed;
            for (size_t j = first; j < i; ++j) {
                if (entries[proposals[j].index].proposed == path) {
                    marks[proposals[i].index].conflict = Conflict::SameName;
                    break;
                }
            }
        }
        first = end;
    }
    return marks;
}

std::optional<std::vector<ConflictMark>> PredictRun(const std::vector<ListEntry>& entries,
                                                    const std::function<bool()>& cancelled) {
    return RunSimulation(entries).run(cancelled);
}

}  // namespace kestrix::session
