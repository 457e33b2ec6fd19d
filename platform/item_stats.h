#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrix::platform {

// What the file system says of an item itself (a link is not followed).
struct ItemStat {
    bool known = false;  // false when nothing is at the path, or it cannot be asked about
    bool isFolder = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;  // nanoseconds since the epoch
};

// The stats of many items at once, in any order of the paths: the items are
// asked about folder by folder (each folder opened once, its items looked up
// relative to it, so that a cold disk reads each folder's inodes together),
// on two threads for long lists.
std::vector<ItemStat> StatItems(const std::vector<std::string_view>& paths);

}  // namespace kestrix::platform
