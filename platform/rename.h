#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestrix::platform {

struct RenameResult {
    bool ok = false;
    int error = 0;       // errno of the failure, 0 on success
    std::string reason;  // the system's text for `error` (strerror), empty on success
    // Where the item was left when a rename through a temporary name could
    // neither finish nor go back; empty otherwise.
    std::string leftAt;
};

// What a rename may leave on disk between two of its steps.
enum class Intermediate : std::uint8_t {
    Temporary = 1,    // the item itself, parked under a temporary name in its folder
    SecondLink = 2,   // a second name (hard link) of a file, at the target
    Placeholder = 3,  // an empty file or folder made to reserve the target
    Probe = 4,        // an empty file made to learn how the folder compares letter case
};

// Told before each intermediate is made and after it is gone again (or has
// become the item), so that a journal can record it. begin() returns 0, or an
// errno when the intermediate must not be made (it could not be recorded):
// the rename then fails with that error before touching anything.
class RenameSteps {
public:
    virtual ~RenameSteps() = default;
    virtual int begin(Intermediate kind, const std::string& path) = 0;
    virtual void end(Intermediate kind, const std::string& path) = 0;
};

// The ways of renaming the rename may use. Tests narrow them to drive the
// fallbacks on any file system.
struct RenameWays {
    bool renameAt2 = true;
    bool hardLinks = true;
    // Treat every rename that changes only letter case as one on a
    // case-insensitive file system without the case-only rename of FUSE.
    bool caseOnlyThroughTemporary = false;
};
RenameWays& renameWays();
void resetRenameWays();

// Intermediates are named after the run that made them, so that a later start
// finds them again from the run's journal alone: ".kestrix-<tag>-" starts
// every one, ".kestrix-<tag>-<index>.tmp" is the temporary name of the item
// of entry `index`, in the item's own folder (`folder` ends with '/' or is empty).
std::string IntermediatePrefix(const std::string& tag);
std::string TemporaryName(const std::string& folder, const std::string& tag, std::int64_t index);

// Renames without ever replacing anything that exists at the target.
//
// renameat2(RENAME_NOREPLACE) where the file system takes the flag. Where it
// refuses it (EINVAL, ENOSYS on FUSE and NFS): a hard link at the target and
// then dropping the old name, for files; and where there are no hard links
// either, the target is reserved first (an empty file or folder created
// exclusively) and the item renamed over that placeholder, which is ours to
// replace. A lost race is a failed rename (EEXIST).
//
// A rename that changes only letter case on a case-insensitive file system
// sees its target taken by the item itself. Whether the folder compares the
// letters involved without case is learned once per folder (an empty probe
// file looked up under the other case), so no rename lists the folder. On
// FUSE the file system daemon renames such an entry in one step, and no other
// entry can exist under a name its folder holds equal to the item's; elsewhere
// the kernel sees one item and does nothing, so the item steps aside under its
// temporary name first.
//
// One Renamer serves one run of renames and remembers what it learned about
// each folder. `steps`, when given, hears of every intermediate.
class Renamer {
public:
    explicit Renamer(std::string tag, RenameSteps* steps = nullptr);

    // `index` names the temporary name this rename may use.
    RenameResult rename(const std::string& from, const std::string& to, std::int64_t index);

private:
    struct FolderTraits {
        bool noRenameAt2 = false;
        bool noHardLinks = false;
        signed char fuse = -1;        // unknown until needed
        signed char foldsAscii = -1;  // whether "a" and "A" are one name here
        std::map<std::pair<char32_t, char32_t>, bool> foldsPair;
    };

    FolderTraits& traitsOf(std::string_view folder);
    RenameResult caseOnly(const std::string& from, const std::string& to, std::int64_t index,
                          const std::string& folder, bool asciiPairs,
                          const std::vector<std::pair<char32_t, char32_t>>& otherPairs);
    RenameResult throughTemporary(const std::string& from, const std::string& to, std::int64_t index,
                                  const std::string& folder);
    RenameResult move(const std::string& from, const std::string& to);
    RenameResult throughPlaceholder(const std::string& from, const std::string& to, bool isFolder);
    // Whether the folder holds the two spellings for one name; probes what it does not know yet.
    bool folds(const std::string& folder, FolderTraits& traits, bool asciiPairs,
               const std::vector<std::pair<char32_t, char32_t>>& otherPairs);
    bool probe(const std::string& folder, const std::string& lower, const std::string& upper, bool& folded);
    int begin(Intermediate kind, const std::string& path);
    void end(Intermediate kind, const std::string& path);

    std::string tag_;
    RenameSteps* steps_;
    RenameWays ways_;
    long probes_ = 0;
    std::unordered_map<std::string, FolderTraits> folders_;
    // The folder asked about last: most renames of a run stay in one folder a while.
    std::string lastFolder_;
    FolderTraits* lastTraits_ = nullptr;
    std::vector<std::pair<char32_t, char32_t>> otherPairs_;
};

// One rename with a Renamer of its own (temporary names tagged with the
// process id and a counter).
RenameResult RenameNoReplace(const std::string& from, const std::string& to);

// The same, with the renameat2 step skipped, so tests can drive the fallback
// on any file system.
RenameResult RenameNoReplaceFallback(const std::string& from, const std::string& to);

// A name the rename refuses before touching the disk: empty, ".", "..", a
// '/' or NUL byte inside, or longer than NAME_MAX bytes. Returns the reason,
// or an empty string when the name is acceptable.
std::string RefusedNameReason(std::string_view name);

// Settling what an interrupted rename left. Removes `path` only while it still
// is a placeholder: an empty regular file, or an empty folder.
RenameResult RemovePlaceholder(const std::string& path);
// Removes the name `drop` only while it is a second name of the same file as `keep`.
RenameResult RemoveSecondName(const std::string& keep, const std::string& drop);

}  // namespace kestrix::platform
