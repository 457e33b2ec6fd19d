#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kestrix::platform {

// Enough of a file or folder to notice later that the item at a path is no
// longer the one that was there, even where a new item took over the inode
// number of a deleted one. What tells them apart is, by preference, the birth
// time (ext4, XFS, Btrfs, tmpfs), else the inode generation (ext2/ext3
// without birth times). FUSE file systems (exFAT through exfat-fuse, and
// others) and FAT give neither and number items as they are looked up: there
// the same number on the same mount is the same item; otherwise a file is
// known by its size, modification time and a fingerprint of its first bytes,
// and a folder by its number on the same mount, or by its type alone on
// another mount (renaming items inside a folder changes its time).
struct ItemIdentity {
    enum class Type : std::uint8_t { Unknown = 0, File = 1, Folder = 2, Link = 3, Other = 4 };

    Type type = Type::Unknown;
    // The file system keeps an item's inode number for as long as the item
    // exists (not so on FUSE, where numbers go with names and lookups, nor on
    // FAT-like file systems, where they change with every mount).
    bool inodeLasts = false;
    std::uint64_t inode = 0;  // 0 when unknown
    bool hasTimes = false;    // size and modification time known
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool hasBirth = false;
    std::int64_t bornNs = 0;
    bool hasGeneration = false;
    std::uint32_t generation = 0;
    // The mount the item was seen on, unique until the system restarts (0 when unknown).
    std::uint64_t mount = 0;
    // Of a file's first bytes, where nothing better tells files apart.
    bool hasPrint = false;
    std::uint64_t print = 0;

    friend bool operator==(const ItemIdentity&, const ItemIdentity&) = default;
};

// The identity of the item at `path` itself (a link is not followed); none
// when nothing is there.
std::optional<ItemIdentity> IdentifyItem(const std::string& path);

// The identities of many items at once. A folder that holds many of them is
// listed once instead of asking about each item; where a listing cannot tell
// (no inode numbers in it), each item is asked about. An item that is not
// there gets an identity of type Unknown.
std::vector<ItemIdentity> IdentifyItems(const std::vector<std::string_view>& paths);

// The full identity of each item (birth time, generation, mount), one system
// call per item, made relative to its folder; type Unknown where nothing is.
std::vector<ItemIdentity> IdentifyEachItem(const std::vector<std::string_view>& paths);

// Whether `now` may be the item `recorded` was taken of: the same type, and
// the same inode number with the same birth time or generation where the file
// system gives them (the same inode number alone where it keeps them, or
// within one mount), otherwise (for files) the same size and modification
// time.
bool SameItem(const ItemIdentity& recorded, const ItemIdentity& now);

// Identifies items one by one, remembering per device whether its inode
// numbers last, so that each item costs a single system call.
class ItemIdentifier {
public:
    std::optional<ItemIdentity> identify(const std::string& path);

private:
    std::vector<std::pair<std::uint64_t, bool>> devices_;
};

// Whether `a` and `b` are two names (hard links) of one regular file.
bool SameFile(const std::string& a, const std::string& b);

// The names in `folder` exactly as the file system spells them ("." and ".."
// left out); false when the folder cannot be read.
bool NamesIn(const std::string& folder, std::unordered_set<std::string>& names);

}  // namespace kestrix::platform
