#pragma once

#include <string_view>

namespace kestrix {

// Splits a path at its last '/': the folder part keeps the '/' ("" when there
// is none), the name is the rest.
inline std::string_view FolderPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

inline std::string_view NamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace kestrix
