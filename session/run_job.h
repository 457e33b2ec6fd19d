#pragma once

#include <memory>

#include <QObject>
#include <QTimer>

#include "run/rename_run.h"

namespace kestrix::session {

// A run of renames as a job: the run renames on a thread of its own, and this
// thread (the window's) takes its outcomes on a frame timer while its event
// loop goes on, so the windows repaint and answer between frames. Nothing
// here waits for the run, apart from the frames of no length a test asks for,
// which take each entry's outcome as it comes.
class RunJob : public QObject {
    Q_OBJECT

public:
    // Takes a run that has begun; `listener` outlives the job.
    RunJob(std::unique_ptr<run::RenameRun> run, run::RunListener& listener, QObject* parent = nullptr);
    ~RunJob() override;

    // Launches the run; ended() follows once it has.
    void start();
    // Stops the run after the entry it is on.
    void cancel();
    bool running() const { return running_; }
    run::RenameRun& run() { return *run_; }

signals:
    // After each take of outcomes, while the run goes on.
    void outcomesTaken();
    // The run has ended and its end is recorded (run().ended()).
    void ended();

private:
    void takeOutcomes();

    std::unique_ptr<run::RenameRun> run_;
    run::RunListener& listener_;
    QTimer frames_;
    bool running_ = false;
};

}  // namespace kestrix::session
