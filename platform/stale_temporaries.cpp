#include "stale_temporaries.h"

#include <cerrno>
#include <csignal>
#include <cstddef>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

// The digits of `text` from `at` up to `stop` as a number; false when there
// are none, something else stands there, or the number is too large.
bool ReadNumber(const std::string& text, std::size_t at, std::size_t stop, long long& number) {
    if (at >= stop || stop - at > 18) return false;
    number = 0;
    for (std::size_t i = at; i < stop; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    return true;
}

// The writer's process id of a temporary of the file named `name`; 0 when
// `candidate` is not one.
pid_t WriterOf(const std::string& candidate, const std::string& name) {
    const std::string prefix = name + ".tmp-";
    if (candidate.compare(0, prefix.size(), prefix) != 0) return 0;
    const std::size_t dash = candidate.find('-', prefix.size());
    long long pid = 0, number = 0;
    if (dash == std::string::npos || !ReadNumber(candidate, prefix.size(), dash, pid) ||
        !ReadNumber(candidate, dash + 1, candidate.size(), number) || pid <= 0 || pid > 0x3FFFFFFF) {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

bool ProcessGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string TemporaryNameFor(const std::string& target, unsigned number) {
    return target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(number);
}

void RemoveStaleTemporaries(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const pid_t writer = WriterOf(entry->d_name, name);
        if (writer == 0 || writer == getpid() || !ProcessGone(writer)) continue;
        struct stat st;
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            unlinkat(fd, entry->d_name, 0);
        }
    }
    closedir(dir);
}

}  // namespace kestrix::platform
