#include "session/run_job.h"

#include <utility>

namespace kestrix::session {

RunJob::RunJob(std::unique_ptr<run::RenameRun> run, run::RunListener& listener, QObject* parent)
    : QObject(parent), run_(std::move(run)), listener_(listener) {
    frames_.setInterval(run_->frameMilliseconds());
    frames_.setTimerType(Qt::PreciseTimer);
    connect(&frames_, &QTimer::timeout, this, &RunJob::takeOutcomes);
}

RunJob::~RunJob() = default;

void RunJob::start() {
    running_ = true;
    run_->launch(listener_);
    frames_.start();
}

void RunJob::cancel() { run_->cancel(); }

void RunJob::takeOutcomes() {
    bool done = false;
    try {
        done = run_->takeOutcomes(listener_, std::chrono::steady_clock::now());
    } catch (...) {
        // The renaming thread failed (out of memory); it has stopped, and the
        // journal is left for the next start, which settles it.
        done = true;
    }
    if (!done) {
        emit outcomesTaken();
        return;
    }
    frames_.stop();
    running_ = false;
    emit ended();
}

}  // namespace kestrix::session
