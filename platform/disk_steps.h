#pragma once

#include <string>

namespace kestrix::platform {

// Every change the program makes on disk while renaming counts as one step:
// a rename, link or unlink, a placeholder made or removed, a journal write or
// sync. Tests set a hook that is called after each step with the number of
// steps taken so far in this process, to end the process at a chosen instant.
using DiskStepHook = void (*)(long step);

void SetDiskStepHook(DiskStepHook hook);
void NoteDiskStep();
long DiskStepsTaken();

// The steps whose order makes a run durable, told with the path they concern
// (a rename's new path), so that tests can check that what a power loss
// could leave is always enough to settle the run. A watch is told before the
// step counts.
enum class DiskStep {
    WriteFile,      // bytes appended to one of the program's own files
    SyncFile,       // that file's data made durable
    SyncFolder,     // a folder's entries made durable
    RenameOwnFile,  // one of the program's own files under a new name
    RenameItem,     // a user's item reached its new name (or an intermediate one)
};
using DiskStepWatch = void (*)(DiskStep step, const std::string& path);

void SetDiskStepWatch(DiskStepWatch watch);
void NoteDiskStep(DiskStep step, const std::string& path);

}  // namespace kestrix::platform
