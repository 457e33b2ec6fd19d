#pragma once

#include <string>

namespace kestrix::settings {

// Makes TForm1::SettingsPath() answer `path` instead of the usual location
// (for tests); an empty path restores the usual location.
void SetPathOverride(const std::string& path);

}  // namespace kestrix::settings
