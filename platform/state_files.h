#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

// The program's per-user state folder, ending with '/':
// "$XDG_STATE_HOME/Kestrix/" when that variable holds an absolute path,
// otherwise "$HOME/.local/state/Kestrix/"; empty when neither is known.
std::string StateFolder();

// Creates `folder` and the parents it lacks (new ones private to the user).
// On failure returns false with the errno in `error`.
bool MakeFolders(const std::string& folder, int& error);

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
