#include "run/unusable_journal.h"

#include <cerrno>
#include <set>
#include <unordered_set>

#include "engine/path_parts.h"
#include "platform/error_text.h"
#include "platform/folders.h"
#include "platform/item_identity.h"
#include "platform/rename.h"
#include "platform/state_files.h"
#include "run/journal_format.h"
#include "run/journal_writer.h"

namespace kestrix::run {

namespace {

constexpr std::string_view kUnfinished = ".journal";
constexpr std::string_view kFinished = ".done";

std::string Reason(const platform::RenameResult& result) {
    return result.reason.empty() ? "błąd " + std::to_string(result.error) : result.reason;
}

// The run id a journal's name carries ("<run id>.journal").
std::string RunIdOfName(std::string_view name) {
    for (const std::string_view end : {kUnfinished, kFinished}) {
        if (name.size() > end.size() && name.substr(name.size() - end.size()) == end)
            return std::string(name.substr(0, name.size() - end.size()));
    }
    return std::string();
}

// A run id as NewRunId makes them: hexadecimal digits only.
bool LooksLikeRunId(const std::string& id) {
    if (id.empty() || id.size() > 32) return false;
    for (const char c : id) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::set<std::string> FoldersOf(const JournalContents& contents) {
    std::set<std::string> folders;
    for (const PlanEntry& entry : contents.plan) {
        folders.emplace(FolderPart(entry.current));
        folders.emplace(FolderPart(entry.proposed));
    }
    return folders;
}

class Settler {
public:
    Settler(const JournalContents& contents, std::string runId, UnusableJournal& result)
        : contents_(contents), runId_(std::move(runId)), result_(result), renamer_(runId_) {}

    void settle() {
        std::set<std::string> folders = FoldersOf(contents_);
        for (const StepRecord& step : contents_.openSteps) folders.emplace(FolderPart(step.path));
        for (const StepRecord& step : contents_.openSteps) settleStep(step);
        if (!LooksLikeRunId(runId_)) return;
        for (const std::string& folder : folders) settleFolder(folder);
    }

private:
    void problem(const std::string& path, std::string reason) {
        result_.problems.push_back(SettleProblem{path, std::move(reason)});
    }

    const PlanEntry* entry(std::int64_t index) const {
        if (index < 0 || index >= static_cast<std::int64_t>(contents_.plan.size())) return nullptr;
        return &contents_.plan[static_cast<size_t>(index)];
    }

    void settleStep(const StepRecord& step) {
        const PlanEntry* planned = entry(step.index);
        if (step.kind == platform::Intermediate::Placeholder) {
            // Ours only while the item has not been renamed over it: its old name still holds it.
            if (!planned || !platform::Exists(planned->current)) return;
            if (platform::RemovePlaceholder(step.path).ok) ++result_.settled;
        } else if (step.kind == platform::Intermediate::SecondLink) {
            if (planned && platform::SameFile(planned->current, step.path) &&
                platform::RemoveSecondName(planned->current, step.path).ok) {
                ++result_.settled;
            }
        }
    }

    void settleFolder(const std::string& folder) {
        std::unordered_set<std::string> names;
        if (!platform::NamesIn(folder, names)) return;
        const std::string prefix = platform::IntermediatePrefix(runId_);
        for (const std::string& name : names) {
            if (name.compare(0, prefix.size(), prefix) != 0) continue;
            const std::string rest = name.substr(prefix.size());
            const std::string path = folder + name;
            if (rest.compare(0, 5, "probe") == 0) {
                platform::RemovePlaceholder(path);
                continue;
            }
            settleTemporary(folder, path, rest);
        }
    }

    // "<index>.tmp": the item of entry `index`, parked on its way to another
    // letter case of its name, in its own folder.
    void settleTemporary(const std::string& folder, const std::string& path, const std::string& rest) {
        std::int64_t index = -1;
        if (rest.size() > 4 && rest.size() < 24 && rest.compare(rest.size() - 4, 4, ".tmp") == 0 &&
            rest.find_first_not_of("0123456789") == rest.size() - 4) {
            index = std::stoll(rest.substr(0, rest.size() - 4));
        }
        const PlanEntry* planned = entry(index);
        if (!planned) {
            problem(path, "dziennik nie mówi, jaką nazwę miał ten plik lub katalog");
            return;
        }
        platform::RenameResult result;
        for (const std::string_view name : {NamePart(planned->current), NamePart(planned->proposed)}) {
            result = renamer_.rename(path, folder + std::string(name), index);
            if (result.ok) {
                ++result_.settled;
                return;
            }
            if (result.error != EEXIST) break;
        }
        problem(path, Reason(result));
    }

    const JournalContents& contents_;
    std::string runId_;
    UnusableJournal& result_;
    platform::Renamer renamer_;
};

}  // namespace

bool CutAfterItsRunBegan(const JournalContents& contents) {
    if (!contents.readable || contents.planComplete || !LooksLikeRunId(contents.header.runId)) return false;
    const std::string prefix = platform::IntermediatePrefix(contents.header.runId);
    for (const std::string& folder : FoldersOf(contents)) {
        std::unordered_set<std::string> names;
        if (!platform::NamesIn(folder, names)) continue;
        for (const std::string& name : names) {
            if (name.compare(0, prefix.size(), prefix) == 0) return true;
        }
    }
    return false;
}

UnusableJournal SettleUnusableJournal(const std::string& folder, const std::string& path) {
    UnusableJournal result;
    result.path = path;
    // Held while it is looked at, so that no other start settles it at the same time.
    JournalWriter holder;
    if (!holder.openExisting(path)) return result;
    const JournalContents contents = ReadJournalFile(path);
    if (contents.error == EPERM) {
        result.kind = UnusableJournal::Kind::NotOwn;
        return result;
    }
    if (contents.laterVersion) {
        result.kind = UnusableJournal::Kind::LaterVersion;
        return result;
    }
    if (!contents.damaged && contents.error == 0 && !CutAfterItsRunBegan(contents)) return result;

    result.kind = UnusableJournal::Kind::Damaged;
    const std::string name(NamePart(path));
    const std::string runId = contents.readable ? contents.header.runId : RunIdOfName(name);
    Settler(contents, runId, result).settle();

    // Kept beside the others under a name no start reads again.
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string keptAt =
            folder + name + (attempt == 1 ? std::string() : "-" + std::to_string(attempt)) + ".damaged";
        if (platform::Exists(keptAt)) continue;
        if (holder.renameTo(keptAt)) result.keptAt = keptAt;
        break;
    }
    if (result.keptAt.empty()) {
        result.problems.push_back(
            SettleProblem{path, platform::ErrorText(holder.error() ? holder.error() : EEXIST)});
    }
    return result;
}

}  // namespace kestrix::run
