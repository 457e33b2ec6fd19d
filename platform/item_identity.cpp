#include "item_identity.h"

#include <string_view>
#include <unordered_map>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>

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

ItemIdentity FromStat(const struct stat& st, bool inodeLasts) {
    ItemIdentity identity;
    identity.type = TypeOfMode(st.st_mode);
    identity.inodeLasts = inodeLasts;
    identity.inode = st.st_ino;
    identity.hasTimes = true;
    identity.size = static_cast<std::uint64_t>(st.st_size);
    identity.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return identity;
}

struct Listed {
    std::uint64_t inode;
    unsigned char type;
};

}  // namespace

std::optional<ItemIdentity> IdentifyItem(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    return FromStat(st, InodesLast(std::string(FolderPart(path))));
}

std::optional<ItemIdentity> IdentifyItemNow(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    return FromStat(st, false);
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
                struct stat st;
                if (lstat(std::string(paths[i]).c_str(), &st) == 0) identities[i] = FromStat(st, inodeLasts);
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
        struct stat st;
        if (firstListed == listed.end() || lstat(std::string(paths[members.front()]).c_str(), &st) != 0 ||
            st.st_ino != firstListed->second.inode) {
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
            if (identity.type == ItemIdentity::Type::Unknown &&
                lstat(std::string(paths[i]).c_str(), &st) == 0) {
                identity = FromStat(st, inodeLasts);
            }
        }
    }
    return identities;
}

bool SameItem(const ItemIdentity& recorded, const ItemIdentity& now) {
    if (recorded.type != ItemIdentity::Type::Unknown && recorded.type != now.type) return false;
    if (recorded.inodeLasts && recorded.inode != 0 && now.inode != 0) return recorded.inode == now.inode;
    if (recorded.hasTimes && now.hasTimes && recorded.type != ItemIdentity::Type::Folder) {
        return recorded.size == now.size && recorded.modifiedNs == now.modifiedNs;
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
