#include "folders.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// ASCII letters compared without case; names equal under that folding are
// ordered byte-wise, so the order is total and does not depend on readdir.
// The folded names are made once, side by side in one buffer, so that each
// comparison is a plain memcmp.
void SortByName(std::vector<FolderItem>& items) {
    size_t total = 0;
    for (const FolderItem& item : items) total += item.name.size();
    std::string folded;
    folded.reserve(total);
    struct Key {
        size_t offset;
        size_t size;
        size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        keys.push_back({folded.size(), items[i].name.size(), i});
        for (const char c : items[i].name)
            folded.push_back(static_cast<char>(FoldAscii(static_cast<unsigned char>(c))));
    }
    const char* base = folded.data();
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        const int order = std::memcmp(base + a.offset, base + b.offset, std::min(a.size, b.size));
        if (order != 0) return order < 0;
        if (a.size != b.size) return a.size < b.size;
        return items[a.index].name < items[b.index].name;
    });
    std::vector<FolderItem> sorted;
    sorted.reserve(items.size());
    for (const Key& key : keys) sorted.push_back(std::move(items[key.index]));
    items.swap(sorted);
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

std::vector<FolderItem> ListFolderAt(int folderFd) {
    std::vector<FolderItem> items;
    // The stream takes its own descriptor, so the caller's stays open.
    const int own = fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return items;
    DIR* dir = fdopendir(own);
    if (!dir) {
        close(own);
        return items;
    }
    rewinddir(dir);  // the copy shares its read position with the caller's descriptor
    const int fd = dirfd(dir);

    while (dirent* entry = readdir(dir)) {
        if (IsDotOrDotDot(entry->d_name)) continue;
        FolderItem item;
        item.name = entry->d_name;
        switch (entry->d_type) {
            case DT_DIR:
                item.isFolder = true;
                break;
            case DT_LNK:
            case DT_UNKNOWN: {
                struct stat st;
                if (entry->d_type == DT_LNK) {
                    item.isLink = true;
                } else if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    item.isLink = S_ISLNK(st.st_mode);
                    if (!item.isLink) {
                        item.isFolder = S_ISDIR(st.st_mode);
                        break;
                    }
                }
                // A dangling link or a loop leads nowhere: it is not a folder.
                item.isFolder = fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
                break;
            }
            default:
                break;
        }
        items.push_back(std::move(item));
    }
    closedir(dir);

    SortByName(items);
    return items;
}

std::vector<FolderItem> ListFolder(const std::string& folder) {
    if (folder.empty() || folder.find('\0') != std::string::npos) return {};
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<FolderItem> items = ListFolderAt(fd);
    close(fd);
    return items;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && path.find('\0') == std::string::npos && stat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && path.find('\0') == std::string::npos && lstat(path.c_str(), &st) == 0;
}

std::string CurrentFolder() {
    std::string buffer(4096, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) {
            buffer.resize(std::strlen(buffer.c_str()));
            break;
        }
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    while (buffer.size() > 1 && buffer.back() == '/') buffer.pop_back();
    return buffer;
}

bool SetCurrentFolder(const std::string& folder) {
    return !folder.empty() && folder.find('\0') == std::string::npos && chdir(folder.c_str()) == 0;
}

}  // namespace kestrix::platform
