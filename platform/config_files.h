#pragma once

#include <string>

namespace kestrix::platform {

// The program's per-user configuration folder, ending with '/':
// "$XDG_CONFIG_HOME/Kestrix/" when that variable holds an absolute path,
// otherwise "$HOME/.config/Kestrix/"; empty when neither is known.
std::string ConfigFolder();

}  // namespace kestrix::platform
