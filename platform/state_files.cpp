#include "state_files.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

#include "disk_steps.h"

namespace kestrix::platform {

namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// Gives `from` the name `to` unless something is there already: without
// renameat2's no-replace, a second link and dropping the first name; without
// links either, a plain rename once `to` is seen free (the names are the
// program's own, in its own folder).
bool PutInPlace(const std::string& from, const std::string& to, int& error) {
    if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        error = errno;
        return false;
    }
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
        error = errno;
        return false;
    }
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) {
        error = EEXIST;
        return false;
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    return true;
}

}  // namespace

namespace {

// Whether `path` exists and belongs to someone other than `user`.
bool OthersOwn(const char* path, uid_t user) {
    struct stat st;
    return stat(path, &st) == 0 && st.st_uid != user;
}

std::string HomeFromPasswordDatabase(uid_t user) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 16384));
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
        found->pw_dir[0] != '/') {
        return std::string();
    }
    return found->pw_dir;
}

}  // namespace

std::string StateFolder() {
    const uid_t user = geteuid();
    const char* home = std::getenv("HOME");
    const bool homeKnown = home && home[0] == '/';
    if (homeKnown && OthersOwn(home, user)) {
        // Both variables came with another user's environment.
        const std::string own = HomeFromPasswordDatabase(user);
        return own.empty() ? std::string() : WithSlash(own) + ".local/state/Kestrix/";
    }
    // XDG_STATE_HOME counts only when it is an absolute path.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/' && !OthersOwn(state, user)) return WithSlash(state) + "Kestrix/";
    if (homeKnown) return WithSlash(home) + ".local/state/Kestrix/";
    return std::string();
}

bool MakeFolders(const std::string& folder, int& error) {
    error = 0;
    if (folder.empty()) {
        error = ENOENT;
        return false;
    }
    const uid_t user = geteuid();
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        struct stat st;
        if (!part.empty() && lstat(part.c_str(), &st) != 0) {
            // Never a folder of ours inside another user's.
            const size_t up = part.rfind('/');
            const std::string parent = up == 0 ? std::string("/") : part.substr(0, up);
            struct stat above;
            if (stat(parent.c_str(), &above) == 0 && above.st_uid != user && above.st_uid != 0) {
                error = EPERM;
                return false;
            }
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                error = errno;
                return false;
            }
        }
        if (slash == std::string::npos || slash + 1 >= folder.size()) break;
    }
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = ENOTDIR;
        return false;
    }
    return true;
}

namespace {

Privacy PrivacyOf(const struct stat& st) {
    if (st.st_uid != geteuid()) return Privacy::NotOwn;
    if (st.st_mode & (S_IWGRP | S_IWOTH)) return Privacy::WritableByOthers;
    return Privacy::Private;
}

}  // namespace

Privacy FolderPrivacy(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Privacy::Missing;
    return PrivacyOf(st);
}

Privacy FilePrivacy(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return Privacy::Missing;
    if (!S_ISREG(st.st_mode)) return Privacy::NotOwn;
    return PrivacyOf(st);
}

OwnFileReader::~OwnFileReader() { close(); }

bool OwnFileReader::open(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        privacy_ = errno == ELOOP ? Privacy::NotOwn : Privacy::Missing;
        return false;
    }
    struct stat st;
    if (fstat(fd_, &st) != 0) {
        error_ = errno;
        close();
        return false;
    }
    // Looked at through the open file, so that nothing can be swapped in between.
    privacy_ = S_ISREG(st.st_mode) ? PrivacyOf(st) : Privacy::NotOwn;
    if (privacy_ != Privacy::Private) {
        error_ = EPERM;
        close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    error_ = 0;
    return true;
}

long long OwnFileReader::readAt(std::uint64_t offset, char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd_, data + done, size - done, static_cast<off_t>(offset + done));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return -1;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

void OwnFileReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

AppendFile::~AppendFile() { close(); }

bool AppendFile::lock() {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    error_ = errno;
    ::close(fd_);
    fd_ = -1;
    return false;
}

bool AppendFile::renameTo(const std::string& path) {
    if (fd_ < 0) {
        error_ = EBADF;
        return false;
    }
    if (::rename(path_.c_str(), path.c_str()) != 0) {
        error_ = errno;
        return false;
    }
    path_ = path;
    NoteDiskStep(DiskStep::RenameOwnFile, path);
    return true;
}

bool AppendFile::create(const std::string& path, std::string_view firstBytes) {
    close();
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string privateName = folder + "." + name + ".new";
    fd_ = open(privateName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0 && errno == EEXIST && !IsLocked(privateName)) {
        // Left by a process cut off before it held the file: it holds a header at most.
        unlink(privateName.c_str());
        fd_ = open(privateName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
    }
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    path_ = privateName;
    NoteDiskStep();
    if (!lock() || !append(firstBytes.data(), firstBytes.size()) || !PutInPlace(privateName, path, error_)) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        unlink(privateName.c_str());
        return false;
    }
    path_ = path;
    NoteDiskStep(DiskStep::RenameOwnFile, path);
    return true;
}

bool AppendFile::openExisting(const std::string& path) {
    close();
    fd_ = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    path_ = path;
    return lock();
}

bool AppendFile::append(const char* data, std::size_t size) {
    if (fd_ < 0) {
        error_ = EBADF;
        return false;
    }
    while (size > 0) {
        const ssize_t written = write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    NoteDiskStep(DiskStep::WriteFile, path_);
    return true;
}

bool AppendFile::syncData() {
    if (fd_ < 0 || fdatasync(fd_) != 0) {
        error_ = fd_ < 0 ? EBADF : errno;
        return false;
    }
    NoteDiskStep(DiskStep::SyncFile, path_);
    return true;
}

void AppendFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool SyncFolder(const std::string& folder, int& error) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool synced = fsync(fd) == 0;
    error = synced ? 0 : errno;
    ::close(fd);
    if (synced) NoteDiskStep(DiskStep::SyncFolder, folder);
    return synced;
}

bool ReadWholeFile(const std::string& path, std::string& content, int& error) {
    content.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size > 0) content.reserve(static_cast<size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            ::close(fd);
            return false;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    error = 0;
    return true;
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type == DT_REG) {
            names.emplace_back(entry->d_name);
        } else if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                names.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    return names;
}

bool RemoveFile(const std::string& path, int& error) {
    if (unlink(path.c_str()) != 0) {
        error = errno;
        return false;
    }
    error = 0;
    NoteDiskStep();
    return true;
}

bool RenameFile(const std::string& from, const std::string& to, int& error) {
    if (rename(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    error = 0;
    NoteDiskStep(DiskStep::RenameOwnFile, to);
    return true;
}

bool IsLocked(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

}  // namespace kestrix::platform
