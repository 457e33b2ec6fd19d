#include "run/outcome_handoff.h"

#include <thread>

namespace kestrix::run {

namespace {

// Longer than a frame's events normally take, short enough to cost nothing
// when something (a slow disk, a dialog) holds the other side up.
constexpr std::chrono::milliseconds kSpinAtMost{5};

}  // namespace

// Each side stores its progress in an atomic, then looks whether the other
// side sleeps (sequentially consistent on both sides, so that either the
// sleeper sees the progress or the other side sees the sleeper), and only
// then takes the mutex to wake it.

OutcomeHandoff::OutcomeHandoff(std::size_t capacity) : records_(capacity), details_(capacity) {}

template <typename Done>
void OutcomeHandoff::wait(std::atomic<bool>& asleep, std::condition_variable& woken, Done done,
                          std::optional<std::chrono::steady_clock::time_point> until, bool spin) {
    if (spin) {
        const auto spinUntil = std::chrono::steady_clock::now() + kSpinAtMost;
        while (!done() && std::chrono::steady_clock::now() < spinUntil) std::this_thread::yield();
    }
    if (done()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    asleep = true;
    if (until) {
        woken.wait_until(lock, *until, done);
    } else {
        woken.wait(lock, done);
    }
    asleep = false;
}

void OutcomeHandoff::wake(std::atomic<bool>& asleep, std::condition_variable& woken) {
    if (!asleep.load()) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    woken.notify_one();
}

bool OutcomeHandoff::publish(std::int64_t index, const EntryOutcome& outcome, bool planned, bool frameDue,
                             bool pause) {
    const auto capacity = static_cast<std::int64_t>(records_.size());
    if (index - taken_.load() >= capacity) {
        wait(
            renamerAsleep_, renamerWoken_,
            [&] { return stopped_.load() || index - taken_.load() < capacity; }, std::nullopt, false);
    }
    if (stopped_) return false;
    records_[at(index)] = Record{outcome.outcome, frameDue, pause, planned, outcome.folderMovesSoFar};
    if (!planned) details_[at(index)] = outcome;
    if (frameDue) frameAsked_ = false;
    if (pause) {
        pauseAsked_ = false;
        paused_ = true;
    }
    published_.store(index + 1);
    if (frameDue || pause) marked_.store(index + 1);
    if (frameDue || pause || index + 1 - taken_.load() >= capacity / 2) wake(showerAsleep_, showerWoken_);
    if (pause) {
        wait(
            renamerAsleep_, renamerWoken_, [&] { return stopped_.load() || !paused_.load(); }, std::nullopt,
            true);
    }
    return !stopped_;
}

void OutcomeHandoff::close() {
    closed_ = true;
    wake(showerAsleep_, showerWoken_);
}

bool OutcomeHandoff::showerMayGo(std::int64_t next) const {
    return closed_.load() || marked_.load() > next ||
           published_.load() - next >= static_cast<std::int64_t>(records_.size()) / 2;
}

std::int64_t OutcomeHandoff::waitFor(std::int64_t next,
                                     std::optional<std::chrono::steady_clock::time_point> until) {
    taken_.store(next);
    wake(renamerAsleep_, renamerWoken_);
    // What was asked for comes within one rename.
    wait(
        showerAsleep_, showerWoken_, [&] { return showerMayGo(next); }, until, !until);
    const std::int64_t in = published_.load();
    return closed_ && in == next ? -1 : in;
}

void OutcomeHandoff::taken(std::int64_t next) {
    taken_.store(next);
    wake(renamerAsleep_, renamerWoken_);
}

void OutcomeHandoff::ask(bool pause) {
    if (pause) pauseAsked_ = true;
    frameAsked_ = true;
}

void OutcomeHandoff::resume(bool askAgain) {
    if (askAgain) ask(true);
    paused_ = false;
    wake(renamerAsleep_, renamerWoken_);
}

void OutcomeHandoff::stop() {
    stopped_ = true;
    // Under the mutex, so that neither side can be between its check and its sleep.
    const std::lock_guard<std::mutex> lock(mutex_);
    renamerWoken_.notify_one();
    showerWoken_.notify_one();
}

}  // namespace kestrix::run
