#include "session/run_prediction.h"

#include <cerrno>
#include <map>
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

enum class Holder : std::uint8_t { Outside, Listed, Arrived };

using Names = std::unordered_map<std::string, Holder, PathHash, std::equal_to<>>;
using NameSet = std::unordered_set<std::string, PathHash, std::equal_to<>>;

// One folder as the run would find it at the current point of the run.
struct FolderState {
    int readError = 0;
    int writeError = 0;
    bool folds = false;
    Names names;       // by key: the name itself, or its letter case key where the folder folds case
    NameSet departed;  // keys of items that entries of the run have renamed away

    std::string key(std::string_view name) const {
        return folds ? platform::LetterCaseKey(std::string(name)) : std::string(name);
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
        // Spellings the run will rename to are never looked up (FoldsLetterCase).
        std::unordered_map<std::string_view, std::unordered_set<std::string_view>> targets;
        for (const ListEntry& entry : entries_) {
            if (entry.current != entry.proposed)
                targets[FolderPart(entry.current)].insert(NamePart(entry.proposed));
        }
        for (const ListEntry& entry : entries_) {
            const std::string_view folder = FolderPart(entry.current);
            auto found = folders_.find(folder);
            if (found == folders_.end()) {
                const auto avoided = targets.find(folder);
                found = folders_
                            .emplace(std::string(folder),
                                     load(std::string(folder),
                                          avoided == targets.end() ? nullptr : &avoided->second))
                            .first;
            }
            FolderState& state = found->second;
            const auto held = state.names.find(state.key(NamePart(entry.current)));
            if (held != state.names.end()) held->second = Holder::Listed;
        }
    }

    static FolderState load(const std::string& folder, const std::unordered_set<std::string_view>* avoid) {
        FolderState state;
        platform::FolderNames listing =
            platform::ReadFolderNames(folder.empty() ? std::string("./") : folder);
        state.readError = listing.error;
        if (state.readError != 0) return state;
        state.writeError = platform::FolderWritable(folder.empty() ? std::string(".") : folder);
        state.folds = platform::FoldsLetterCase(folder, listing.names, [avoid](std::string_view spelling) {
            return avoid && avoid->count(spelling) != 0;
        });
        state.names.reserve(listing.names.size());
        for (std::string& name : listing.names) state.names.emplace(state.key(name), Holder::Outside);
        return state;
    }

    FolderState& stateOf(std::string_view folder) {
        auto found = folders_.find(folder);
        if (found == folders_.end())
            found = folders_.emplace(std::string(folder), load(std::string(folder), nullptr)).first;
        return found->second;
    }

    ConflictMark play(const ListEntry& entry) {
        const RunPlanner::Decision decision = planner_.decide(entry.current, entry.proposed);
        if (decision.unchanged()) return {};
        const ConflictMark mark = outcome(decision);
        planner_.settle(decision, !mark.failing());
        return mark;
    }

    // Whether the rename of `decision` succeeds at this point of the run; the
    // folders follow when it does.
    ConflictMark outcome(const RunPlanner::Decision& decision) {
        if (!decision.refused.empty()) return {Conflict::Refused, 0};
        FolderState& source = stateOf(FolderPart(decision.from));
        if (source.readError != 0) {
            return source.readError == ENOENT ? ConflictMark{Conflict::Missing, 0}
                                              : ConflictMark{Conflict::FolderError, source.readError};
        }
        const std::string fromKey = source.key(NamePart(decision.from));
        const auto item = source.names.find(fromKey);
        if (item == source.names.end()) {
            return {source.departed.count(fromKey) ? Conflict::ListedTwice : Conflict::Missing, 0};
        }
        if (source.writeError != 0) return {Conflict::FolderError, source.writeError};

        const bool sameFolder = FolderPart(decision.to) == FolderPart(decision.from);
        FolderState& target = sameFolder ? source : stateOf(FolderPart(decision.to));
        const std::string toKey = target.key(NamePart(decision.to));
        const auto holder = target.names.find(toKey);
        // A change of letter case alone finds the item itself where the folder folds case.
        if (holder != target.names.end() && !(sameFolder && toKey == fromKey)) {
            switch (holder->second) {
                case Holder::Outside:
                    return {Conflict::TakenOutside, 0};
                case Holder::Listed:
                    return {Conflict::TakenByListed, 0};
                case Holder::Arrived:
                    return {Conflict::SameName, 0};
            }
        }
        source.names.erase(item);
        source.departed.insert(fromKey);
        target.names[toKey] = Holder::Arrived;
        moveFoldersInside(decision.from, decision.to);
        return {};
    }

    // A renamed folder takes the folders inside it along.
    void moveFoldersInside(const std::string& from, const std::string& to) {
        const std::string prefix = from + '/';
        std::vector<std::map<std::string, FolderState, std::less<>>::node_type> moved;
        for (auto it = folders_.lower_bound(prefix); it != folders_.end() && it->first.starts_with(prefix);) {
            moved.push_back(folders_.extract(it++));
        }
        for (auto& node : moved) {
            node.key() = to + '/' + node.key().substr(prefix.size());
            folders_.insert(std::move(node));
        }
    }

    const std::vector<ListEntry>& entries_;
    RunPlanner planner_;
    std::map<std::string, FolderState, std::less<>> folders_;
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
    }
    return std::string();
}

std::vector<ConflictMark> PredictWithoutDisk(const std::vector<ListEntry>& entries) {
    std::vector<ConflictMark> marks(entries.size());
    std::unordered_set<std::string_view> proposed;
    proposed.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListEntry& entry = entries[i];
        if (entry.current == entry.proposed) continue;
        if (!RefusedReason(entry.current, entry.proposed).empty()) {
            marks[i].conflict = Conflict::Refused;
        } else if (!proposed.insert(entry.proposed).second) {
            marks[i].conflict = Conflict::SameName;
        }
    }
    return marks;
}

std::optional<std::vector<ConflictMark>> PredictRun(const std::vector<ListEntry>& entries,
                                                    const std::function<bool()>& cancelled) {
    return RunSimulation(entries).run(cancelled);
}

}  // namespace kestrix::session
