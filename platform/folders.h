#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

struct FolderItem {
    std::string name;       // native bytes, never converted
    bool isFolder = false;  // a folder, or a link that leads to one
    bool isLink = false;    // a symbolic link (never descended into)
};

// The entries of `folder` ("." and ".." left out, hidden ones included),
// sorted with ASCII letters compared case-insensitively and ties broken
// byte-wise, so that adding and numbering do not depend on readdir order.
// A folder that cannot be read gives an empty list. `folder` may or may not
// end with '/'.
std::vector<FolderItem> ListFolder(const std::string& folder);

// The entries of the open folder `folderFd`, as ListFolder gives them; the
// descriptor stays open.
std::vector<FolderItem> ListFolderAt(int folderFd);

// The same entries with their names side by side in one buffer, each ended
// by a NUL, so that a listing of many names costs a few allocations.
struct SortedNames {
    struct Item {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        bool isFolder = false;
        bool isLink = false;
        bool isSpecial = false;  // a FIFO, a socket or a device node
    };
    std::string names;
    std::vector<Item> items;
    std::string_view name(const Item& item) const { return {names.data() + item.offset, item.size}; }
};
SortedNames ListFolderNamesAt(int folderFd);

// Whether `path` is a folder, following links.
bool IsFolder(const std::string& path);

// The path of `folder` with every link on the way resolved, ending with '/';
// empty when it cannot be resolved.
std::string ResolvedFolder(const std::string& folder);

// Whether `path` itself (a link not followed) is a FIFO, a socket or a device node.
bool IsSpecialItem(const std::string& path);

// Whether anything (even a dangling link) exists at `path`.
bool Exists(const std::string& path);

// The process's current folder, without a trailing '/' (except for "/").
std::string CurrentFolder();

// Makes `folder` the process's current folder; false when it cannot be entered.
bool SetCurrentFolder(const std::string& folder);

}  // namespace kestrix::platform
