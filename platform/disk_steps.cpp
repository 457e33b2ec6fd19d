#include "disk_steps.h"

#include <atomic>

namespace kestrix::platform {

namespace {

std::atomic<DiskStepHook> hook{nullptr};
std::atomic<long> taken{0};

}  // namespace

void SetDiskStepHook(DiskStepHook newHook) { hook = newHook; }

void NoteDiskStep() {
    const long step = ++taken;
    if (const DiskStepHook current = hook.load()) current(step);
}

long DiskStepsTaken() { return taken; }

}  // namespace kestrix::platform
