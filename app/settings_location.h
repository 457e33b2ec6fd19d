#pragma once

#include <string>
#include <vector>

namespace kestrix::settings {

// Where the settings file is: beside the program for a copy that may write
// there and is not installed, else in the user's configuration folder (made
// when missing).
std::string SettingsPath();

// Makes SettingsPath() answer `path` instead of the usual location (for
// tests); an empty path restores the usual location.
void SetPathOverride(const std::string& path);

// The folders the build installs the program to: the install prefix's bin
// folder, and that of the Debian package.
std::vector<std::string> InstallFolders();

// Whether the program running from `programFolder` (absolute, links
// resolved) is an installed copy, which keeps its settings in the user's
// configuration folder and never beside itself, whoever runs it.
//
// A copy counts as installed when its folder is one of `installFolders`, or
// ends with one of them: a staged install (DESTDIR) runs from
// <DESTDIR><prefix>/bin and is the same install, only not yet moved into
// place. A copy installed under another prefix than the build's (cmake
// --install --prefix) is known by the desktop entry installed beside it,
// <prefix>/share/applications/kestrix.desktop. A build or a portable copy
// has neither.
bool IsInstalledCopy(const std::string& programFolder, const std::vector<std::string>& installFolders);

}  // namespace kestrix::settings
