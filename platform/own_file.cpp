#include "own_file.h"

#include <cerrno>
#include <cstddef>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/path_parts.h"

namespace kestrix::platform {

namespace {

// As many links in a row as the system itself follows.
constexpr int kMostLinks = 40;
// Far beyond any settings file; stops a file that keeps growing.
constexpr std::size_t kLargestFile = std::size_t{1} << 30;

std::optional<std::string> LinkText(const std::string& path, std::size_t size) {
    std::vector<char> buffer(size + 2);
    const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

OwnFile LocateOwnFile(const std::string& path) {
    OwnFile file;
    if (path.empty() || path.find('\0') != std::string::npos) return file;
    file.target = path;
    for (int links = 0;; ++links) {
        struct stat st;
        if (lstat(file.target.c_str(), &st) != 0) {
            file.state = errno == ENOENT ? OwnFileState::Missing : OwnFileState::Unreachable;
            return file;
        }
        if (S_ISREG(st.st_mode)) {
            file.state = OwnFileState::Regular;
            return file;
        }
        if (!S_ISLNK(st.st_mode)) {
            file.state = OwnFileState::NotAFile;
            return file;
        }
        if (st.st_uid != geteuid() || links == kMostLinks) {
            file.state = OwnFileState::ForeignLink;
            return file;
        }
        const std::optional<std::string> text = LinkText(file.target, static_cast<std::size_t>(st.st_size));
        if (!text || text->empty()) {
            file.state = OwnFileState::Unreachable;
            return file;
        }
        file.target = (*text)[0] == '/' ? *text : std::string(FolderPart(file.target)) + *text;
    }
}

std::optional<std::string> ReadRegularFile(const std::string& target) {
    // Without O_NONBLOCK a FIFO put in the file's place would hold the open
    // until a writer came.
    const int fd = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > kLargestFile) {
        close(fd);
        return std::nullopt;
    }
    // The size fstat gives is read in place; a file still growing is read on
    // in steps, up to the bound.
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    char more[4096];
    for (;;) {
        const bool inPlace = done < bytes.size();
        const ssize_t got =
            inPlace ? read(fd, bytes.data() + done, bytes.size() - done) : read(fd, more, sizeof more);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            bytes.resize(done);
            close(fd);
            if (got < 0) return std::nullopt;
            return bytes;
        }
        if (!inPlace) {
            if (bytes.size() + static_cast<std::size_t>(got) > kLargestFile) break;
            bytes.append(more, static_cast<std::size_t>(got));
        }
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    return std::nullopt;
}

}  // namespace kestrix::platform
