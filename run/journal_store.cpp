#include "run/journal_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "platform/state_files.h"

namespace kestrix::run {

namespace {

constexpr std::string_view kUnfinished = ".journal";
constexpr std::string_view kFinished = ".done";

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> NamesEndingWith(const std::string& folder, std::string_view end) {
    std::vector<std::string> names;
    for (std::string& name : platform::FileNamesIn(folder)) {
        if (EndsWith(name, end)) names.push_back(std::move(name));
    }
    // Run ids are fixed-width hexadecimal: byte order is time order.
    std::sort(names.rbegin(), names.rend());
    return names;
}

bool Trusted(const std::string& folder, const std::string& name) {
    return platform::FilePrivacy(folder + name) == platform::Privacy::Private;
}

// Names of journals in a folder that is the user's own and private; none otherwise.
std::vector<std::string> OwnNamesEndingWith(const std::string& folder, std::string_view end) {
    if (platform::FolderPrivacy(folder) != platform::Privacy::Private) return {};
    std::vector<std::string> names = NamesEndingWith(folder, end);
    std::erase_if(names, [&folder](const std::string& name) { return !Trusted(folder, name); });
    return names;
}

}  // namespace

std::string DefaultJournalFolder() { return platform::StateFolder(); }

std::string NewRunId() {
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    std::random_device random;
    char id[32];
    std::snprintf(id, sizeof id, "%014llx%04x", static_cast<unsigned long long>(micros), random() & 0xFFFF);
    return id;
}

std::string UnfinishedJournalPath(const std::string& folder, const std::string& runId) {
    return folder + runId + std::string(kUnfinished);
}

std::string FinishedJournalPath(const std::string& folder, const std::string& runId) {
    return folder + runId + std::string(kFinished);
}

std::vector<std::string> UnfinishedJournals(const std::string& folder) {
    std::vector<std::string> paths;
    for (const std::string& name : OwnNamesEndingWith(folder, kUnfinished)) {
        const std::string path = folder + name;
        if (!platform::IsLocked(path)) paths.push_back(path);
    }
    return paths;
}

std::optional<std::string> LastFinishedJournal(const std::string& folder) {
    const std::vector<std::string> names = OwnNamesEndingWith(folder, kFinished);
    if (names.empty()) return std::nullopt;
    return folder + names.front();
}

void RemoveAbandonedJournalStarts(const std::string& folder) {
    if (platform::FolderPrivacy(folder) != platform::Privacy::Private) return;
    for (const std::string& name : NamesEndingWith(folder, ".journal.new")) {
        const std::string path = folder + name;
        int ignored = 0;
        if (name[0] == '.' && Trusted(folder, name) && !platform::IsLocked(path))
            platform::RemoveFile(path, ignored);
    }
}

UntrustedJournals FindUntrustedJournals(const std::string& folder) {
    UntrustedJournals found;
    const platform::Privacy folderPrivacy = platform::FolderPrivacy(folder);
    if (folderPrivacy == platform::Privacy::Missing) return found;
    if (folderPrivacy != platform::Privacy::Private) {
        found.folder = true;
        return found;
    }
    for (const std::string_view end : {kUnfinished, kFinished}) {
        for (const std::string& name : NamesEndingWith(folder, end)) {
            if (!Trusted(folder, name)) found.journals.push_back(folder + name);
        }
    }
    return found;
}

}  // namespace kestrix::run
