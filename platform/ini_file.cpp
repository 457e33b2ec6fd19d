#include "ini_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ascii_case.h"

namespace kestrix::platform {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr size_t kLongestValue = 2047;

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string WithoutBom(const std::string& line) {
    return line.compare(0, 3, kUtf8Bom) == 0 ? line.substr(3) : line;
}

// "[name]" gives the section's name; a line without the closing bracket still
// opens a section, as the classic INI readers allow.
bool ParseSection(const std::string& line, std::string& name) {
    const std::string text = Trim(WithoutBom(line));
    if (text.empty() || text[0] != '[') return false;
    const size_t close = text.find(']');
    name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool ParseKey(const std::string& line, std::string& key, std::string& value) {
    const std::string text = Trim(WithoutBom(line));
    if (text.empty() || text[0] == ';' || text[0] == '#' || text[0] == '[') return false;
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return false;
    key = Trim(text.substr(0, equals));
    value = Trim(text.substr(equals + 1));
    return !key.empty();
}

struct Location {
    bool sectionFound = false;
    size_t sectionEnd = 0;  // the line after the section's last key (where a new key goes)
    bool keyFound = false;
    size_t keyLine = 0;
    std::string storedKey;  // the key as the file spells it
    std::string value;
};

// The first section of that name counts, and its first key of that name.
Location Find(const std::vector<std::string>& lines, const std::string& section, const std::string& key) {
    Location where;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, value;
        if (ParseSection(lines[i], name)) {
            if (inside) break;
            if (EqualIgnoringAsciiCase(name, section)) {
                inside = true;
                where.sectionFound = true;
                where.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inside || !ParseKey(lines[i], name, value)) continue;
        where.sectionEnd = i + 1;
        if (!where.keyFound && EqualIgnoringAsciiCase(name, key)) {
            where.keyFound = true;
            where.keyLine = i;
            where.storedKey = name;
            where.value = value;
        }
    }
    return where;
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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& content) {
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

// The new content goes to a temporary file beside the target, reaches the
// disk, and only then takes the target's name: readers see the old file or
// the new one, never a part.
bool ReplaceAtomically(const std::string& path, const std::string& content) {
    std::string target = path;
    struct stat st;
    bool exists = lstat(path.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        // Write through a link to the file it names instead of replacing the link.
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            target = resolved;
            free(resolved);
            exists = stat(target.c_str(), &st) == 0;
        } else {
            exists = false;
        }
    }
    if (exists && (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0)) return false;

    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    if (exists) {
        // Keep the settings file's owner and permissions; failing to is no reason not to save.
        (void)fchmod(fd, st.st_mode & 07777);
        (void)fchown(fd, st.st_uid, st.st_gid);
    }
    const bool written = WriteAll(fd, content) && fsync(fd) == 0;
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

IniFile::IniFile(std::string path) : path_(std::move(path)) { load(lines_, crlf_); }

bool IniFile::load(std::vector<std::string>& lines, bool& crlf) const {
    lines.clear();
    crlf = false;
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        struct stat st;
        return lstat(path_.c_str(), &st) != 0 && errno == ENOENT;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    const std::string content = buffer.str();

    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (lines.empty()) crlf = true;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

std::optional<std::string> IniFile::readString(const std::string& section, const std::string& key) const {
    const Location where = Find(lines_, section, key);
    if (!where.keyFound) return std::nullopt;
    return where.value;
}

int IniFile::readInteger(const std::string& section, const std::string& key, int fallback) const {
    const std::optional<std::string> text = readString(section, key);
    if (!text || text->size() > kLongestValue) return fallback;
    return ParseInteger(*text).value_or(fallback);
}

bool IniFile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    if (!IsWritable(section, key, value)) return false;

    // Start from the file as it is now, so keys written meanwhile by another
    // copy of the program survive; an unreadable file is never overwritten.
    std::vector<std::string> lines;
    bool crlf = false;
    if (!load(lines, crlf)) return false;

    const Location where = Find(lines, section, key);
    if (where.keyFound) {
        lines[where.keyLine] = where.storedKey + "=" + value;
    } else if (where.sectionFound) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.sectionEnd), key + "=" + value);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(key + "=" + value);
    }

    const char* ending = crlf ? "\r\n" : "\n";
    std::string content;
    for (const std::string& line : lines) content += line + ending;
    if (!ReplaceAtomically(path_, content)) return false;

    lines_ = std::move(lines);
    crlf_ = crlf;
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
