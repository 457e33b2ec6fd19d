#include "folder_watch.h"

#include <cerrno>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

// Enough for any list a user gathers, far below the kernel's usual limit.
constexpr std::size_t kMostFolders = 4096;

constexpr std::uint32_t kEvents = IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                  IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// File systems whose items may change without this kernel seeing it.
bool ChangesElsewhere(const std::string& folder) {
    struct statfs info;
    if (statfs(folder.c_str(), &info) != 0) return true;
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0x65735546:  // FUSE
        case 0x6969:      // NFS
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x517B:      // SMB
        case 0x01021997:  // 9P
        case 0x00C36400:  // Ceph
        case 0x47504653:  // GPFS
            return true;
        default:
            return false;
    }
}

}  // namespace

FolderWatch::FolderWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) close(fd_);
}

bool FolderWatch::watch(const std::string& folder) {
    if (fd_ < 0 || folder.empty() || folder.back() != '/') return false;
    if (watching(folder)) return true;
    if (folders_.size() >= kMostFolders || ChangesElsewhere(folder)) return false;
    const int descriptor = inotify_add_watch(fd_, folder.c_str(), kEvents);
    if (descriptor < 0) return false;
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) {
        inotify_rm_watch(fd_, descriptor);
        return false;
    }
    // One folder reached by two paths shares a descriptor: only the first
    // path is watched.
    if (byDescriptor_.count(descriptor)) return false;
    folders_[folder] =
        Watched{descriptor, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    byDescriptor_[descriptor] = folder;
    return true;
}

void FolderWatch::forget(const std::string& folder) {
    const auto it = folders_.find(folder);
    if (it == folders_.end()) return;
    inotify_rm_watch(fd_, it->second.descriptor);
    byDescriptor_.erase(it->second.descriptor);
    folders_.erase(it);
}

void FolderWatch::forgetAll() {
    for (const auto& [folder, watched] : folders_) inotify_rm_watch(fd_, watched.descriptor);
    folders_.clear();
    byDescriptor_.clear();
}

bool FolderWatch::takeChanges(std::vector<Change>& changes) {
    if (fd_ < 0) return true;
    alignas(inotify_event) char buffer[64 * 1024];
    std::vector<std::string> gone;
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                forgetAll();
                return false;
            }
            const auto folder = byDescriptor_.find(event->wd);
            if (folder == byDescriptor_.end()) continue;
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
                gone.push_back(folder->second);
            else if (event->len > 0)
                changes.push_back({folder->second, std::string(event->name)});
        }
    }
    // A folder above a watched one may have been renamed or replaced, which
    // the watch does not see: the folder at the path must still be the same.
    for (const auto& [folder, watched] : folders_) {
        struct stat st;
        if (stat(folder.c_str(), &st) != 0 || static_cast<std::uint64_t>(st.st_dev) != watched.device ||
            static_cast<std::uint64_t>(st.st_ino) != watched.inode)
            gone.push_back(folder);
    }
    for (const std::string& folder : gone) {
        if (!watching(folder)) continue;
        changes.push_back({folder, std::string()});
        forget(folder);
    }
    return true;
}

bool IsSingleLinkFile(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

}  // namespace kestrix::platform
