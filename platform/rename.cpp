#include "rename.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include <QChar>
#include <QList>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

#include "ascii_case.h"
#include "disk_steps.h"
#include "engine/path_parts.h"
#include "error_text.h"

namespace kestrix::platform {

namespace {

constexpr long kFuseSuperMagic = 0x65735546;

RenameResult Succeeded() { return RenameResult{true, 0, std::string(), std::string()}; }

RenameResult Failed(int error) { return RenameResult{false, error, ErrorText(error), std::string()}; }

// Called through syscall() so that an older C library without the wrapper
// still reaches the kernel's no-replace rename.
int RenameAt2NoReplace(const std::string& from, const std::string& to) {
    return static_cast<int>(
        syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

bool IsValidUtf8(std::string_view text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Whether `a` and `b` are one name but for letter case, compared letter by
// letter (Unicode's simple case folding for UTF-8 names, ASCII letters only
// for names that are not UTF-8), and which letters differ: whether ASCII
// ones do, and the other pairs of code points, the lower one first.
bool DifferOnlyInCase(std::string_view a, std::string_view b, bool& asciiPairs,
                      std::vector<std::pair<char32_t, char32_t>>& otherPairs) {
    asciiPairs = false;
    otherPairs.clear();
    if (a == b) return false;
    // Most renames change more than case, which the ASCII start of the names
    // usually shows at once; bytes stay aligned up to the first other one.
    const size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i < common; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) break;
        if (x == y) continue;
        if (FoldAscii(x) != FoldAscii(y)) return false;
        asciiPairs = true;
    }
    if (i == common) return a.size() == b.size();
    asciiPairs = false;
    if (!IsValidUtf8(a) || !IsValidUtf8(b)) {
        asciiPairs = EqualIgnoringAsciiCase(std::string(a), std::string(b));
        return asciiPairs;
    }
    const QList<uint> left = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())).toUcs4();
    const QList<uint> right = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())).toUcs4();
    if (left.size() != right.size()) return false;
    for (qsizetype i = 0; i < left.size(); ++i) {
        const char32_t x = left[i];
        const char32_t y = right[i];
        if (x == y) continue;
        if (QChar::toCaseFolded(x) != QChar::toCaseFolded(y)) return false;
        if (x < 0x80 && y < 0x80) {
            asciiPairs = true;
        } else {
            const std::pair<char32_t, char32_t> pair(std::min(x, y), std::max(x, y));
            if (std::find(otherPairs.begin(), otherPairs.end(), pair) == otherPairs.end())
                otherPairs.push_back(pair);
        }
    }
    return true;
}

std::string Utf8Of(char32_t codePoint) {
    const char32_t text[] = {codePoint};
    return QString::fromUcs4(text, 1).toStdString();
}

// An empty regular file at `path`, made only if nothing is there.
bool MakeEmptyFile(const std::string& path) {
    if (mknod(path.c_str(), S_IFREG | 0600, 0) == 0) return true;
    if (errno != EPERM && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool SameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT);
}

// Removes the placeholder at `path` only while it still is the one made
// (`made`): the same entry, and still empty.
bool RemoveOwnPlaceholder(const std::string& path, const struct stat& made) {
    struct stat now;
    if (lstat(path.c_str(), &now) != 0 || !SameEntry(now, made)) return false;
    const bool removed = S_ISDIR(now.st_mode)
                             ? rmdir(path.c_str()) == 0
                             : (S_ISREG(now.st_mode) && now.st_size == 0 && unlink(path.c_str()) == 0);
    if (removed) NoteDiskStep();
    return removed;
}

}  // namespace

RenameWays& renameWays() {
    static RenameWays ways;
    return ways;
}

void resetRenameWays() { renameWays() = RenameWays{}; }

std::string IntermediatePrefix(const std::string& tag) { return ".kestrix-" + tag + "-"; }

std::string TemporaryName(const std::string& folder, const std::string& tag, std::int64_t index) {
    return folder + IntermediatePrefix(tag) + std::to_string(index) + ".tmp";
}

Renamer::Renamer(std::string tag, RenameSteps* steps)
    : tag_(std::move(tag)), steps_(steps), ways_(renameWays()) {}

int Renamer::begin(Intermediate kind, const std::string& path) {
    return steps_ ? steps_->begin(kind, path) : 0;
}

void Renamer::end(Intermediate kind, const std::string& path) {
    if (steps_) steps_->end(kind, path);
}

Renamer::FolderTraits& Renamer::traitsOf(std::string_view folder) {
    if (!lastTraits_ || folder != lastFolder_) {
        lastFolder_.assign(folder);
        lastTraits_ = &folders_[lastFolder_];
    }
    return *lastTraits_;
}

RenameResult Renamer::rename(const std::string& from, const std::string& to, std::int64_t index) {
    if (from.empty() || from.find('\0') != std::string::npos) return Failed(EINVAL);
    if (to.find('\0') != std::string::npos)
        return RenameResult{false, EINVAL, RefusedNameReason(std::string(1, '\0')), std::string()};
    std::string reason = RefusedNameReason(NamePart(to));
    if (!reason.empty()) return RenameResult{false, EINVAL, std::move(reason), std::string()};
    if (from == to) {
        struct stat st;
        return lstat(from.c_str(), &st) == 0 ? Succeeded() : Failed(errno);
    }
    const std::string_view folder = FolderPart(from);
    bool asciiPairs = false;
    if (folder == FolderPart(to) && DifferOnlyInCase(NamePart(from), NamePart(to), asciiPairs, otherPairs_)) {
        return caseOnly(from, to, index, std::string(folder), asciiPairs, otherPairs_);
    }
    return move(from, to);
}

RenameResult Renamer::caseOnly(const std::string& from, const std::string& to, std::int64_t index,
                               const std::string& folder, bool asciiPairs,
                               const std::vector<std::pair<char32_t, char32_t>>& otherPairs) {
    if (ways_.caseOnlyThroughTemporary) return throughTemporary(from, to, index, folder);

    FolderTraits& traits = traitsOf(folder);
    bool knownToFold = !asciiPairs || traits.foldsAscii == 1;
    for (const auto& pair : otherPairs) {
        const auto known = traits.foldsPair.find(pair);
        knownToFold = knownToFold && known != traits.foldsPair.end() && known->second;
    }
    if (!knownToFold) {
        // On a case-sensitive folder this is an ordinary rename; a taken
        // target is either another entry or the item itself.
        RenameResult direct = move(from, to);
        if (direct.ok || direct.error != EEXIST) return direct;
        if (!folds(folder, traits, asciiPairs, otherPairs)) return direct;
    }

    if (traits.fuse < 0) {
        struct statfs info;
        traits.fuse =
            statfs(folder.empty() ? "." : folder.c_str(), &info) == 0 && info.f_type == kFuseSuperMagic;
    }
    if (!traits.fuse) return throughTemporary(from, to, index, folder);

    // The folder holds the two spellings for one name, and `from` is an entry
    // of it, so no other entry can be named `to`: the daemon renames the
    // entry itself, in one step, with nothing to replace. The kernel checks
    // `to` again with the daemon for a rename target, so an entry it saw
    // there before does not stand in the way.
    if (::rename(from.c_str(), to.c_str()) != 0) return Failed(errno);
    NoteDiskStep(DiskStep::RenameItem, to);
    return Succeeded();
}

bool Renamer::folds(const std::string& folder, FolderTraits& traits, bool asciiPairs,
                    const std::vector<std::pair<char32_t, char32_t>>& otherPairs) {
    if (asciiPairs && traits.foldsAscii < 0) {
        bool folded = false;
        if (!probe(folder, "abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", folded)) return false;
        traits.foldsAscii = folded;
    }
    if (asciiPairs && traits.foldsAscii == 0) return false;
    for (const auto& pair : otherPairs) {
        auto known = traits.foldsPair.find(pair);
        if (known == traits.foldsPair.end()) {
            bool folded = false;
            if (!probe(folder, Utf8Of(pair.first), Utf8Of(pair.second), folded)) return false;
            known = traits.foldsPair.emplace(pair, folded).first;
        }
        if (!known->second) return false;
    }
    return true;
}

// An empty file named with one spelling, looked up with the other: found
// only where the folder holds both for one name. The probe's own name is
// unique to this run, so the lookup leaves no name cached that a rename of
// the run could meet.
bool Renamer::probe(const std::string& folder, const std::string& lower, const std::string& upper,
                    bool& folded) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string stem =
            folder + IntermediatePrefix(tag_) + "probe" + std::to_string(++probes_) + "-";
        const std::string made = stem + lower;
        if (begin(Intermediate::Probe, made) != 0) return false;
        if (!MakeEmptyFile(made)) {
            const int error = errno;
            end(Intermediate::Probe, made);
            if (error == EEXIST) continue;
            return false;
        }
        NoteDiskStep();
        struct stat seen;
        folded = lstat((stem + upper).c_str(), &seen) == 0;
        if (unlink(made.c_str()) == 0) {
            NoteDiskStep();
            end(Intermediate::Probe, made);
        }
        return true;
    }
    return false;
}

RenameResult Renamer::throughTemporary(const std::string& from, const std::string& to, std::int64_t index,
                                       const std::string& folder) {
    const std::string temporary = TemporaryName(folder, tag_, index);
    if (const int refused = begin(Intermediate::Temporary, temporary)) return Failed(refused);
    const RenameResult aside = move(from, temporary);
    if (!aside.ok) {
        end(Intermediate::Temporary, temporary);
        return aside;
    }
    RenameResult done = move(temporary, to);
    if (done.ok || move(temporary, from).ok) {
        end(Intermediate::Temporary, temporary);
        return done;
    }
    // Neither way is free: the item stays under its temporary name, and the
    // step stays open for whoever settles it.
    done.leftAt = temporary;
    return done;
}

RenameResult Renamer::move(const std::string& from, const std::string& to) {
    FolderTraits& traits = traitsOf(FolderPart(to));
    bool flagRefused = false;
    if (ways_.renameAt2 && !traits.noRenameAt2) {
        if (RenameAt2NoReplace(from, to) == 0) {
            NoteDiskStep(DiskStep::RenameItem, to);
            return Succeeded();
        }
        if (errno != EINVAL && errno != ENOSYS) return Failed(errno);
        flagRefused = true;
    }

    struct stat item;
    if (lstat(from.c_str(), &item) != 0) return Failed(errno);
    if (!S_ISDIR(item.st_mode) && ways_.hardLinks && !traits.noHardLinks) {
        // A hard link refuses an existing target atomically; dropping the old
        // name afterwards completes the rename.
        if (const int refused = begin(Intermediate::SecondLink, to)) return Failed(refused);
        if (linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0) {
            NoteDiskStep(DiskStep::RenameItem, to);
            if (unlink(from.c_str()) == 0) {
                NoteDiskStep();
                end(Intermediate::SecondLink, to);
                if (flagRefused) traits.noRenameAt2 = true;
                return Succeeded();
            }
            const int error = errno;
            struct stat second;
            if (lstat(to.c_str(), &second) == 0 && SameEntry(second, item) && unlink(to.c_str()) == 0) {
                NoteDiskStep();
                end(Intermediate::SecondLink, to);
            }
            return Failed(error);
        }
        const int error = errno;
        end(Intermediate::SecondLink, to);
        switch (error) {
            case EPERM:  // file systems without hard links (FAT, exFAT through FUSE)
            case EOPNOTSUPP:
            case ENOSYS:
                traits.noHardLinks = true;
                break;
            case EMLINK:  // this file has all the links it may have
                break;
            default:
                return Failed(error);
        }
    }
    const RenameResult result = throughPlaceholder(from, to, S_ISDIR(item.st_mode));
    if (result.ok && flagRefused) traits.noRenameAt2 = true;
    return result;
}

RenameResult Renamer::throughPlaceholder(const std::string& from, const std::string& to, bool isFolder) {
    if (const int refused = begin(Intermediate::Placeholder, to)) return Failed(refused);
    if (!(isFolder ? mkdir(to.c_str(), 0700) == 0 : MakeEmptyFile(to))) {
        const int error = errno;
        end(Intermediate::Placeholder, to);
        return Failed(error);
    }
    NoteDiskStep();
    // Looked at right before renaming over it: another program may have
    // opened the name without O_EXCL and written to the placeholder, which is
    // then no longer ours to replace. (What it writes after this look still
    // goes to the placeholder.)
    struct stat made;
    const bool known = lstat(to.c_str(), &made) == 0;
    if (!known || (isFolder ? !S_ISDIR(made.st_mode) : !S_ISREG(made.st_mode) || made.st_size != 0)) {
        end(Intermediate::Placeholder, to);
        return Failed(EEXIST);
    }
    if (::rename(from.c_str(), to.c_str()) == 0) {
        NoteDiskStep(DiskStep::RenameItem, to);
        end(Intermediate::Placeholder, to);
        return Succeeded();
    }
    const int error = errno;
    if (RemoveOwnPlaceholder(to, made)) end(Intermediate::Placeholder, to);
    return Failed(error);
}

RenameResult RenameNoReplace(const std::string& from, const std::string& to) {
    static std::atomic<unsigned> counter{0};
    Renamer renamer(std::to_string(getpid()) + "-" + std::to_string(++counter));
    return renamer.rename(from, to, 0);
}

RenameResult RenameNoReplaceFallback(const std::string& from, const std::string& to) {
    const RenameWays saved = renameWays();
    renameWays().renameAt2 = false;
    const RenameResult result = RenameNoReplace(from, to);
    renameWays() = saved;
    return result;
}

std::string RefusedNameReason(std::string_view name) { return NameFaultText(NameFaultOf(name)); }

RenameResult RemovePlaceholder(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return Failed(errno);
    if (S_ISDIR(st.st_mode)) {
        if (rmdir(path.c_str()) != 0) return Failed(errno);
    } else if (S_ISREG(st.st_mode) && st.st_size == 0) {
        if (unlink(path.c_str()) != 0) return Failed(errno);
    } else {
        return Failed(EEXIST);
    }
    NoteDiskStep();
    return Succeeded();
}

RenameResult RemoveSecondName(const std::string& keep, const std::string& drop) {
    struct stat kept, dropped;
    if (lstat(keep.c_str(), &kept) != 0) return Failed(errno);
    if (lstat(drop.c_str(), &dropped) != 0) return Failed(errno);
    if (!SameEntry(kept, dropped) || S_ISDIR(kept.st_mode)) return Failed(EEXIST);
    if (unlink(drop.c_str()) != 0) return Failed(errno);
    NoteDiskStep();
    return Succeeded();
}

}  // namespace kestrix::platform
