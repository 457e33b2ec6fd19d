#include "duplicates.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace kestrix {

namespace {

std::uint64_t EntryHash(const ListEntry& entry) {
    const std::uint64_t a = std::hash<std::string_view>{}(entry.current);
    const std::uint64_t b = std::hash<std::string_view>{}(entry.proposed);
    return a ^ (b + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
}

struct Slot {
    std::uint32_t hash;      // upper half of the entry's hash, to skip most comparisons
    std::uint32_t position;  // where the entry now stands; kEmpty for a free slot
};
constexpr std::uint32_t kEmpty = UINT32_MAX;

}  // namespace

bool RemoveDuplicateEntries(std::vector<ListEntry>& entries) {
    const std::size_t count = entries.size();
    if (count < 2) return false;

    // One pass: every entry is looked up among the entries kept so far and,
    // when new, moved down to its final position at once. The table refers to
    // final positions, which never move again. Open addressing, at most half
    // full.
    const std::size_t mask = std::bit_ceil(count * 2) - 1;
    std::vector<Slot> table(mask + 1, Slot{0, kEmpty});
    std::size_t kept = 0;

    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t hash = EntryHash(entries[i]);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        std::size_t slot = hash & mask;
        bool duplicate = false;
        while (table[slot].position != kEmpty) {
            if (table[slot].hash == tag && entries[table[slot].position] == entries[i]) {
                duplicate = true;
                break;
            }
            slot = (slot + 1) & mask;
        }
        if (duplicate) continue;
        table[slot] = Slot{tag, static_cast<std::uint32_t>(kept)};
        if (kept != i) entries[kept] = std::move(entries[i]);
        ++kept;
    }
    if (kept == count) return false;
    entries.resize(kept);
    return true;
}

}  // namespace kestrix
