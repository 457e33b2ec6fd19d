#pragma once

// Ending a process in the middle of a run of renames, as a crash or a kill
// would: the run goes on in a child process, which is killed (SIGKILL) at a
// chosen instant, and the test looks at what it left.

#include <chrono>
#include <functional>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/disk_steps.h"

namespace kestrix::testing {

inline long killAtStep = 0;

inline void KillAtChosenStep(long step) {
    if (step == killAtStep) kill(getpid(), SIGKILL);
}

// Runs `body` in a child process killed right after its `step`-th change on
// disk from now on. True when it was killed, false when it finished first.
inline bool RunKilledAtStep(long step, const std::function<void()>& body) {
    killAtStep = platform::DiskStepsTaken() + step;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        platform::SetDiskStepHook(&KillAtChosenStep);
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

inline std::function<bool()> killWhen;

inline void KillWhenTheConditionHolds(long) {
    if (killWhen && killWhen()) kill(getpid(), SIGKILL);
}

// Runs `body` in a child process killed right after the first change on disk
// after which `condition` holds. True when it was killed.
inline bool RunKilledWhen(const std::function<bool()>& condition, const std::function<void()>& body) {
    killWhen = condition;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        platform::SetDiskStepHook(&KillWhenTheConditionHolds);
        body();
        _exit(0);
    }
    killWhen = nullptr;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Runs `body` in a child process killed after `delay`. True when it was
// killed, false when it finished first.
inline bool RunKilledAfter(std::chrono::microseconds delay, const std::function<void()>& body) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        body();
        _exit(0);
    }
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace kestrix::testing
