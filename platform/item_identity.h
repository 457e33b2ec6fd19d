#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kestrix::platform {

// Enough of a file or folder to notice later that the item at a path is no
// longer the one that was there.
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

    friend bool operator==(const ItemIdentity&, const ItemIdentity&) = default;
};

// The identity of the item at `path` itself (a link is not followed); none
// when nothing is there.
std::optional<ItemIdentity> IdentifyItem(const std::string& path);
// The same without asking the file system whether its numbers last
// (inodeLasts stays false): one call instead of two, enough for the `now` of
// SameItem, which goes by what the recorded identity says of that.
std::optional<ItemIdentity> IdentifyItemNow(const std::string& path);

// The identities of many items at once. A folder that holds many of them is
// listed once instead of asking about each item; where a listing cannot tell
// (no inode numbers in it), each item is asked about. An item that is not
// there gets an identity of type Unknown.
std::vector<ItemIdentity> IdentifyItems(const std::vector<std::string_view>& paths);

// Whether `now` may be the item `recorded` was taken of: the same type, and
// the same inode number where the file system keeps them, otherwise (for
// files) the same size and modification time.
bool SameItem(const ItemIdentity& recorded, const ItemIdentity& now);

// Whether `a` and `b` are two names (hard links) of one regular file.
bool SameFile(const std::string& a, const std::string& b);

// The names in `folder` exactly as the file system spells them ("." and ".."
// left out); false when the folder cannot be read.
bool NamesIn(const std::string& folder, std::unordered_set<std::string>& names);

}  // namespace kestrix::platform
