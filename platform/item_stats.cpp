#include "item_stats.h"

#include <string>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/path_parts.h"

namespace kestrix::platform {

namespace {

// Below this many items a second thread costs more than it saves.
constexpr std::size_t kTwoThreadsFrom = 4096;

ItemStat FromStat(const struct stat& st) {
    ItemStat stat;
    stat.known = true;
    stat.isFolder = S_ISDIR(st.st_mode);
    stat.size = static_cast<std::uint64_t>(st.st_size);
    stat.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return stat;
}

void StatRange(const std::vector<std::string_view>& paths, const std::size_t* first, const std::size_t* last,
               std::vector<ItemStat>& stats) {
    // Every folder opened once; a name is then looked up in it alone instead
    // of walking the whole path again.
    std::string_view folder;
    int folderFd = -1;
    bool opened = false;
    std::string name;
    for (const std::size_t* at = first; at != last; ++at) {
        const std::size_t i = *at;
        if (!opened || FolderPart(paths[i]) != folder) {
            if (folderFd >= 0) close(folderFd);
            folder = FolderPart(paths[i]);
            const std::string open = folder.empty() ? std::string(".") : std::string(folder);
            folderFd = ::open(open.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            opened = true;
        }
        name.assign(NamePart(paths[i]));
        struct stat st;
        const bool asked = folderFd >= 0 && !name.empty()
                               ? fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                               : lstat(std::string(paths[i]).c_str(), &st) == 0;
        if (asked) stats[i] = FromStat(st);
    }
    if (folderFd >= 0) close(folderFd);
}

}  // namespace

std::vector<ItemStat> StatItems(const std::vector<std::string_view>& paths) {
    std::vector<ItemStat> stats(paths.size());
    // Folder by folder, whatever the order of the paths: each folder's
    // entries and inodes are read from the disk together, not at random.
    std::unordered_map<std::string_view, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto [found, added] = groupOf.emplace(FolderPart(paths[i]), groups.size());
        if (added) groups.emplace_back();
        groups[found->second].push_back(i);
    }
    std::vector<std::size_t> order;
    order.reserve(paths.size());
    for (const std::vector<std::size_t>& group : groups)
        order.insert(order.end(), group.begin(), group.end());
    const std::size_t* begin = order.data();
    const std::size_t* end = begin + order.size();
    if (paths.size() < kTwoThreadsFrom) {
        StatRange(paths, begin, end, stats);
        return stats;
    }
    const std::size_t* half = begin + order.size() / 2;
    std::thread second([&] { StatRange(paths, half, end, stats); });
    StatRange(paths, begin, half, stats);
    second.join();
    return stats;
}

}  // namespace kestrix::platform
