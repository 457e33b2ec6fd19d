#include "item_identity.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include "engine/path_parts.h"

namespace kestrix::platform {

namespace {

// Groups of at least this many items of one folder are identified from the
// folder's listing, which costs about as much as asking about a few items.
constexpr size_t kListFolderFrom = 16;

bool InodesLast(const std::string& folder) {
    struct statfs info;
    if (statfs(folder.empty() ? "." : folder.c_str(), &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0x65735546:  // FUSE
        case 0x4d44:      // FAT (msdos, vfat)
        case 0x2011BAB0:  // exFAT
        case 0x7366746e:  // NTFS (ntfs3)
        case 0x5346544e:  // NTFS (ntfs)
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x9660:      // ISO 9660
            return false;
        default:
            return true;
    }
}

ItemIdentity::Type TypeOfMode(mode_t mode) {
    if (S_ISREG(mode)) return ItemIdentity::Type::File;
    if (S_ISDIR(mode)) return ItemIdentity::Type::Folder;
    if (S_ISLNK(mode)) return ItemIdentity::Type::Link;
    return ItemIdentity::Type::Other;
}

ItemIdentity::Type TypeOfEntry(unsigned char type) {
    switch (type) {
        case DT_REG:
            return ItemIdentity::Type::File;
        case DT_DIR:
            return ItemIdentity::Type::Folder;
        case DT_LNK:
            return ItemIdentity::Type::Link;
        case DT_UNKNOWN:
            return ItemIdentity::Type::Unknown;
        default:
            return ItemIdentity::Type::Other;
    }
}

// The mount id that is never given twice until the system restarts (Linux
// 6.8); older kernels leave it out of the answer, and no mount is known then.
constexpr unsigned kUniqueMountId = 0x00004000U;
constexpr unsigned kWanted =
    STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME | kUniqueMountId;

bool StatItem(const std::string& path, struct statx& st, int folder = AT_FDCWD, const char* name = nullptr) {
    if (!name) name = path.empty() ? "." : path.c_str();
    return statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kWanted, &st) == 0;
}

std::int64_t Nanoseconds(const struct statx_timestamp& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// A fingerprint of the first bytes of the file at `path` (FNV-1a).
bool Fingerprint(const std::string& path, std::uint64_t& print) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    char bytes[4096];
    const ssize_t got = read(fd, bytes, sizeof bytes);
    close(fd);
    if (got < 0) return false;
    print = 14695981039346656037ull;
    for (ssize_t i = 0; i < got; ++i) {
        print ^= static_cast<unsigned char>(bytes[i]);
        print *= 1099511628211ull;
    }
    return true;
}

ItemIdentity FromStatx(const std::string& path, const struct statx& st, bool inodeLasts) {
    ItemIdentity identity;
    identity.type = TypeOfMode(st.stx_mode);
    identity.inodeLasts = inodeLasts;
    identity.inode = st.stx_ino;
    identity.hasTimes = true;
    identity.size = static_cast<std::uint64_t>(st.stx_size);
    identity.modifiedNs = Nanoseconds(st.stx_mtime);
    if (st.stx_mask & STATX_BTIME) {
        identity.hasBirth = true;
        identity.bornNs = Nanoseconds(st.stx_btime);
    } else if (inodeLasts &&
               (identity.type == ItemIdentity::Type::File || identity.type == ItemIdentity::Type::Folder)) {
        // Without a birth time, the generation tells a reused inode number from its former owner.
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) {
            int generation = 0;
            if (ioctl(fd, FS_IOC_GETVERSION, &generation) == 0) {
                identity.hasGeneration = true;
                identity.generation = static_cast<std::uint32_t>(generation);
            }
            close(fd);
        }
    }
    if (st.stx_mask & kUniqueMountId) identity.mount = st.stx_mnt_id;
    if (!identity.hasBirth && !inodeLasts && identity.type == ItemIdentity::Type::File) {
        identity.hasPrint = Fingerprint(path, identity.print);
    }
    return identity;
}

std::uint64_t DeviceOf(const struct statx& st) {
    return (static_cast<std::uint64_t>(st.stx_dev_major) << 32) | st.stx_dev_minor;
}

struct Listed {
    std::uint64_t inode;
    unsigned char type;
};

}  // namespace

std::optional<ItemIdentity> IdentifyItem(const std::string& path) {
    struct statx st;
    if (!StatItem(path, st)) return std::nullopt;
    return FromStatx(path, st, InodesLast(std::string(FolderPart(path))));
}

std::optional<ItemIdentity> ItemIdentifier::identify(const std::string& path) {
    struct statx st;
    if (!StatItem(path, st)) return std::nullopt;
    const std::uint64_t device = DeviceOf(st);
    auto known = std::find_if(devices_.begin(), devices_.end(),
                              [device](const auto& entry) { return entry.first == device; });
    if (known == devices_.end()) {
        devices_.emplace_back(device, InodesLast(std::string(FolderPart(path))));
        known = std::prev(devices_.end());
    }
    return FromStatx(path, st, known->second);
}

std::vector<ItemIdentity> IdentifyItems(const std::vector<std::string_view>& paths) {
    std::vector<ItemIdentity> identities(paths.size());
    // The paths of one folder usually come together.
    std::vector<std::pair<std::string_view, std::vector<size_t>>> groups;
    std::unordered_map<std::string_view, size_t> groupOf;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string_view folder = FolderPart(paths[i]);
        if (groups.empty() || groups.back().first != folder) {
            const auto [known, added] = groupOf.emplace(folder, groups.size());
            if (added) groups.emplace_back(folder, std::vector<size_t>());
            if (!added && known->second != groups.size() - 1) {
                groups[known->second].second.push_back(i);
                continue;
            }
        }
        groups.back().second.push_back(i);
    }

    std::string names;
    std::vector<std::pair<size_t, Listed>> entries;
    std::unordered_map<std::string_view, Listed> listed;
    for (const auto& [folderView, members] : groups) {
        const std::string folder(folderView);
        const bool inodeLasts = InodesLast(folder);
        auto askEach = [&] {
            for (size_t i : members) {
                const std::string path(paths[i]);
                struct statx st;
                if (StatItem(path, st)) identities[i] = FromStatx(path, st, inodeLasts);
            }
        };
        if (members.size() < kListFolderFrom) {
            askEach();
            continue;
        }
        // The names side by side in one buffer, looked up in place.
        names.clear();
        entries.clear();
        listed.clear();
        if (DIR* dir = opendir(folder.empty() ? "." : folder.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                entries.emplace_back(names.size(), Listed{entry->d_ino, entry->d_type});
                names.append(entry->d_name);
                names.push_back('\0');
            }
            closedir(dir);
        }
        listed.reserve(entries.size());
        for (const auto& [offset, entry] : entries)
            listed.emplace(std::string_view(names.data() + offset), entry);
        auto find = [&](size_t i) { return listed.find(paths[i].substr(folder.size())); };

        // A listing counts only where its numbers are the items' own.
        const auto firstListed = find(members.front());
        struct statx st;
        if (firstListed == listed.end() || !StatItem(std::string(paths[members.front()]), st) ||
            st.stx_ino != firstListed->second.inode) {
            askEach();
            continue;
        }
        for (size_t i : members) {
            const auto found = find(i);
            if (found == listed.end()) continue;
            ItemIdentity& identity = identities[i];
            identity.type = TypeOfEntry(found->second.type);
            identity.inodeLasts = inodeLasts;
            identity.inode = found->second.inode;
            if (identity.type == ItemIdentity::Type::Unknown) {
                const std::string path(paths[i]);
                if (StatItem(path, st)) identity = FromStatx(path, st, inodeLasts);
            }
        }
    }
    return identities;
}

std::vector<ItemIdentity> IdentifyEachItem(const std::vector<std::string_view>& paths) {
    std::vector<ItemIdentity> identities(paths.size());
    std::string folder, path;
    int folderFd = -1;
    bool inodeLasts = false;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string_view folderPart = FolderPart(paths[i]);
        if (folderFd < 0 || folderPart != folder) {
            if (folderFd >= 0) close(folderFd);
            folder.assign(folderPart);
            folderFd = open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            inodeLasts = InodesLast(folder);
        }
        path.assign(paths[i]);
        struct statx st;
        const std::string name(paths[i].substr(folderPart.size()));
        const bool found =
            folderFd >= 0 && !name.empty() ? StatItem(path, st, folderFd, name.c_str()) : StatItem(path, st);
        if (found) identities[i] = FromStatx(path, st, inodeLasts);
    }
    if (folderFd >= 0) close(folderFd);
    return identities;
}

bool SameItem(const ItemIdentity& recorded, const ItemIdentity& now) {
    if (recorded.type != ItemIdentity::Type::Unknown && recorded.type != now.type) return false;
    const bool inodes = recorded.inode != 0 && now.inode != 0;
    if (recorded.hasBirth && now.hasBirth) {
        return recorded.bornNs == now.bornNs && (!inodes || recorded.inode == now.inode);
    }
    if (recorded.inodeLasts && recorded.hasGeneration && now.hasGeneration && inodes) {
        return recorded.inode == now.inode && recorded.generation == now.generation;
    }
    if (recorded.inodeLasts && inodes) return recorded.inode == now.inode;
    // Numbers given as items are looked up: the same number on the same mount
    // is the same item. Another number may be the same item looked up under
    // another spelling of its name (on a case-insensitive file system) or
    // forgotten meanwhile: for a file, its size, time and first bytes decide.
    // A folder can be told by nothing else, and is taken for another one.
    const bool sameMount = recorded.mount != 0 && recorded.mount == now.mount && inodes;
    if (sameMount && recorded.inode == now.inode) return true;
    if (recorded.type == ItemIdentity::Type::Folder) return !sameMount;
    if (recorded.hasTimes && now.hasTimes) {
        if (recorded.size != now.size || recorded.modifiedNs != now.modifiedNs) return false;
        return !(recorded.hasPrint && now.hasPrint) || recorded.print == now.print;
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return lstat(a.c_str(), &first) == 0 && lstat(b.c_str(), &second) == 0 && S_ISREG(first.st_mode) &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool NamesIn(const std::string& folder, std::unordered_set<std::string>& names) {
    names.clear();
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace(name);
    }
    closedir(dir);
    return true;
}

}  // namespace kestrix::platform
