#include "platform/file_ends.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

bool ReadAt(int fd, off_t offset, std::size_t size, std::string& out, int& error) {
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd, out.data() + done, size - done, offset + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    out.resize(done);
    return true;
}

}  // namespace

bool ReadFileEnds(const std::string& path, std::size_t headSize, std::size_t tailSize, std::string& head,
                  std::string& tail, int& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat facts {};
    bool ok = fstat(fd, &facts) == 0;
    if (!ok) error = errno;
    if (ok) {
        const auto size = static_cast<std::size_t>(std::max<off_t>(facts.st_size, 0));
        const std::size_t tailStart = size - std::min(size, tailSize);
        ok = ReadAt(fd, 0, std::min(size, headSize), head, error) &&
             ReadAt(fd, static_cast<off_t>(tailStart), size - tailStart, tail, error);
    }
    close(fd);
    return ok;
}

}  // namespace kestrix::platform
