#include "name_rules.h"

#include <climits>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kestrix::platform {

namespace {

constexpr long kMsdosSuperMagic = 0x4d44;
constexpr long kExfatSuperMagic = 0x2011BAB0;
constexpr long kFuseSuperMagic = 0x65735546;

bool RefusedOnFat(unsigned char c) { return c < 0x20 || std::strchr("\"*:<>?\\|", c) != nullptr; }

// A field of /proc/self/mountinfo, whose spaces and backslashes are written as octal escapes.
std::string Unescaped(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                text += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// The type and source of the mount whose file system has the device number `device`.
bool MountOf(dev_t device, std::string& type, std::string& source) {
    std::ifstream mounts("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers;
        if (!(fields >> id >> parent >> numbers) || numbers != wanted) continue;
        std::string field;
        while (fields >> field && field != "-") {
        }
        if (field != "-" || !(fields >> type >> source)) continue;
        source = Unescaped(source);
        return true;
    }
    return false;
}

NameRules RulesOfType(std::string_view type) {
    if (type == "exfat") return NameRules::Exfat;
    if (type == "vfat" || type == "msdos" || type == "fat") return NameRules::Fat;
    return NameRules::Posix;
}

// What udev found on the block device, where it ran.
std::optional<NameRules> RulesUdevRecorded(dev_t device) {
    std::ifstream data("/run/udev/data/b" + std::to_string(major(device)) + ":" +
                       std::to_string(minor(device)));
    std::string line;
    while (std::getline(data, line)) {
        if (line.rfind("E:ID_FS_TYPE=", 0) == 0) return RulesOfType(std::string_view(line).substr(13));
    }
    return std::nullopt;
}

// What the boot sector of the device says it holds.
NameRules RulesOfBootSector(const std::string& device) {
    const int fd = open(device.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return NameRules::Posix;
    unsigned char sector[512] = {};
    const ssize_t read = pread(fd, sector, sizeof sector, 0);
    close(fd);
    if (read != static_cast<ssize_t>(sizeof sector)) return NameRules::Posix;
    const auto says = [&](size_t at, const char* text) {
        return std::memcmp(sector + at, text, std::strlen(text)) == 0;
    };
    if (says(3, "EXFAT   ")) return NameRules::Exfat;
    const bool signed55aa = sector[510] == 0x55 && sector[511] == 0xAA;
    if (signed55aa && !says(3, "NTFS    ") && (says(0x36, "FAT") || says(0x52, "FAT32")))
        return NameRules::Fat;
    return NameRules::Posix;
}

NameRules RulesOfFuseMount(const std::string& folder) {
    struct stat st;
    std::string type, source;
    if (stat(folder.c_str(), &st) != 0 || !MountOf(st.st_dev, type, source)) return NameRules::Posix;
    // "fuse.exfat", "fuseblk.fusefat": the daemon named its file system.
    const size_t dot = type.find('.');
    if (dot != std::string::npos) {
        const std::string_view subtype = std::string_view(type).substr(dot + 1);
        if (subtype.find("exfat") != std::string_view::npos) return NameRules::Exfat;
        if (subtype.find("fat") != std::string_view::npos) return NameRules::Fat;
        return NameRules::Posix;
    }
    if (type != "fuseblk") return NameRules::Posix;
    struct stat device;
    if (stat(source.c_str(), &device) != 0 || !S_ISBLK(device.st_mode)) return NameRules::Posix;
    if (const std::optional<NameRules> recorded = RulesUdevRecorded(device.st_rdev)) return *recorded;
    return RulesOfBootSector(source);
}

}  // namespace

NameFault NameFaultOf(std::string_view name, NameRules rules) {
    using Kind = NameFault::Kind;
    if (name.empty()) return {Kind::Empty};
    if (name == "." || name == "..") return {Kind::Dots};
    if (name.find('\0') != std::string_view::npos) return {Kind::Nul};
    if (name.find('/') != std::string_view::npos) return {Kind::Slash};
    if (name.size() > NAME_MAX) return {Kind::TooLong};
    if (rules == NameRules::Posix) return {};
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (RefusedOnFat(byte)) return {Kind::Character, byte};
    }
    if (rules == NameRules::Fat && name.back() == ' ') return {Kind::TrailingSpace};
    if (rules == NameRules::Fat && name.back() == '.') return {Kind::TrailingDot};
    return {};
}

NameRules NameRulesOf(const std::string& folder) {
    struct statfs info;
    if (statfs(folder.empty() ? "." : folder.c_str(), &info) != 0) return NameRules::Posix;
    switch (static_cast<long>(info.f_type)) {
        case kMsdosSuperMagic:
            return NameRules::Fat;
        case kExfatSuperMagic:
            return NameRules::Exfat;
        case kFuseSuperMagic:
            return RulesOfFuseMount(folder.empty() ? "." : folder);
        default:
            return NameRules::Posix;
    }
}

}  // namespace kestrix::platform
