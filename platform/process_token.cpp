#include "platform/process_token.h"

#include <fstream>
#include <sstream>

#include <unistd.h>

namespace kestrix::platform {

namespace {

std::string FirstLine(const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The start time of this process in clock ticks since the boot: the 22nd
// field of /proc/self/stat, counted after the command's closing parenthesis
// (the command itself may hold spaces).
std::string StartTicks() {
    const std::string stat = FirstLine("/proc/self/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) return field;
    }
    return {};
}

}  // namespace

std::string ProcessToken() {
    return FirstLine("/proc/sys/kernel/random/boot_id") + ":" + std::to_string(getpid()) + ":" + StartTicks();
}

}  // namespace kestrix::platform
