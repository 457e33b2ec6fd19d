#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrix::platform {

// Tells which names of some folders may have changed since it was last
// asked, without a look at each item (inotify). It sees what this machine's
// kernel does to the folders' entries; it does not watch folders on file
// systems whose items change elsewhere (FUSE, network shares), and it cannot
// see a file changed through a hard link in another folder or written
// through a memory map: callers trust it only for plain files of one link.
class FolderWatch {
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` (ending with '/') from now on; false when it cannot.
    bool watch(const std::string& folder);
    bool watching(const std::string& folder) const { return folders_.count(folder) != 0; }

    struct Change {
        std::string folder;  // ending with '/'
        std::string name;    // empty: anything in the folder may have changed
    };
    // The changes since the last call. A folder that is gone, or is no longer
    // the folder at its path (it or a folder above it was renamed or
    // replaced), is reported as a whole and watched no more. False when
    // changes were lost: nothing watched can be trusted, and nothing is
    // watched any more.
    bool takeChanges(std::vector<Change>& changes);

private:
    struct Watched {
        int descriptor;
        std::uint64_t device;
        std::uint64_t inode;
    };
    void forget(const std::string& folder);
    void forgetAll();

    int fd_ = -1;
    std::unordered_map<std::string, Watched> folders_;
    std::unordered_map<int, std::string> byDescriptor_;
};

// Whether `path` names a regular file itself (not a link) with one name.
bool IsSingleLinkFile(const std::string& path);

}  // namespace kestrix::platform
