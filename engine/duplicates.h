#pragma once

#include <vector>

#include "list_entry.h"

namespace kestrix {

// Removes every entry equal to an earlier one; the first of equal entries
// stays and the order of the rest is kept. Linear time on average. Returns
// whether anything was removed.
bool RemoveDuplicateEntries(std::vector<ListEntry>& entries);

}  // namespace kestrix
