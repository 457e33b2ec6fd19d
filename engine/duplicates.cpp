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
    std::uint32_t position;  // position of the first of its equal entries; kEmpty for a free slot
};
constexpr std::uint32_t kEmpty = UINT32_MAX;

}  // namespace

std::vector<std::size_t> DuplicatePositions(const std::vector<ListEntry>& entries) {
    std::vector<std::size_t> duplicates;
    const std::size_t count = entries.size();
    if (count < 2) return duplicates;

    // One pass: every entry is looked up among the earlier distinct entries.
    // Open addressing, at most half full.
    const std::size_t mask = std::bit_ceil(count * 2) - 1;
    std::vector<Slot> table(mask + 1, Slot{0, kEmpty});

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
        if (duplicate) {
            duplicates.push_back(i);
        } else {
            table[slot] = Slot{tag, static_cast<std::uint32_t>(i)};
        }
    }
    return duplicates;
}

bool RemoveDuplicateEntries(std::vector<ListEntry>& entries) {
    const std::vector<std::size_t> duplicates = DuplicatePositions(entries);
    if (duplicates.empty()) return false;
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (next < duplicates.size() && duplicates[next] == i) {
            ++next;
            continue;
        }
        if (kept != i) entries[kept] = std::move(entries[i]);
        ++kept;
    }
    entries.resize(kept);
    return true;
}

}  // namespace kestrix
