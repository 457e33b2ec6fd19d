#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rename_rules.h"

namespace kestrix {

// The plain Polish lines that describe the active rules, in their fixed order
// (extension, replacement, insertion, deletion, letter case, spaces,
// numbering), then those of the further rules (regular expression, name
// template, plain letters, word case), for a list of `count` entries. The start value is printed as
// typed; the end value is computed in 64-bit arithmetic.
std::vector<std::string> RuleSummaryLines(const RenameRules& rules, std::int64_t count);

}  // namespace kestrix
