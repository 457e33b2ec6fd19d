#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// Orders of a list's entries by one key each. Every order is stable (entries
// with equal keys keep their order, descending too) and is given as, for each
// new position, the old position of the entry that goes there.

// Keys compared as bytes (NaturalSortKey gives such keys).
std::vector<std::size_t> OrderByText(const std::vector<std::string>& keys, bool descending);

// Numbers (sizes, times); entries without one come after the others in either
// direction, in their own order.
std::vector<std::size_t> OrderByNumber(const std::vector<std::optional<std::int64_t>>& keys, bool descending);

// Dates taken, as texts whose bytes sort in time order ("2024:07:15 10:31:02");
// entries without one come after the others in either direction, in the
// ascending order of their `nameKeys`.
std::vector<std::size_t> OrderByDateTaken(const std::vector<std::optional<std::string>>& dates,
                                          const std::vector<std::string>& nameKeys, bool descending);

// Whether `order` leaves every entry where it is.
bool KeepsPlaces(const std::vector<std::size_t>& order);

}  // namespace kestrix
