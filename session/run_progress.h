#pragma once

#include <cstdint>

namespace kestrix::session {

// How far a run has come, in whole percent as the gauge shows it: each entry
// adds an equal step and the sum is rounded down, so the last entry reaches
// 100.
class RunProgress {
public:
    explicit RunProgress(std::int64_t entries) : step_(100.0 / static_cast<double>(entries)) {}

    // One more entry done: the value to show now.
    int advance() {
        sum_ += step_;
        return static_cast<int>(sum_);
    }

private:
    double step_;
    double sum_ = 0.0;
};

}  // namespace kestrix::session
