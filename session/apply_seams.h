#pragma once

#include <functional>

namespace kestrix::session {

// How a run of renames paces the taking of its outcomes, and hooks through
// which tests and benchmarks watch a run.
struct ApplySeams {
    // The window's thread takes a run's outcomes once this many milliseconds
    // (about once per frame), its events going on in between. 0 makes every
    // entry wait until its outcome has been taken and the events after it
    // processed.
    int frameMilliseconds = 16;
    // Called with every value a run gives the gauge, in order.
    std::function<void(int value)> gaugeSet;
    // Called after each take of a run's outcomes, before the events that follow it.
    std::function<void()> eventsProcessed;
};

ApplySeams& applySeams();
void resetApplySeams();

}  // namespace kestrix::session
