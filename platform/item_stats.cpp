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

void StatRange(const std::vector<std::string_view>& paths, std::size_t first, std::size_t last,
               std::vector<ItemStat>& stats) {
    // Every folder opened once; a name is then looked up in it alone instead
    // of walking the whole path again.
    std::unordered_map<std::string_view, int> folders;
    std::string name;
    for (std::size_t i = first; i < last; ++i) {
        const std::string_view folder = FolderPart(paths[i]);
        auto found = folders.find(folder);
        if (found == folders.end()) {
            const std::string open = folder.empty() ? std::string(".") : std::string(folder);
            found = folders.emplace(folder, ::open(open.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)).first;
        }
        name.assign(NamePart(paths[i]));
        struct stat st;
        const bool asked = found->second >= 0 && !name.empty()
                               ? fstatat(found->second, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                               : lstat(std::string(paths[i]).c_str(), &st) == 0;
        if (asked) stats[i] = FromStat(st);
    }
    for (const auto& [folder, fd] : folders) {
        if (fd >= 0) close(fd);
    }
}

}  // namespace

std::vector<ItemStat> StatItems(const std::vector<std::string_view>& paths) {
    std::vector<ItemStat> stats(paths.size());
    if (paths.size() < kTwoThreadsFrom) {
        StatRange(paths, 0, paths.size(), stats);
        return stats;
    }
    const std::size_t half = paths.size() / 2;
    std::thread second([&] { StatRange(paths, half, paths.size(), stats); });
    StatRange(paths, 0, half, stats);
    second.join();
    return stats;
}

}  // namespace kestrix::platform
