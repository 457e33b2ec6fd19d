#pragma once

#include <string>

namespace kestrix::platform {

// The temporary file a write of `target` goes through before it takes the
// target's name: "<target>.tmp-<writer's process id>-<number>".
std::string TemporaryNameFor(const std::string& target, unsigned number);

// Removes the temporaries of `target` that a write killed half-way left
// behind: regular files named as TemporaryNameFor names them whose writer
// process is gone. Those of a process still running stay, whoever it is.
void RemoveStaleTemporaries(const std::string& target);

}  // namespace kestrix::platform
