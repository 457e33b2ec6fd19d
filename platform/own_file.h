#pragma once

#include <optional>
#include <string>

namespace kestrix::platform {

// What stands at the path of a file the program keeps for its user (the
// settings file), with symbolic links followed only as far as they belong to
// that user: a link someone else put there must never turn a write of ours
// into a write to a file of theirs choosing.
enum class OwnFileState {
    Missing,      // nothing there, or an own link to nothing: a write creates `target`
    Regular,      // a regular file at `target`
    NotAFile,     // a folder, a FIFO, a device or a socket: never read, never written
    ForeignLink,  // a link of another user (or one of many links in a row): never followed
    Unreachable,  // cannot be looked at (no permission to search a folder, an I/O error)
};

struct OwnFile {
    OwnFileState state = OwnFileState::Unreachable;
    std::string target;  // where the links lead; the path itself when it is no link
};

OwnFile LocateOwnFile(const std::string& path);

// The whole content of the regular file `target` (as LocateOwnFile gave it),
// read without blocking and without following a link put there meanwhile;
// nullopt when it is no longer a regular file, cannot be read, or is larger
// than any settings file can sensibly be.
std::optional<std::string> ReadRegularFile(const std::string& target);

}  // namespace kestrix::platform
