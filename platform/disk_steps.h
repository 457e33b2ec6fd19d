#pragma once

namespace kestrix::platform {

// Every change the program makes on disk while renaming counts as one step:
// a rename, link or unlink, a placeholder made or removed, a journal write or
// sync. Tests set a hook that is called after each step with the number of
// steps taken so far in this process, to end the process at a chosen instant.
using DiskStepHook = void (*)(long step);

void SetDiskStepHook(DiskStepHook hook);
void NoteDiskStep();
long DiskStepsTaken();

}  // namespace kestrix::platform
