#include "app/settings_location.h"

#include <algorithm>

#include "platform/folders.h"

namespace kestrix::settings {

namespace {

std::string WithoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool EndsWithFolder(const std::string& folder, const std::string& tail) {
    if (tail.empty() || tail.size() > folder.size()) return false;
    if (folder.compare(folder.size() - tail.size(), tail.size(), tail) != 0) return false;
    return folder.size() == tail.size() || tail.front() == '/' ||
           folder[folder.size() - tail.size() - 1] == '/';
}

}  // namespace

std::vector<std::string> InstallFolders() {
    std::vector<std::string> folders;
    const std::string list = KESTRIX_INSTALL_FOLDERS;  // separated by ':'
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start) folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

bool IsInstalledCopy(const std::string& programFolder, const std::vector<std::string>& installFolders) {
    const std::string folder = WithoutTrailingSlashes(programFolder);
    for (const std::string& installed : installFolders) {
        if (EndsWithFolder(folder, WithoutTrailingSlashes(installed))) return true;
    }
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos) return false;
    return kestrix::platform::Exists(folder.substr(0, slash) + "/share/applications/kestrix.desktop");
}

}  // namespace kestrix::settings
