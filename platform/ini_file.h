#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrix::platform {

// A small INI store with private-profile semantics: one key is read or
// written at a time, every other section, key, comment and the order of the
// file stay as they are, and a new key goes to the end of its section (a new
// section to the end of the file). Section and key names compare
// case-insensitively. Every write replaces the file atomically (temporary
// file in the same folder, then rename), so a crash never leaves half a file.
class IniFile {
public:
    // Reads the file if it exists; a missing file is an empty store.
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value text of `key` in `section`, or nullopt when either is missing.
    std::optional<std::string> readString(const std::string& section, const std::string& key) const;

    // The integer under `key`: decimal, or hexadecimal after "$" or "0x", as a
    // signed 32-bit value (a sign may lead; hexadecimal takes up to 32 bits, so
    // "$FFFFFFFF" is -1); `fallback` when missing or not such an integer.
    int readInteger(const std::string& section, const std::string& key, int fallback) const;

    // Sets `key` and writes the whole file at once, starting from the file as
    // it is on disk at that moment. False when the file cannot be written (or
    // exists but cannot be read, or the names or value hold a line break or
    // would not read back); the store on disk is then unchanged.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);

private:
    // Reads the file as it is on disk now; false when it exists but cannot be read.
    bool load(std::vector<std::string>& lines, bool& crlf) const;

    std::string path_;
    std::vector<std::string> lines_;  // the file's lines without their line endings
    bool crlf_ = false;               // the file ends its lines with CR LF
};

// Whether a file could be created or replaced at `path` (its folder is
// writable, and the file, if it exists, too).
bool CanWriteFile(const std::string& path);

}  // namespace kestrix::platform
