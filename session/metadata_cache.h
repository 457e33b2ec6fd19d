#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/repoint.h"
#include "platform/folder_watch.h"
#include "platform/item_metadata.h"

namespace kestrix::session {

// What the files of a session say about themselves, read once per item and
// kept by the item's device and inode, so that an entry renamed by a run is
// not read again; an item whose size or modification time changed is. Each
// item keeps every field read so far: asking for more reads only what is
// missing. Safe to use from several threads at once.
//
// Whether an item changed costs a stat, too much for a second read of ten
// thousand: the folders of the items read are watched, and a plain file of
// one name whose folder has reported nothing about it since it was stat'ed
// is taken as it was.
class MetadataCache {
public:
    using Reader = std::function<platform::ItemMetadata(
        const std::string& path, const platform::MetadataStamp& stamp, platform::MetadataFields wanted)>;

    // What was read of one item; never changed once handed out.
    using Shared = std::shared_ptr<const platform::ItemMetadata>;

    MetadataCache();
    // `reader` reads the files instead of the platform layer (tests give one
    // of their own); it is called from several threads at once.
    explicit MetadataCache(Reader reader) : reader_(std::move(reader)) {}

    // The `wanted` fields of the item at `path`, read here and now where the
    // cache lacks them or they are stale. A path that leads nowhere has none.
    platform::ItemMetadata fieldsOf(const std::string& path, platform::MetadataFields wanted);
    // Learns what the watched folders reported; then fieldsOfCaughtUp() reads
    // many items as fieldsOf() would, as they stood at this moment.
    void catchUp();
    Shared fieldsOfCaughtUp(const std::string& path, platform::MetadataFields wanted);
    // After catchUp(), for many items at one lock: sets `results[i]` for
    // each i in [first, last) whose item is taken as it was with every wanted
    // field read, and gives the indices of the others, for fieldsOfCaughtUp().
    std::vector<std::size_t> takeKnown(const std::vector<std::string>& paths, std::size_t first,
                                       std::size_t last, platform::MetadataFields wanted,
                                       std::vector<Shared>& results);
    // After catchUp(), for many items at one lock and without a stat: the
    // item of each of `paths` that is taken as it was with every wanted field
    // read, null for the others (which only cachedFieldsOfCaughtUp() can
    // tell). Gives changes() as of that moment.
    std::uint64_t trustedFieldsOf(const std::vector<std::string_view>& paths, platform::MetadataFields wanted,
                                  std::vector<Shared>& results);
    // Counts every change of what the cache holds or takes as it was: while
    // it stands, what trustedFieldsOf() gave stays true.
    std::uint64_t changes() const { return changes_.load(std::memory_order_acquire); }
    // Only what the cache holds and is still true of the item: none unless
    // every wanted field was read.
    // The same without catching up with the changes seen (a caller asking for
    // many items calls catchUp() once first) and without a copy; null when
    // not every wanted field was read.
    Shared cachedFieldsOfCaughtUp(const std::string& path, platform::MetadataFields wanted);
    std::optional<platform::ItemMetadata> cachedFieldsOf(const std::string& path,
                                                         platform::MetadataFields wanted);

    // Reads through `reader` from now on (tests hold reads back with it);
    // only while no read goes on.
    void setReader(Reader reader) { reader_ = std::move(reader); }

    std::size_t size() const;
    void clear();

private:
    struct Key {
        std::uint64_t device;
        std::uint64_t inode;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept {
            return std::hash<std::uint64_t>()(key.inode * 0x9E3779B97F4A7C15ull ^ key.device);
        }
    };
    struct Known {
        platform::MetadataStamp stamp;
        Shared metadata;
    };

    void catchUpLocked();

    Reader reader_;
    mutable std::mutex mutex_;
    std::unordered_map<Key, Known, KeyHash> items_;
    platform::FolderWatch watch_;
    // The paths taken as they were, and their items.
    std::unordered_map<std::string, Key, PathHash, std::equal_to<>> trusted_;
    std::atomic<std::uint64_t> changes_{0};
};

}  // namespace kestrix::session
