#include "item_times.h"

#include <ctime>

#include <sys/stat.h>

namespace kestrix::platform {

std::optional<DateTime> ModifiedLocalTime(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return std::nullopt;
    struct tm local;
    if (!localtime_r(&info.st_mtim.tv_sec, &local)) return std::nullopt;
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace kestrix::platform
