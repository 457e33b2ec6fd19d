#include "rename.h"

#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

#include "ascii_case.h"

namespace kestrix::platform {

namespace {

RenameResult Succeeded() { return RenameResult{true, 0, std::string()}; }

RenameResult Failed(int error) { return RenameResult{false, error, std::strerror(error)}; }

std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Called through syscall() so that an older C library without the wrapper
// still reaches the kernel's no-replace rename.
int RenameAt2NoReplace(const std::string& from, const std::string& to) {
    return static_cast<int>(
        syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
}

bool IsValidUtf8(const std::string& text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Letter case in the Unicode sense for UTF-8 names ("ł" and "Ł"), in the
// ASCII sense for names that are not UTF-8.
bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (EqualIgnoringAsciiCase(a, b)) return true;
    if ((IsAscii(a) && IsAscii(b)) || !IsValidUtf8(a) || !IsValidUtf8(b)) return false;
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())).toCaseFolded() ==
           QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())).toCaseFolded();
}

struct FolderScan {
    bool nameListed = false;    // an entry spelled exactly as the name
    bool otherVariant = false;  // another entry equal to the name but for letter case
};

// Reads the folder's own entries, which no lookup cache can colour.
FolderScan ScanFolder(const std::string& folder, const std::string& name, const std::string& variant,
                      const std::string& except) {
    FolderScan scan;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        scan.otherVariant = true;  // unknown, so assume the worst
        return scan;
    }
    while (dirent* entry = readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName == name) scan.nameListed = true;
        if (entryName != except && EqualIgnoringCase(entryName, variant)) scan.otherVariant = true;
    }
    closedir(dir);
    return scan;
}

// Whether `to` exists only because the file system looked up `from` under
// another letter case. Inode numbers cannot tell this apart: FUSE file systems
// hand out a different one per name, and on a case-sensitive file system two
// case variants of one hard-linked file share theirs. The folder's own listing
// can: `from` is an entry of its own, and nothing else, `to` included, is
// spelled like `to` but for letter case.
bool IsSameEntryUnderOtherCase(const std::string& from, const std::string& to) {
    const std::string folder = FolderPart(from);
    if (folder != FolderPart(to)) return false;
    const std::string fromName = NamePart(from);
    const std::string toName = NamePart(to);
    if (fromName == toName || !EqualIgnoringCase(fromName, toName)) return false;

    struct stat fromStat, toStat;
    if (lstat(from.c_str(), &fromStat) != 0 || lstat(to.c_str(), &toStat) != 0) return false;
    if (fromStat.st_dev != toStat.st_dev) return false;

    const FolderScan scan = ScanFolder(folder, fromName, toName, fromName);
    return scan.nameListed && !scan.otherVariant;
}

// Renames after making sure nothing is at `to`. Between the check and the
// rename another process could create `to`, which rename() would then
// replace; only used where the file system offers no atomic way to refuse.
RenameResult CheckedRename(const std::string& from, const std::string& to) {
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) return Failed(EEXIST);
    if (errno != ENOENT) return Failed(errno);
    if (rename(from.c_str(), to.c_str()) != 0) return Failed(errno);
    return Succeeded();
}

RenameResult Move(const std::string& from, const std::string& to, bool tryRenameAt2, bool allowCaseOnly);

std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return FolderPart(path) + ".kestrix-" + std::to_string(getpid()) + "-" + std::to_string(++counter) +
           ".tmp";
}

// A case-only rename of one file: the file system sees `to` as taken by
// `from` itself, so the file first steps aside under a free name.
RenameResult RenameThroughTemporary(const std::string& from, const std::string& to, bool tryRenameAt2) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = TemporaryNameBeside(from);
        RenameResult aside = Move(from, temporary, tryRenameAt2, false);
        if (!aside.ok && aside.error == EEXIST) continue;
        if (!aside.ok) return aside;

        RenameResult done = Move(temporary, to, tryRenameAt2, false);
        if (!done.ok && done.error == EEXIST &&
            !ScanFolder(FolderPart(to), std::string(), NamePart(to), NamePart(temporary)).otherVariant) {
            // FUSE keeps the lookup of `to` (which found `from`) cached for a
            // moment after `from` stepped aside; the folder itself shows the
            // name is free. The same small race as CheckedRename.
            done = rename(temporary.c_str(), to.c_str()) == 0 ? Succeeded() : Failed(errno);
        }
        if (!done.ok) Move(temporary, from, tryRenameAt2, false);
        return done;
    }
    return Failed(EEXIST);
}

RenameResult ConflictOrCaseOnly(const std::string& from, const std::string& to, bool tryRenameAt2,
                                bool allowCaseOnly) {
    if (allowCaseOnly && IsSameEntryUnderOtherCase(from, to)) {
        return RenameThroughTemporary(from, to, tryRenameAt2);
    }
    return Failed(EEXIST);
}

RenameResult Fallback(const std::string& from, const std::string& to, bool allowCaseOnly) {
    struct stat fromStat, toStat;
    if (lstat(from.c_str(), &fromStat) != 0) return Failed(errno);
    if (lstat(to.c_str(), &toStat) == 0) return ConflictOrCaseOnly(from, to, false, allowCaseOnly);
    if (errno != ENOENT) return Failed(errno);

    if (S_ISDIR(fromStat.st_mode)) return CheckedRename(from, to);

    // A hard link refuses an existing target atomically; dropping the old
    // name afterwards completes the rename.
    if (linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0) {
        if (unlink(from.c_str()) == 0) return Succeeded();
        const int error = errno;
        unlink(to.c_str());
        return Failed(error);
    }
    switch (errno) {
        case EEXIST:
            return ConflictOrCaseOnly(from, to, false, allowCaseOnly);
        case EPERM:  // file systems without hard links (FAT, exFAT through FUSE)
        case EOPNOTSUPP:
        case ENOSYS:
        case EMLINK:
            return CheckedRename(from, to);
        default:
            return Failed(errno);
    }
}

RenameResult Move(const std::string& from, const std::string& to, bool tryRenameAt2, bool allowCaseOnly) {
    if (tryRenameAt2) {
        if (RenameAt2NoReplace(from, to) == 0) return Succeeded();
        const int error = errno;
        if (error == EEXIST) return ConflictOrCaseOnly(from, to, true, allowCaseOnly);
        if (error != EINVAL && error != ENOSYS) return Failed(error);
    }
    return Fallback(from, to, allowCaseOnly);
}

RenameResult CheckedMove(const std::string& from, const std::string& to, bool tryRenameAt2) {
    if (from.empty() || from.find('\0') != std::string::npos) return Failed(EINVAL);
    if (to.find('\0') != std::string::npos)
        return RenameResult{false, EINVAL, RefusedNameReason(std::string(1, '\0'))};
    const std::string reason = RefusedNameReason(NamePart(to));
    if (!reason.empty()) return RenameResult{false, EINVAL, reason};
    if (from == to) {
        struct stat st;
        return lstat(from.c_str(), &st) == 0 ? Succeeded() : Failed(errno);
    }
    return Move(from, to, tryRenameAt2, true);
}

}  // namespace

RenameResult RenameNoReplace(const std::string& from, const std::string& to) {
    return CheckedMove(from, to, true);
}

RenameResult RenameNoReplaceFallback(const std::string& from, const std::string& to) {
    return CheckedMove(from, to, false);
}

std::string RefusedNameReason(const std::string& name) {
    if (name.empty()) return "pusta nazwa";
    if (name == "." || name == "..") return "niedozwolona nazwa";
    if (name.find('\0') != std::string::npos) return "nazwa zawiera bajt NUL";
    if (name.find('/') != std::string::npos) return "nazwa zawiera znak /";
    if (name.size() > NAME_MAX) return "nazwa dłuższa niż " + std::to_string(NAME_MAX) + " bajtów";
    return std::string();
}

}  // namespace kestrix::platform
