#pragma once

#include <climits>
#include <cstddef>
#include <string>

namespace kestrix::platform {

// The longest path, in bytes, that the system takes in one call (renaming
// included): PATH_MAX counts the terminating NUL.
constexpr std::size_t kLongestPath = PATH_MAX - 1;

inline bool TooLongToRename(const std::string& path) { return path.size() > kLongestPath; }

}  // namespace kestrix::platform
