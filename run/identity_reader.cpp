#include "run/identity_reader.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "engine/path_parts.h"

namespace kestrix::run {

IdentityReader::IdentityReader(const std::vector<PlanEntry>& plan)
    : plan_(plan), renamed_(plan.size(), 0), identities_(plan.size()) {
    // Read now, before the run may change a path of its plan.
    std::unordered_map<std::string_view, size_t> byFolder;
    // Entries of one folder usually come together.
    std::string_view lastFolder;
    size_t lastIndex = 0;
    for (size_t i = 0; i < plan_.size(); ++i) {
        const std::string_view folderPart = FolderPart(plan_[i].current);
        if (folders_.empty() || folderPart != lastFolder) {
            const auto [found, added] = byFolder.emplace(folderPart, folders_.size());
            if (added) folders_.emplace_back();
            lastFolder = folderPart;
            lastIndex = found->second;
        }
        Folder& folder = folders_[lastIndex];
        folder.last = static_cast<std::int64_t>(i);
        folder.members.push_back(i);
    }
    std::sort(folders_.begin(), folders_.end(),
              [](const Folder& a, const Folder& b) { return a.last < b.last; });
}

void IdentityReader::start() {
    thread_ = std::thread([this] { read(); });
}

IdentityReader::~IdentityReader() {
    if (thread_.joinable()) finish();
}

void IdentityReader::entryDone(std::int64_t index, bool renamed) {
    renamed_[static_cast<size_t>(index)] = renamed;
    done_.store(index + 1, std::memory_order_release);
}

void IdentityReader::wake() { woken_.notify_one(); }

std::vector<platform::ItemIdentity> IdentityReader::finish(bool reachedOnly) {
    if (!thread_.joinable()) return std::move(identities_);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        reachedOnly_ = reachedOnly;
        finishing_ = true;
    }
    woken_.notify_one();
    thread_.join();
    return std::move(identities_);
}

void IdentityReader::read() {
    try {
        std::vector<std::string_view> paths;
        for (const Folder& folder : folders_) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                woken_.wait(
                    lock, [&] { return finishing_ || done_.load(std::memory_order_acquire) > folder.last; });
            }
            // Past the end of the run, entries it never reached keep their names.
            const std::int64_t done = done_.load(std::memory_order_acquire);
            if (reachedOnly_ && static_cast<std::int64_t>(folder.members.front()) >= done) continue;
            paths.clear();
            for (size_t i : folder.members) {
                const bool renamed = static_cast<std::int64_t>(i) < done && renamed_[i];
                paths.push_back(renamed ? plan_[i].proposed : plan_[i].current);
            }
            const std::vector<platform::ItemIdentity> found = platform::IdentifyItems(paths);
            for (size_t k = 0; k < folder.members.size(); ++k) identities_[folder.members[k]] = found[k];
        }
    } catch (...) {
        // Identities help undo notice changes; without them it goes by names alone.
    }
}

}  // namespace kestrix::run
