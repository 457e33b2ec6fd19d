#pragma once

#include <functional>

namespace kestrix::session {

// How a run of renames paces its repainting, and hooks through which tests
// and benchmarks watch a run.
struct ApplySeams {
    // Pending events are processed after an entry only once this many
    // milliseconds have passed since the last time (about once per frame), and
    // always after the last entry. 0 processes them after every entry.
    int frameMilliseconds = 16;
    // Called with every value a run gives the gauge, in order.
    std::function<void(int value)> gaugeSet;
    // Called right after each processing of pending events during a run.
    std::function<void()> eventsProcessed;
};

ApplySeams& applySeams();
void resetApplySeams();

// Processes the pending events in the middle of a run (the window repaints,
// the options window takes input), then tells the seam.
void ProcessEventsDuringRun();

}  // namespace kestrix::session
