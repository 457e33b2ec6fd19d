#pragma once

#include <string>

namespace kestrix::platform {

struct RenameResult {
    bool ok = false;
    int error = 0;       // errno of the failure, 0 on success
    std::string reason;  // the system's text for `error` (strerror), empty on success
};

// Renames `from` to `to` without ever replacing anything that exists at `to`.
// Uses renameat2(RENAME_NOREPLACE); where the file system refuses the flag
// (EINVAL, ENOSYS on FUSE and NFS) a fallback that still never replaces:
// link + unlink for files, a checked rename for folders. When `to` names the
// same file as `from` under another letter case (a case-insensitive file
// system), the rename goes through a unique temporary name in the same
// folder. Two different names of one hard-linked file are a conflict (EEXIST).
// A target whose last part is a refused name (below) fails with EINVAL and
// that reason, before anything is touched.
RenameResult RenameNoReplace(const std::string& from, const std::string& to);

// The same, with the renameat2 step skipped, so tests can drive the fallback
// on any file system.
RenameResult RenameNoReplaceFallback(const std::string& from, const std::string& to);

// A name the rename refuses before touching the disk: empty, ".", "..", a
// '/' or NUL byte inside, or longer than NAME_MAX bytes. Returns the reason,
// or an empty string when the name is acceptable.
std::string RefusedNameReason(const std::string& name);

}  // namespace kestrix::platform
