#pragma once

#include <cstddef>
#include <string>

namespace kestrix::platform {

// The first `headSize` and the last `tailSize` bytes of the file at `path`
// (fewer where the file is shorter; the two overlap in a short file), read
// without reading what lies between. On failure returns false with the errno
// in `error`.
bool ReadFileEnds(const std::string& path, std::size_t headSize, std::size_t tailSize, std::string& head,
                  std::string& tail, int& error);

}  // namespace kestrix::platform
