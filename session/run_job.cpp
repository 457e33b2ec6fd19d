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
    // The end is taken at once, not at the next frame.
    run_->launch(listener_,
                 [this] { QMetaObject::invokeMethod(this, &RunJob::takeOutcomes, Qt::QueuedConnection); });
    frames_.start();
}

void RunJob::cancel() { run_->cancel(); }

void RunJob::takeOutcomes() {
    if (!running_) return;
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
