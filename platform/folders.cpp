#include "folders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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
void SortByName(SortedNames& listing) {
    std::string folded = listing.names;
    for (char& c : folded) c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
    const char* base = folded.data();
    const char* names = listing.names.data();
    std::sort(listing.items.begin(), listing.items.end(),
              [&](const SortedNames::Item& a, const SortedNames::Item& b) {
                  const std::size_t common = std::min(a.size, b.size);
                  int order = std::memcmp(base + a.offset, base + b.offset, common);
                  if (order != 0) return order < 0;
                  if (a.size != b.size) return a.size < b.size;
                  return std::memcmp(names + a.offset, names + b.offset, common) < 0;
              });
}

bool IsSpecialMode(mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode); }

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

SortedNames ListFolderNamesAt(int folderFd) {
    SortedNames listing;
    // The stream takes its own descriptor, so the caller's stays open.
    const int own = fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return listing;
    DIR* dir = fdopendir(own);
    if (!dir) {
        close(own);
        return listing;
    }
    rewinddir(dir);  // the copy shares its read position with the caller's descriptor
    const int fd = dirfd(dir);

    while (dirent* entry = readdir(dir)) {
        if (IsDotOrDotDot(entry->d_name)) continue;
        SortedNames::Item item;
        item.offset = static_cast<std::uint32_t>(listing.names.size());
        item.size = static_cast<std::uint32_t>(std::strlen(entry->d_name));
        listing.names.append(entry->d_name, item.size + 1);
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
                        item.isSpecial = IsSpecialMode(st.st_mode);
                        break;
                    }
                }
                // A dangling link or a loop leads nowhere: it is not a folder.
                item.isFolder = fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
                break;
            }
            case DT_FIFO:
            case DT_SOCK:
            case DT_CHR:
            case DT_BLK:
                item.isSpecial = true;
                break;
            default:
                break;
        }
        listing.items.push_back(item);
    }
    closedir(dir);

    SortByName(listing);
    return listing;
}

std::vector<FolderItem> ListFolderAt(int folderFd) {
    const SortedNames listing = ListFolderNamesAt(folderFd);
    std::vector<FolderItem> items;
    items.reserve(listing.items.size());
    for (const SortedNames::Item& item : listing.items)
        items.push_back({std::string(listing.name(item)), item.isFolder, item.isLink});
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

std::string ResolvedFolder(const std::string& folder) {
    if (folder.find('\0') != std::string::npos) return std::string();
    char* resolved = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (!resolved) return std::string();
    std::string path = resolved;
    free(resolved);
    if (path.back() != '/') path.push_back('/');
    return path;
}

bool IsSpecialItem(const std::string& path) {
    struct stat st;
    return !path.empty() && path.find('\0') == std::string::npos && lstat(path.c_str(), &st) == 0 &&
           IsSpecialMode(st.st_mode);
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
