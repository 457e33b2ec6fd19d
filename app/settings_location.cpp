#include "app/settings_location.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "platform/folders.h"
#include "platform/ini_file.h"

namespace kestrix::settings {

namespace {

constexpr char kFileName[] = "kestrix.ini";

std::string& PathOverride() {
    static std::string path;
    return path;
}

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

std::string SettingsPath() {
    if (!PathOverride().empty()) return PathOverride();
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!IsInstalledCopy(QFile::encodeName(programFolder).toStdString(), InstallFolders())) {
        const std::string beside =
            QFile::encodeName(QDir(programFolder).filePath(QLatin1String(kFileName))).toStdString();
        if (platform::Exists(beside) || platform::CanWriteFile(beside)) return beside;
    }

    // An installed copy, or one that cannot keep its settings beside the program.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    return QFile::encodeName(QDir(folder).filePath(QLatin1String(kFileName))).toStdString();
}

void SetPathOverride(const std::string& path) { PathOverride() = path; }

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
    return platform::Exists(folder.substr(0, slash) + "/share/applications/kestrix.desktop");
}

}  // namespace kestrix::settings
