#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

// The program's per-user state folder, ending with '/':
// "$XDG_STATE_HOME/Kestrix/" when that variable holds an absolute path,
// otherwise "$HOME/.local/state/Kestrix/"; empty when neither is known.
// A home (or XDG_STATE_HOME) that belongs to another user was handed over
// with the environment (sudo -E, su -m): the process's own user's home from
// the password database is used instead.
std::string StateFolder();

// Creates `folder` and the parents it lacks (new ones private to the user),
// never inside a folder that belongs to another user (other than root).
// On failure returns false with the errno in `error`.
bool MakeFolders(const std::string& folder, int& error);

// Whether `path` belongs to the process's effective user and no one else may
// write to it: only then are the program's own files there trusted. A path
// that does not exist is not private; a symbolic link counts as what it names
// only for a folder.
enum class Privacy { Private, Missing, NotOwn, WritableByOthers };
Privacy FolderPrivacy(const std::string& folder);
Privacy FilePrivacy(const std::string& path);

// One of the program's own files, read in pieces. Opens only a regular file
// (not a link) that belongs to the effective user and that no one else may
// write to (EPERM otherwise).
class OwnFileReader {
public:
    OwnFileReader() = default;
    ~OwnFileReader();
    OwnFileReader(const OwnFileReader&) = delete;
    OwnFileReader& operator=(const OwnFileReader&) = delete;

    bool open(const std::string& path);
    std::uint64_t size() const { return size_; }
    // Up to `size` bytes from `offset`; fewer only at the end of the file.
    // -1 on an error.
    long long readAt(std::uint64_t offset, char* data, std::size_t size);
    void close();
    int error() const { return error_; }
    Privacy privacy() const { return privacy_; }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    int error_ = 0;
    Privacy privacy_ = Privacy::Missing;
};

// A file written only at its end, locked (flock) for as long as it is open
// here, so that another process can tell it is in use.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Creates `path` holding `firstBytes`, failing when anything is there
    // already. The file is made under a private name, locked, and only then
    // given its name, so that no other process ever finds it at `path`
    // without its lock.
    bool create(const std::string& path, std::string_view firstBytes = {});
    // Opens `path` to write at its end; fails (EWOULDBLOCK) while another
    // open file holds its lock.
    bool openExisting(const std::string& path);
    bool append(const char* data, std::size_t size);
    bool syncData();
    // Gives the open file another name in its folder, keeping its lock.
    bool renameTo(const std::string& path);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // errno of the last failure.
    int error() const { return error_; }

private:
    bool lock();

    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

// Makes the entries of `folder` (a file created or removed there) durable.
bool SyncFolder(const std::string& folder, int& error);
bool ReadWholeFile(const std::string& path, std::string& content, int& error);
// Names of the regular files in `folder`, in no particular order; empty when
// the folder cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);
bool RemoveFile(const std::string& path, int& error);
// Gives one of the program's own files another name in the same folder.
bool RenameFile(const std::string& from, const std::string& to, int& error);
// Whether another open file holds the lock of `path` (a run in progress).
bool IsLocked(const std::string& path);

}  // namespace kestrix::platform
