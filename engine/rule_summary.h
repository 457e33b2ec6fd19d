#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rename_options.h"

namespace kestrix {

// The plain Polish lines that describe the active rules, in their fixed order
// (extension, replacement, insertion, deletion, letter case, spaces,
// numbering), for a list of `count` entries. The start value is printed as
// typed; the end value is computed in 64-bit arithmetic. Throws
// ConversionError, as the transformation does, when numbering is in force and
// the start value does not convert.
std::vector<std::string> RuleSummaryLines(const RenameOptions& options, std::int64_t count);

}  // namespace kestrix
