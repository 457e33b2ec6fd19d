#include "session/folder_cache.h"

#include <cstring>

namespace kestrix::session {

FolderListing::FolderListing(const std::string& folder, const std::function<bool(std::string_view)>& avoid) {
    platform::FolderNames listing = platform::ReadFolderNames(folder);
    readError_ = listing.error;
    stamp_ = listing.stamp;
    lasting_ = listing.lasting;
    if (readError_ != 0) return;
    folds_ = platform::FoldsLetterCase(folder, listing.names, avoid);
    std::uint32_t capacity = 16;
    while (capacity < listing.names.size() * 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    size_t bytes = 0;
    for (const std::string& name : listing.names) bytes += name.size();
    keys_.reserve(bytes);
    for (const std::string& name : listing.names) {
        if (folds_) {
            insert(platform::LetterCaseKey(name));
        } else {
            insert(name);
        }
    }
}

bool FolderListing::locked(std::uint32_t slot, const std::string& path) const {
    if (locked_.empty()) locked_.assign(slots_.size(), -1);
    std::int8_t& known = locked_[slot];
    if (known < 0) known = platform::ItemLocked(path) ? 1 : 0;
    return known == 1;
}

void FolderListing::insert(std::string_view key) {
    const std::size_t fullHash = PathHash{}(key);
    if (find(key, fullHash) != kNone) return;  // two names with one key: the folder holds them as one
    const auto hash = static_cast<std::uint32_t>(fullHash);
    const std::uint32_t mask = slotCount() - 1;
    std::uint32_t i = hash & mask;
    while (slots_[i].size != kNone) i = (i + 1) & mask;
    slots_[i] = Slot{static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()), hash};
    keys_.append(key);
}

std::uint32_t FolderListing::find(std::string_view key, std::size_t fullHash) const {
    if (slots_.empty()) return kNone;
    const auto hash = static_cast<std::uint32_t>(fullHash);
    const std::uint32_t mask = slotCount() - 1;
    for (std::uint32_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.size == kNone) return kNone;
        if (slot.hash == hash && slot.size == key.size() &&
            std::memcmp(keys_.data() + slot.offset, key.data(), key.size()) == 0) {
            return i;
        }
    }
}

std::shared_ptr<const FolderListing> FolderCache::kept(const std::string& folder) {
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return nullptr;
    const FolderListing& listing = *found->second.listing;
    if (!listing.lasting() || platform::ReadFolderStamp(folder) != listing.stamp()) {
        folders_.erase(found);
        return nullptr;
    }
    found->second.used = true;
    return found->second.listing;
}

std::shared_ptr<const FolderListing> FolderCache::read(const std::string& folder,
                                                       const std::function<bool(std::string_view)>& avoid) {
    ++reads_;
    Kept& kept = folders_[folder];
    kept.listing = std::make_shared<const FolderListing>(folder, avoid);
    kept.used = true;
    return kept.listing;
}

void FolderCache::forgetUnused() {
    for (auto it = folders_.begin(); it != folders_.end();) {
        if (it->second.used) {
            it->second.used = false;
            ++it;
        } else {
            it = folders_.erase(it);
        }
    }
}

}  // namespace kestrix::session
