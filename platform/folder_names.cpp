#include "folder_names.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unordered_set>

#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

constexpr long kFuseSuperMagic = 0x65735546;
constexpr long kMsdosSuperMagic = 0x4d44;
constexpr long kExfatSuperMagic = 0x2011BAB0;
constexpr long kNtfsSuperMagic = 0x5346544e;
constexpr long kNtfs3SuperMagic = 0x7366746e;
constexpr long kExt4SuperMagic = 0xEF53;
constexpr long kXfsSuperMagic = 0x58465342;
constexpr long kBtrfsSuperMagic = 0x9123683E;
constexpr long kTmpfsSuperMagic = 0x01021994;
constexpr long kF2fsSuperMagic = 0xF2F52010;

// How old a folder's stamp must be when its names are read for every later
// change to move it: FAT keeps times in steps of two seconds, ext4 with small
// inodes in whole seconds, and the kernel's clock for stamps runs up to a
// tick behind the clock read here.
constexpr std::int64_t kStampSettledNs = 3'000'000'000;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char SwapAsciiCase(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
    return c;
}

// Other spellings of `name`: every ASCII letter swapped, only the first, only the last.
std::vector<std::string> OtherSpellings(const std::string& name) {
    std::vector<std::string> spellings;
    const auto first = std::find_if(name.begin(), name.end(), IsAsciiLetter);
    if (first == name.end()) return spellings;
    std::string all = name;
    std::transform(all.begin(), all.end(), all.begin(), SwapAsciiCase);
    spellings.push_back(std::move(all));
    std::string onlyFirst = name;
    onlyFirst[static_cast<size_t>(first - name.begin())] = SwapAsciiCase(*first);
    spellings.push_back(std::move(onlyFirst));
    const auto last = std::find_if(name.rbegin(), name.rend(), IsAsciiLetter);
    std::string onlyLast = name;
    onlyLast[name.size() - 1 - static_cast<size_t>(last - name.rbegin())] = SwapAsciiCase(*last);
    spellings.push_back(std::move(onlyLast));
    return spellings;
}

bool FoldsByKind(const std::string& folder) {
    struct statfs info;
    if (statfs(folder.c_str(), &info) != 0) return false;
    switch (static_cast<long>(info.f_type)) {
        case kFuseSuperMagic:
        case kMsdosSuperMagic:
        case kExfatSuperMagic:
        case kNtfsSuperMagic:
        case kNtfs3SuperMagic:
            return true;
        default:
            return false;
    }
}

// Local file systems only: a network file system's or a FUSE daemon's times
// come from another clock, an overlay's from one of its layers.
bool KeepsStampsLocally(int fd) {
    struct statfs info;
    if (fstatfs(fd, &info) != 0) return false;
    switch (static_cast<long>(info.f_type)) {
        case kExt4SuperMagic:
        case kXfsSuperMagic:
        case kBtrfsSuperMagic:
        case kTmpfsSuperMagic:
        case kF2fsSuperMagic:
        case kMsdosSuperMagic:
        case kExfatSuperMagic:
        case kNtfs3SuperMagic:
            return true;
        default:
            return false;
    }
}

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FolderStamp StampOf(const struct stat& st) {
    FolderStamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.modified = Nanoseconds(st.st_mtim);
    stamp.changed = Nanoseconds(st.st_ctim);
    return stamp;
}

}  // namespace

FolderStamp ReadFolderStamp(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) return FolderStamp{.error = errno};
    return StampOf(st);
}

FolderNames ReadFolderNames(const std::string& folder) {
    FolderNames listing;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        listing.error = errno;
        if (fd >= 0) close(fd);
        return listing;
    }
    listing.stamp = StampOf(st);
    const std::int64_t settled = Nanoseconds(now) - kStampSettledNs;
    listing.lasting =
        listing.stamp.modified < settled && listing.stamp.changed < settled && KeepsStampsLocally(fd);
    DIR* dir = fdopendir(fd);
    if (!dir) {
        listing.error = errno;
        listing.lasting = false;
        close(fd);
        return listing;
    }
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        listing.names.emplace_back(name);
    }
    listing.error = errno;
    if (listing.error != 0) listing.lasting = false;
    closedir(dir);
    return listing;
}

bool FoldsLetterCase(const std::string& folder, const std::vector<std::string>& names,
                     const std::function<bool(std::string_view spelling)>& avoid) {
    const std::unordered_set<std::string_view> listed(names.begin(), names.end());
    constexpr int kLookups = 4;
    int lookups = 0;
    for (const std::string& name : names) {
        for (const std::string& spelling : OtherSpellings(name)) {
            // Both spellings held side by side: they are two names here.
            if (listed.count(spelling)) return false;
            if (avoid && avoid(spelling)) continue;
            // Found though not listed: the lookup took it for the listed name.
            struct stat other;
            if (lstat((folder + spelling).c_str(), &other) == 0) return true;
            if (errno == ENOENT) return false;
            if (++lookups == kLookups) return FoldsByKind(folder);
        }
    }
    return FoldsByKind(folder);
}

std::string LetterCaseKey(const std::string& name) {
    std::string key = name;
    bool ascii = true;
    for (char& c : key) {
        if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    if (ascii) return key;
    const QByteArray bytes(name.data(), static_cast<qsizetype>(name.size()));
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes) return key;  // not UTF-8: ASCII letters only
    return text.toCaseFolded().toStdString();
}

int FolderWritable(const std::string& folder) {
    if (access(folder.c_str(), W_OK) != 0) return errno;
    // Access allows writing into an append-only folder, which still keeps every name it holds.
    return ItemLocked(folder) ? EPERM : 0;
}

bool ItemLocked(const std::string& path) {
    struct statx st;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, 0, &st) != 0) return false;
    return (st.stx_attributes & st.stx_attributes_mask & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0;
}

}  // namespace kestrix::platform
