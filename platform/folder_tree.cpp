#include "folder_tree.h"

#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

// One folder on the way down: its entries, the next one to visit, and its
// identity, which tells a loop and checks the way back up.
struct Level {
    SortedNames items;
    size_t next = 0;
    std::string path;  // ends with '/'
    dev_t device = 0;
    ino_t inode = 0;
};

bool Identify(int fd, Level& level) {
    struct stat st;
    if (fstat(fd, &st) != 0) return false;
    level.device = st.st_dev;
    level.inode = st.st_ino;
    return true;
}

bool OnTheWayDown(const std::vector<Level>& levels, const Level& candidate) {
    for (const Level& level : levels) {
        if (level.device == candidate.device && level.inode == candidate.inode) return true;
    }
    return false;
}

}  // namespace

// Only one folder is open at a time: going down opens the child relative to
// its parent, coming back up opens ".." and checks it is the parent that was
// left (a folder moved away meanwhile ends the walk there). The number of
// open descriptors thus never limits the depth.
void WalkFolder(const std::string& folder, bool recurse, const WalkVisit& visit, const WalkSpecial& special) {
    if (folder.empty() || folder.find('\0') != std::string::npos) return;
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;

    std::vector<Level> levels(1);
    levels[0].path = folder.back() == '/' ? folder : folder + '/';
    if (!Identify(fd, levels[0])) {
        close(fd);
        return;
    }
    levels[0].items = ListFolderNamesAt(fd);

    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.items.items.size()) {
            levels.pop_back();
            if (levels.empty()) break;
            const int parent = openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(fd);
            fd = parent;
            Level found;
            if (fd < 0 || !Identify(fd, found) || found.device != levels.back().device ||
                found.inode != levels.back().inode) {
                break;
            }
            continue;
        }

        const SortedNames::Item& item = level.items.items[level.next++];
        const std::string_view name = level.items.name(item);
        if (item.isSpecial && special) {
            special(level.path, name);
            continue;
        }
        visit(level.path, name, item.isFolder);
        if (!recurse || !item.isFolder || item.isLink) continue;

        // The name is followed by its NUL in the listing's buffer.
        const int child = openat(fd, name.data(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0) continue;
        Level below;
        if (!Identify(child, below) || OnTheWayDown(levels, below)) {
            close(child);
            continue;
        }
        below.path.reserve(level.path.size() + name.size() + 1);
        below.path.append(level.path).append(name).push_back('/');
        below.items = ListFolderNamesAt(child);
        if (below.items.items.empty()) {
            close(child);
            continue;
        }
        close(fd);
        fd = child;
        levels.push_back(std::move(below));  // `level` and `item` are not used past this point
    }
    if (fd >= 0) close(fd);
}

}  // namespace kestrix::platform
