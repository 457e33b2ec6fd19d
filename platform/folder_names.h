#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

// What tells whether a folder's names may have changed: every name made,
// removed or renamed in it moves its modification and change times, and a
// folder put in its place has another identity. Times in ns since the epoch.
struct FolderStamp {
    int error = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    friend bool operator==(const FolderStamp&, const FolderStamp&) = default;
};
FolderStamp ReadFolderStamp(const std::string& folder);

// The names a folder holds ("." and ".." left out), as raw bytes in the
// order the folder gives them, or the errno of why it could not be read.
// `stamp` is the folder's as it stood before the names were read; `lasting`
// says that the names stay true as long as the folder's stamp stays equal to
// it: the folder lies on a local file system whose stamps come from this
// machine's clock, and its stamp was old enough when it was read that any
// later change, however coarse the file system's times, moves it.
struct FolderNames {
    int error = 0;
    std::vector<std::string> names;
    FolderStamp stamp;
    bool lasting = false;
};
FolderNames ReadFolderNames(const std::string& folder);

// Whether the folder holds names that differ only in letter case as one
// name, learned from its listing without making anything on disk: two such
// spellings listed side by side answer at once; otherwise one listed name is
// looked up under another spelling. `avoid` tells the spellings that must not
// be looked up: on FUSE a name found by a lookup stays cached for about a
// second, and a rename to that spelling meanwhile finds its target taken.
// Without a spelling to look up, the kind of file system decides.
bool FoldsLetterCase(const std::string& folder, const std::vector<std::string>& names,
                     const std::function<bool(std::string_view spelling)>& avoid);

// The key under which a folder that folds letter case files `name`: equal for
// names equal but for case (Unicode's simple case folding for UTF-8 names,
// ASCII letters only for others).
std::string LetterCaseKey(const std::string& name);

// 0 when items may be renamed in `folder`, or the errno of why not (no
// permission, a read-only file system, an append-only or immutable folder).
int FolderWritable(const std::string& folder);

// Whether the item at `path` (a link not followed) is immutable or
// append-only (chattr +i, +a): nobody, root included, can rename it.
bool ItemLocked(const std::string& path);

}  // namespace kestrix::platform
