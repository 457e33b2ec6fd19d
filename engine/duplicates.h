#pragma once

#include <cstddef>
#include <vector>

#include "list_entry.h"

namespace kestrix {

// Removes every entry equal to an earlier one; the first of equal entries
// stays and the order of the rest is kept. Linear time on average. Returns
// whether anything was removed.
bool RemoveDuplicateEntries(std::vector<ListEntry>& entries);

// The positions, ascending, of the entries equal to an earlier one: those
// RemoveDuplicateEntries removes. The list itself is left as it is.
std::vector<std::size_t> DuplicatePositions(const std::vector<ListEntry>& entries);

}  // namespace kestrix
