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

// Whether the item at `path` is hidden: its name, or the name of a folder it
// lies in, starts with a dot ("." and ".." themselves hide nothing).
inline bool IsHiddenPath(std::string_view path) {
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && name[0] == '.' && name != "." && name != "..") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace kestrix
