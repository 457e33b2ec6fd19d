#include "app/uri_list.h"

#include <optional>

#include "platform/ascii_case.h"

namespace kestrix::ui {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Trimmed(const std::string& line) {
    const char* blanks = " \t\r";
    const std::size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

std::optional<std::string> LocalPath(const std::string& uri) {
    constexpr std::size_t kSchemeLength = 5;  // "file:"
    if (uri.size() < kSchemeLength ||
        !kestrix::platform::EqualIgnoringAsciiCase(uri.substr(0, kSchemeLength), "file:")) {
        return std::nullopt;
    }
    std::string rest = uri.substr(kSchemeLength);
    if (rest.compare(0, 2, "//") == 0) {
        const std::size_t pathStart = rest.find('/', 2);
        if (pathStart == std::string::npos) return std::nullopt;
        const std::string host = rest.substr(2, pathStart - 2);
        if (!host.empty() && !kestrix::platform::EqualIgnoringAsciiCase(host, "localhost"))
            return std::nullopt;
        rest = rest.substr(pathStart);
    }
    // A fragment would cut the name short; such a URI names no file for sure.
    if (rest.empty() || rest[0] != '/' || rest.find('#') != std::string::npos) return std::nullopt;

    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        if (i + 2 >= rest.size()) return std::nullopt;
        const int high = HexValue(rest[i + 1]);
        const int low = HexValue(rest[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == '\0' || byte == '/') return std::nullopt;
        path += byte;
        i += 2;
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::vector<std::string> DecodeUriList(const std::string& bytes) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = Trimmed(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (std::optional<std::string> path = LocalPath(line)) paths.push_back(std::move(*path));
    }
    return paths;
}

}  // namespace kestrix::ui
