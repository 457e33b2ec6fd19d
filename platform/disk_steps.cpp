#include "disk_steps.h"

#include <atomic>

namespace kestrix::platform {

namespace {

std::atomic<DiskStepHook> hook{nullptr};
std::atomic<DiskStepWatch> watch{nullptr};
std::atomic<long> taken{0};

}  // namespace

void SetDiskStepHook(DiskStepHook newHook) { hook = newHook; }

void NoteDiskStep() {
    const long step = ++taken;
    if (const DiskStepHook current = hook.load()) current(step);
}

long DiskStepsTaken() { return taken; }

void SetDiskStepWatch(DiskStepWatch newWatch) { watch = newWatch; }

void NoteDiskStep(DiskStep step, const std::string& path) {
    if (const DiskStepWatch current = watch.load()) current(step, path);
    NoteDiskStep();
}

}  // namespace kestrix::platform
