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

// The stats of many items at once: each folder is opened once and its items
// are asked about relative to it, on two threads for long lists.
std::vector<ItemStat> StatItems(const std::vector<std::string_view>& paths);

}  // namespace kestrix::platform
