#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/repoint.h"
#include "platform/folder_names.h"

namespace kestrix::session {

// One folder's names as they were read, with what was learned from them: the
// errno of a folder that could not be read, and whether the folder holds names
// equal but for letter case as one (its names are then kept as their letter
// case keys). Each name has a slot, so that a prediction can keep the state of
// every name in an array of its own.
class FolderListing {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    FolderListing(const std::string& folder, const std::function<bool(std::string_view)>& avoid);

    int readError() const { return readError_; }
    bool folds() const { return folds_; }
    // Whether the names stay true while the folder's stamp equals `stamp()`.
    bool lasting() const { return lasting_; }
    const platform::FolderStamp& stamp() const { return stamp_; }

    // The slot of the name with `key`, or kNone; slots run below slotCount().
    // `hash` is PathHash's of `key`.
    std::uint32_t find(std::string_view key, std::size_t hash) const;
    std::uint32_t find(std::string_view key) const { return find(key, PathHash{}(key)); }
    std::uint32_t slotCount() const { return static_cast<std::uint32_t>(slots_.size()); }

    // Whether the item of `slot`, at `path`, is immutable or append-only:
    // asked of the disk once per listing, since a stat per entry at every
    // keystroke would cost more than the whole listing. (Changing the
    // attribute moves no stamp of the folder: the answer holds until the
    // folder is read again.)
    bool locked(std::uint32_t slot, const std::string& path) const;

private:
    struct Slot {
        std::uint32_t offset = 0;
        std::uint32_t size = kNone;  // kNone: the slot is free
        std::uint32_t hash = 0;
    };

    void insert(std::string_view key);

    int readError_ = 0;
    bool folds_ = false;
    bool lasting_ = false;
    platform::FolderStamp stamp_;
    std::string keys_;  // every key, one after the other
    std::vector<Slot> slots_;
    // By slot: -1 not asked yet, else whether locked. Filled by the one thread using the cache.
    mutable std::vector<std::int8_t> locked_;
};

// The listings of the folders a prediction read, kept for the next one: a
// folder is read again only when its stamp has moved since (something was
// made, removed or renamed in it, or another folder took its place), or when
// its stamp could not tell (see platform::FolderNames::lasting). Used by one
// thread at a time.
class FolderCache {
public:
    // The listing of `folder` as it stands now: the kept one while the
    // folder's stamp says it still holds, otherwise null.
    std::shared_ptr<const FolderListing> kept(const std::string& folder);
    // Reads `folder` anew (`avoid` as for platform::FoldsLetterCase) and keeps it.
    std::shared_ptr<const FolderListing> read(const std::string& folder,
                                              const std::function<bool(std::string_view)>& avoid);
    // Forgets the folders neither kept nor read since the last call.
    void forgetUnused();

    // How many folders have been read so far.
    std::uint64_t reads() const { return reads_; }

private:
    struct Kept {
        std::shared_ptr<const FolderListing> listing;
        bool used = true;
    };
    std::unordered_map<std::string, Kept, PathHash, std::equal_to<>> folders_;
    std::uint64_t reads_ = 0;
};

}  // namespace kestrix::session
