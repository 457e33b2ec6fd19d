#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrix::platform {

// What the file system holding a folder refuses in a name beyond what every
// one refuses ('/' and NUL).
enum class NameRules : std::uint8_t {
    Posix,
    // exFAT: also " * : < > ? \ | and the control characters.
    Exfat,
    // FAT (vfat, msdos): as exFAT, and no name may end in a space or a dot,
    // which the driver would drop.
    Fat,
};

// What is wrong with a new name, as a value; NameFaultText (error_text.h) says it in words.
struct NameFault {
    enum class Kind : std::uint8_t {
        None,
        Empty,
        Dots,           // "." or ".."
        Nul,            // a NUL byte inside
        Slash,          // a '/' inside
        TooLong,        // longer than NAME_MAX bytes
        PathTooLong,    // the whole new path is longer than the system takes in one call
        Character,      // `character` is one the file system refuses
        TrailingSpace,  // FAT
        TrailingDot,    // FAT
    };
    Kind kind = Kind::None;
    unsigned char character = 0;

    // No fault: the name can be made.
    bool empty() const { return kind == Kind::None; }
    friend bool operator==(const NameFault&, const NameFault&) = default;
};

// What keeps `name` from being made in a folder that follows `rules`.
NameFault NameFaultOf(std::string_view name, NameRules rules = NameRules::Posix);

// The rules of the file system that holds `folder`. An exFAT or FAT volume
// mounted through FUSE (fuseblk) is told by its mount's type, or else by its
// device: what udev recorded of it, or its boot sector. Posix when nothing
// tells, or the folder cannot be asked.
NameRules NameRulesOf(const std::string& folder);

}  // namespace kestrix::platform
