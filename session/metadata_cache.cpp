#include "session/metadata_cache.h"

#include <vector>

#include "engine/path_parts.h"

namespace kestrix::session {

namespace {

using platform::ItemMetadata;
using platform::MetadataFields;

// Copies the fields `fields` of `from` into `to`.
void Merge(ItemMetadata& to, const ItemMetadata& from, MetadataFields fields) {
    using namespace platform;
    if (fields & SizeField) to.size = from.size;
    if (fields & ModifiedField) to.modifiedNs = from.modifiedNs;
    if (fields & DateTakenField) to.dateTaken = from.dateTaken;
    if (fields & CameraMakeField) to.cameraMake = from.cameraMake;
    if (fields & CameraModelField) to.cameraModel = from.cameraModel;
    if (fields & LensModelField) to.lensModel = from.lensModel;
    if (fields & PixelSizeField) {
        to.pixelWidth = from.pixelWidth;
        to.pixelHeight = from.pixelHeight;
    }
    if (fields & ArtistField) to.artist = from.artist;
    if (fields & TitleField) to.title = from.title;
    if (fields & AlbumField) to.album = from.album;
    if (fields & TrackField) to.track = from.track;
    if (fields & YearField) to.year = from.year;
    to.asked |= fields;
}

}  // namespace

MetadataCache::MetadataCache()
    : reader_([](const std::string& path, const platform::MetadataStamp& stamp, MetadataFields wanted) {
          return platform::ReadItemMetadata(path, stamp, wanted);
      }) {}

ItemMetadata MetadataCache::fieldsOf(const std::string& path, MetadataFields wanted) {
    catchUp();
    return *fieldsOfCaughtUp(path, wanted);
}

void MetadataCache::catchUp() {
    const std::lock_guard lock(mutex_);
    catchUpLocked();
}

void MetadataCache::catchUpLocked() {
    std::vector<platform::FolderWatch::Change> changes;
    if (!watch_.takeChanges(changes)) {
        trusted_.clear();
        changes_.fetch_add(1, std::memory_order_release);
        return;
    }
    if (!changes.empty()) changes_.fetch_add(1, std::memory_order_release);
    for (const platform::FolderWatch::Change& change : changes) {
        if (!change.name.empty()) {
            trusted_.erase(change.folder + change.name);
            continue;
        }
        std::erase_if(trusted_, [&](const auto& item) { return FolderPart(item.first) == change.folder; });
    }
}

MetadataCache::Shared MetadataCache::fieldsOfCaughtUp(const std::string& path, MetadataFields wanted) {
    const std::string folder(FolderPart(path));
    bool watched = false;
    {
        const std::lock_guard lock(mutex_);
        const auto trusted = trusted_.find(path);
        if (trusted != trusted_.end()) {
            const auto it = items_.find(trusted->second);
            if (it != items_.end() && !(wanted & ~it->second.metadata->asked)) return it->second.metadata;
        }
        // Watched before the stat, so that no change after it goes unseen.
        watched = watch_.watch(folder);
    }
    const std::optional<platform::MetadataStamp> stamp = platform::StampOf(path);
    if (!stamp) {
        auto none = std::make_shared<ItemMetadata>();
        none->asked = wanted;
        return none;
    }
    const bool trust = watched && platform::IsSingleLinkFile(path);
    const Key key{stamp->device, stamp->inode};
    MetadataFields missing = wanted;
    {
        const std::lock_guard lock(mutex_);
        const auto it = items_.find(key);
        if (it != items_.end() && it->second.stamp == *stamp) {
            missing &= ~it->second.metadata->asked;
            if (!missing) {
                if (trust) {
                    trusted_[path] = key;
                    changes_.fetch_add(1, std::memory_order_release);
                }
                return it->second.metadata;
            }
        }
    }
    // Read without the lock, so that the other threads read too.
    const ItemMetadata read = reader_(path, *stamp, missing);
    const std::lock_guard lock(mutex_);
    Known& known = items_[key];
    // Copied on change: a reader may hold the one before.
    auto merged = std::make_shared<ItemMetadata>(known.stamp == *stamp && known.metadata ? *known.metadata
                                                                                         : ItemMetadata{});
    Merge(*merged, read, missing);
    known = Known{*stamp, std::move(merged)};
    if (trust) trusted_[path] = key;
    changes_.fetch_add(1, std::memory_order_release);
    return known.metadata;
}

std::vector<std::size_t> MetadataCache::takeKnown(const std::vector<std::string>& paths, std::size_t first,
                                                  std::size_t last, MetadataFields wanted,
                                                  std::vector<Shared>& results) {
    std::vector<std::size_t> unknown;
    const std::lock_guard lock(mutex_);
    for (std::size_t i = first; i < last; ++i) {
        const auto trusted = trusted_.find(paths[i]);
        if (trusted != trusted_.end()) {
            const auto it = items_.find(trusted->second);
            if (it != items_.end() && !(wanted & ~it->second.metadata->asked)) {
                results[i] = it->second.metadata;
                continue;
            }
        }
        unknown.push_back(i);
    }
    return unknown;
}

std::uint64_t MetadataCache::trustedFieldsOf(const std::vector<std::string_view>& paths,
                                             MetadataFields wanted, std::vector<Shared>& results) {
    results.assign(paths.size(), nullptr);
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto trusted = trusted_.find(paths[i]);
        if (trusted == trusted_.end()) continue;
        const auto it = items_.find(trusted->second);
        if (it != items_.end() && !(wanted & ~it->second.metadata->asked)) results[i] = it->second.metadata;
    }
    return changes_.load(std::memory_order_relaxed);
}

std::optional<ItemMetadata> MetadataCache::cachedFieldsOf(const std::string& path, MetadataFields wanted) {
    const std::lock_guard lock(mutex_);
    catchUpLocked();
    const auto trusted = trusted_.find(path);
    if (trusted != trusted_.end()) {
        const auto it = items_.find(trusted->second);
        if (it != items_.end() && !(wanted & ~it->second.metadata->asked)) return *it->second.metadata;
    }
    const std::optional<platform::MetadataStamp> stamp = platform::StampOf(path);
    if (!stamp) return std::nullopt;
    const auto it = items_.find(Key{stamp->device, stamp->inode});
    if (it == items_.end() || it->second.stamp != *stamp || (wanted & ~it->second.metadata->asked))
        return std::nullopt;
    return *it->second.metadata;
}

MetadataCache::Shared MetadataCache::cachedFieldsOfCaughtUp(const std::string& path, MetadataFields wanted) {
    const std::lock_guard lock(mutex_);
    const auto trusted = trusted_.find(path);
    if (trusted != trusted_.end()) {
        const auto it = items_.find(trusted->second);
        if (it != items_.end() && !(wanted & ~it->second.metadata->asked)) return it->second.metadata;
    }
    const std::optional<platform::MetadataStamp> stamp = platform::StampOf(path);
    if (!stamp) return nullptr;
    const auto it = items_.find(Key{stamp->device, stamp->inode});
    if (it == items_.end() || it->second.stamp != *stamp || (wanted & ~it->second.metadata->asked)) {
        return nullptr;
    }
    return it->second.metadata;
}

std::size_t MetadataCache::size() const {
    const std::lock_guard lock(mutex_);
    return items_.size();
}

void MetadataCache::clear() {
    const std::lock_guard lock(mutex_);
    items_.clear();
    trusted_.clear();
    changes_.fetch_add(1, std::memory_order_release);
}

}  // namespace kestrix::session
