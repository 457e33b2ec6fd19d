#include "ini_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <deque>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "own_file.h"
#include "stale_temporaries.h"

namespace kestrix::platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr size_t kLongestValue = 2047;

std::string_view Trim(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string_view WithoutBom(std::string_view line) {
    return line.substr(0, kUtf8Bom.size()) == kUtf8Bom ? line.substr(kUtf8Bom.size()) : line;
}

// "[name]" gives the section's name; a line without the closing bracket still
// opens a section, as the classic INI readers allow.
bool ParseSection(std::string_view line, std::string_view& name) {
    const std::string_view text = Trim(WithoutBom(line));
    if (text.empty() || text[0] != '[') return false;
    const size_t close = text.find(']');
    name = Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return true;
}

bool ParseKey(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::string_view text = Trim(WithoutBom(line));
    if (text.empty() || text[0] == ';' || text[0] == '#' || text[0] == '[') return false;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    key = Trim(text.substr(0, equals));
    value = Trim(text.substr(equals + 1));
    return !key.empty();
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Byte-wise equality with the ASCII letters compared without regard to case.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = FoldAscii(c);
    return lower;
}

// One line of the file: its text without the line ending, and where it ends
// with its ending (CR LF, LF, or nothing on a last line without one).
struct Line {
    std::string_view text;
    size_t start = 0;
    size_t textEnd = 0;
    size_t end = 0;
};

bool NextLine(std::string_view content, size_t& position, Line& line) {
    if (position >= content.size()) return false;
    const size_t newline = content.find('\n', position);
    line.start = position;
    line.end = newline == std::string_view::npos ? content.size() : newline + 1;
    line.textEnd = newline == std::string_view::npos ? content.size() : newline;
    if (newline != std::string_view::npos && line.textEnd > line.start && content[line.textEnd - 1] == '\r') {
        --line.textEnd;
    }
    line.text = content.substr(line.start, line.textEnd - line.start);
    position = line.end;
    return true;
}

std::string_view EndingOf(std::string_view content, const Line& line) {
    return content.substr(line.textEnd, line.end - line.textEnd);
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// Names that would not read back as written are refused rather than stored.
bool IsWritable(const std::string& section, const std::string& key, const std::string& value) {
    if (section.empty() || section != Trim(section) || HasLineBreak(section) ||
        section.find(']') != std::string::npos) {
        return false;
    }
    if (key.empty() || key != Trim(key) || HasLineBreak(key) || key.find('=') != std::string::npos ||
        key[0] == ';' || key[0] == '#' || key[0] == '[') {
        return false;
    }
    return !HasLineBreak(value) && value.find('\0') == std::string::npos &&
           key.find('\0') == std::string::npos && section.find('\0') == std::string::npos;
}

// `content` with the keys of `values` set in `section`, as the pieces to
// write one after the other: stretches of `content` and new text, kept in
// `made`. Only the lines of those keys change, and new lines go in after the
// section's last key; every other byte is kept as it is. New lines end as the
// line before them does (or, where that has no ending, as the file's first
// line ending; LF in a file without one).
std::vector<std::string_view> Spliced(std::string_view content, const std::string& section,
                                      const std::vector<std::pair<std::string, std::string>>& values,
                                      std::deque<std::string>& made) {
    struct Found {
        bool found = false;
        size_t start = 0, textEnd = 0;
        std::string_view storedKey;
    };
    std::vector<Found> keys(values.size());
    bool sectionFound = false;
    bool inside = false;
    size_t insertAt = content.size();
    std::string_view endingBefore;
    size_t position = 0;
    Line line;
    while (NextLine(content, position, line)) {
        std::string_view name, value;
        if (ParseSection(line.text, name)) {
            if (inside) break;
            if (SameName(name, section)) {
                inside = sectionFound = true;
                insertAt = line.end;
                endingBefore = EndingOf(content, line);
            }
            continue;
        }
        if (!inside || !ParseKey(line.text, name, value)) continue;
        insertAt = line.end;
        endingBefore = EndingOf(content, line);
        for (size_t i = 0; i < values.size(); ++i) {
            if (!keys[i].found && SameName(name, values[i].first))
                keys[i] = {true, line.start, line.textEnd, name};
        }
    }
    if (!sectionFound) {
        insertAt = content.size();
        endingBefore = {};
        if (!content.empty() && content.back() == '\n') {
            endingBefore = content.size() >= 2 && content[content.size() - 2] == '\r' ? "\r\n" : "\n";
        }
    }
    std::string_view newline = endingBefore;
    if (newline.empty()) {
        const size_t first = content.find('\n');
        newline = first != std::string_view::npos && first > 0 && content[first - 1] == '\r' ? "\r\n" : "\n";
    }

    // The lines to replace, in file order, and the block of new lines.
    struct Replacement {
        size_t start, textEnd;
        std::string text;
    };
    std::vector<Replacement> replacements;
    std::vector<std::pair<std::string, std::string>> added;
    if (!sectionFound) added.push_back({"[" + section + "]", std::string()});
    for (size_t i = 0; i < values.size(); ++i) {
        const auto& [key, value] = values[i];
        if (keys[i].found) {
            replacements.push_back(
                {keys[i].start, keys[i].textEnd, std::string(keys[i].storedKey) + "=" + value});
            continue;
        }
        const auto same = std::find_if(added.begin() + (sectionFound ? 0 : 1), added.end(),
                                       [&](const auto& line) { return SameName(line.first, key); });
        if (same != added.end()) {
            same->second = value;
        } else {
            added.push_back({key, value});
        }
    }
    std::stable_sort(replacements.begin(), replacements.end(),
                     [](const Replacement& a, const Replacement& b) { return a.start < b.start; });

    std::vector<std::string_view> pieces;
    size_t copied = 0;
    bool endsWithNewline = false;  // what is written so far
    auto keep = [&](size_t offset) {
        if (offset > copied) {
            pieces.push_back(content.substr(copied, offset - copied));
            endsWithNewline = content[offset - 1] == '\n';
        }
        copied = offset;
    };
    auto add = [&](std::string text) {
        if (text.empty()) return;
        endsWithNewline = text.back() == '\n';
        pieces.push_back(made.emplace_back(std::move(text)));
    };
    bool inserted = added.empty();
    auto insertBlock = [&] {
        keep(insertAt);
        std::string block;
        if (!pieces.empty() && !endsWithNewline) block.append(newline);
        for (size_t i = 0; i < added.size(); ++i) {
            block += added[i].first;
            if (sectionFound || i > 0) block += "=" + added[i].second;
            block.append(newline);
        }
        add(std::move(block));
        inserted = true;
    };
    for (const Replacement& replacement : replacements) {
        if (copied > replacement.start) continue;  // two keys of `values` on one line: the first counts
        if (!inserted && insertAt <= replacement.start) insertBlock();
        keep(replacement.start);
        add(replacement.text);
        copied = replacement.textEnd;
    }
    if (!inserted) insertBlock();
    keep(content.size());
    return pieces;
}

bool WriteAll(int fd, std::string_view content) {
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = write(fd, content.data() + done, content.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The new content goes to a temporary file beside the target, reaches the
// disk, and only then takes the target's name: readers see the old file or
// the new one, never a part. `existing` is the target's status when there is
// one: the new file keeps its owner and permissions.
bool ReplaceAtomically(const std::string& target, const std::vector<std::string_view>& pieces,
                       const struct stat* existing) {
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryNameFor(target, ++counter);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    if (existing) {
        // Failing to keep them is no reason not to save.
        (void)fchmod(fd, existing->st_mode & 07777);
        (void)fchown(fd, existing->st_uid, existing->st_gid);
    }
    bool written = true;
    for (const std::string_view piece : pieces) written = written && WriteAll(fd, piece);
    written = written && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)fsync(folder);
        close(folder);
    }
    return true;
}

// Decimal, or hexadecimal after "$" or "0x"; a sign may lead. Hexadecimal
// takes up to 32 bits and reads them as a signed value ("$FFFFFFFF" is -1).
std::optional<int> ParseInteger(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) {
        const uint32_t bits = static_cast<uint32_t>(magnitude);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    if (negative) {
        if (magnitude > static_cast<uint64_t>(INT_MAX) + 1) return std::nullopt;
        return static_cast<int>(-static_cast<int64_t>(magnitude));
    }
    if (magnitude > static_cast<uint64_t>(INT_MAX)) return std::nullopt;
    return static_cast<int>(magnitude);
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

void IniFile::load() const {
    if (loaded_) return;
    loaded_ = true;
    content_.clear();
    sections_.clear();
    const OwnFile file = LocateOwnFile(path_);
    if (file.state != OwnFileState::Regular) return;
    std::optional<std::string> content = ReadRegularFile(file.target);
    if (!content) return;
    content_ = std::move(*content);

    const std::string_view text = content_;
    auto open = sections_.end();
    size_t position = 0;
    Line line;
    while (NextLine(text, position, line)) {
        std::string_view name;
        if (!ParseSection(line.text, name)) continue;
        if (open != sections_.end()) open->second.second = line.start;
        const auto [at, isFirst] = sections_.try_emplace(Lower(name), line.end, text.size());
        open = isFirst ? at : sections_.end();
    }
}

std::optional<std::string> IniFile::readString(const std::string& section, const std::string& key) const {
    load();
    const auto found = sections_.find(Lower(section));
    if (found == sections_.end()) return std::nullopt;
    const auto [begin, end] = found->second;
    const std::string_view text = std::string_view(content_).substr(0, end);
    size_t position = begin;
    Line line;
    while (NextLine(text, position, line)) {
        std::string_view name, value;
        if (ParseKey(line.text, name, value) && SameName(name, key)) return std::string(value);
    }
    return std::nullopt;
}

int IniFile::readInteger(const std::string& section, const std::string& key, int fallback) const {
    const std::optional<std::string> text = readString(section, key);
    if (!text || text->size() > kLongestValue) return fallback;
    return ParseInteger(*text).value_or(fallback);
}

bool IniFile::writeStrings(const std::string& section,
                           const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) {
        if (!IsWritable(section, key, value)) return false;
    }

    // Start from the file as it is now, so keys written meanwhile by another
    // copy of the program survive; a file that is there but cannot be read is
    // never overwritten.
    const OwnFile file = LocateOwnFile(path_);
    std::string current;
    struct stat existing;
    bool exists = false;
    if (file.state == OwnFileState::Regular) {
        std::optional<std::string> content = ReadRegularFile(file.target);
        if (!content || lstat(file.target.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode) ||
            access(file.target.c_str(), W_OK) != 0) {
            return false;
        }
        current = std::move(*content);
        exists = true;
    } else if (file.state != OwnFileState::Missing) {
        return false;
    }

    RemoveStaleTemporaries(file.target);
    std::deque<std::string> made;
    if (!ReplaceAtomically(file.target, Spliced(current, section, values, made),
                           exists ? &existing : nullptr)) {
        return false;
    }
    loaded_ = false;  // the next read reads the new file
    content_.clear();
    sections_.clear();
    return true;
}

bool CanWriteFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    if (access(FolderOf(path).c_str(), W_OK | X_OK) != 0) return false;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    return access(path.c_str(), W_OK) == 0;
}

}  // namespace kestrix::platform
