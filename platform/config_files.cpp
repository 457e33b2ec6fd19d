#include "config_files.h"

#include <cstdlib>

namespace kestrix::platform {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace

std::string ConfigFolder() {
    // XDG_CONFIG_HOME counts only when it is an absolute path.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return WithSlash(config) + "Kestrix/";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return WithSlash(home) + ".config/Kestrix/";
    return std::string();
}

}  // namespace kestrix::platform
