#include "duplicates.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace kestrix {

namespace {

std::size_t EntryHash(const ListEntry& entry) {
    const std::size_t a = std::hash<std::string_view>{}(entry.current);
    const std::size_t b = std::hash<std::string_view>{}(entry.proposed);
    return a ^ (b + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
}

}  // namespace

bool RemoveDuplicateEntries(std::vector<ListEntry>& entries) {
    const std::size_t count = entries.size();
    if (count < 2) return false;

    // Open addressing over entry indices, at most half full. Entries are only
    // compared here, never moved, until every duplicate is known.
    const std::size_t slots = std::bit_ceil(count * 2);
    const std::size_t mask = slots - 1;
    constexpr std::uint32_t kEmpty = UINT32_MAX;
    std::vector<std::uint32_t> table(slots, kEmpty);
    std::vector<std::size_t> hashes(count);
    std::vector<bool> keep(count, true);
    bool removed = false;

    for (std::size_t i = 0; i < count; ++i) {
        hashes[i] = EntryHash(entries[i]);
        std::size_t slot = hashes[i] & mask;
        while (true) {
            const std::uint32_t seen = table[slot];
            if (seen == kEmpty) {
                table[slot] = static_cast<std::uint32_t>(i);
                break;
            }
            if (hashes[seen] == hashes[i] && entries[seen] == entries[i]) {
                keep[i] = false;
                removed = true;
                break;
            }
            slot = (slot + 1) & mask;
        }
    }
    if (!removed) return false;

    std::size_t out = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!keep[i]) continue;
        if (out != i) entries[out] = std::move(entries[i]);
        ++out;
    }
    entries.resize(out);
    return true;
}

}  // namespace kestrix
