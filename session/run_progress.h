#pragma once

#include <cstdint>

namespace kestrix::session {

// How far a run has come, in whole percent as the gauge shows it: each entry
// adds an equal step and the sum is rounded down, so the last entry reaches
// 100. The gauge is told only when the whole percent changes.
class RunProgress {
public:
    explicit RunProgress(std::int64_t entries) : step_(100.0 / static_cast<double>(entries)) {}

    // One more entry done: whether the value to show changed.
    bool advance() {
        sum_ += step_;
        const int now = static_cast<int>(sum_);
        if (now == percent_) return false;
        percent_ = now;
        return true;
    }
    int percent() const { return percent_; }

private:
    double step_;
    double sum_ = 0.0;
    int percent_ = 0;
};

}  // namespace kestrix::session
