#pragma once

#include <string>

namespace kestrix::platform {

// What tells this process apart from every other one of the machine, also
// from an earlier process that had the same process id: the boot, the
// process id and the moment the process started.
std::string ProcessToken();

}  // namespace kestrix::platform
