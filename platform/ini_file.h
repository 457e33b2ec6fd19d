#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix::platform {

// A small INI store with private-profile semantics: keys are read one at a
// time, a write changes only its own keys and leaves every other byte of the
// file as it was (other sections, keys, comments, the order, and each line's
// own line ending), and a new key goes to the end of its section (a new
// section to the end of the file). Section and key names compare
// case-insensitively; the first section of a name counts, and in it the first
// key of a name. Every write replaces the file atomically (temporary file in
// the same folder, then rename), so a crash never leaves half a file.
//
// The file is the user's own: only a regular file is read or written (a
// FIFO or a device counts as no file and is never written), and a symbolic
// link is followed only when it belongs to the user running the program; a
// link of another user's is left alone, and writing fails. Reading and
// writing take time in proportion to the file's size.
class IniFile {
public:
    // The store of the file at `path`. The file is read at the first read of
    // a key, if it is there and may be read; otherwise the store is empty.
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value text of `key` in `section`, or nullopt when either is missing.
    std::optional<std::string> readString(const std::string& section, const std::string& key) const;

    // The integer under `key`: decimal, or hexadecimal after "$" or "0x", as a
    // signed 32-bit value (a sign may lead; hexadecimal takes up to 32 bits, so
    // "$FFFFFFFF" is -1); `fallback` when missing or not such an integer.
    int readInteger(const std::string& section, const std::string& key, int fallback) const;

    // Sets the keys of `values` in `section`, in their order, and writes the
    // whole file at once, starting from the file as it is on disk at that
    // moment (keys another program wrote meanwhile stay). False when the file
    // cannot be written (or is there but cannot be read, is no regular file,
    // or is reached through another user's link, or a name or value holds a
    // line break or would not read back); the store on disk is then unchanged.
    // Temporaries that earlier writes killed half-way left behind are removed.
    bool writeStrings(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values);
    bool writeString(const std::string& section, const std::string& key, const std::string& value) {
        return writeStrings(section, {{key, value}});
    }

private:
    void load() const;

    std::string path_;
    // The file as read for reading keys, and where the first section of each
    // name (lower-cased) holds its lines; read when first needed, and again
    // after a write.
    mutable bool loaded_ = false;
    mutable std::string content_;
    mutable std::map<std::string, std::pair<std::size_t, std::size_t>> sections_;
};

// Whether a file could be created or replaced at `path` (its folder is
// writable, and the file, if it exists, too).
bool CanWriteFile(const std::string& path);

}  // namespace kestrix::platform
