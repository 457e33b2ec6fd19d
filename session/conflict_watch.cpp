#include "session/conflict_watch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include <QPointer>
#include <QTimer>

#include <pthread.h>

#include "session/folder_cache.h"

namespace kestrix::session {

// One thread that predicts the run of the newest list it was given; a newer
// list stops the prediction of an older one.
class ConflictWatch::Worker {
public:
    using Done = std::function<void(std::uint64_t generation, std::vector<ConflictMark> marks)>;

    explicit Worker(Done done) : done_(std::move(done)), thread_([this] { loop(); }) {}

    ~Worker() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        newest_ = 0;
        wake_.notify_one();
        thread_.join();
    }

    void submit(std::uint64_t generation, std::shared_ptr<const std::vector<ListEntry>> entries) {
        {
            const std::lock_guard lock(mutex_);
            job_ = Job{generation, std::move(entries)};
        }
        newest_ = generation;
        wake_.notify_one();
    }

    // Work for an older generation is no longer wanted.
    void supersede(std::uint64_t generation) { newest_ = generation; }

    // Plays the run on the caller's thread, with the folders the worker knows.
    std::vector<ConflictMark> predictHere(const std::vector<ListEntry>& entries) {
        const std::lock_guard lock(folderMutex_);
        return PredictRun(entries, {}, &folders_).value_or(std::vector<ConflictMark>{});
    }

private:
    struct Job {
        std::uint64_t generation;
        std::shared_ptr<const std::vector<ListEntry>> entries;
    };

    void loop() {
        pthread_setname_np(pthread_self(), "conflict-marks");  // as profilers show it
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || job_.has_value(); });
                if (stop_) return;
                job = std::move(*job_);
                job_.reset();
            }
            std::optional<std::vector<ConflictMark>> marks;
            {
                const std::lock_guard lock(folderMutex_);
                marks = PredictRun(
                    *job.entries, [&] { return newest_.load() != job.generation; }, &folders_);
            }
            // The list changes its entries in place again once nobody holds them.
            job.entries.reset();
            if (marks) done_(job.generation, std::move(*marks));
        }
    }

    Done done_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> job_;
    bool stop_ = false;
    std::atomic<std::uint64_t> newest_{0};
    // The folders listed so far: a keystroke that changes only proposed names
    // reads none of them again.
    std::mutex folderMutex_;
    FolderCache folders_;
    std::thread thread_;
};

ConflictWatch::ConflictWatch(EntryList& list, QObject* parent) : QObject(parent), list_(list) {
    soon_ = new QTimer(this);
    soon_->setSingleShot(true);
    connect(soon_, &QTimer::timeout, this, &ConflictWatch::checkPending);
    QPointer<ConflictWatch> self(this);
    worker_ = std::make_unique<Worker>([self](std::uint64_t generation, std::vector<ConflictMark> marks) {
        // Runs on the worker's thread: the marks go to the watch's own thread.
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, marks = std::move(marks)]() mutable {
                if (self) self->diskPartDone(generation, std::move(marks));
            },
            Qt::QueuedConnection);
    });
}

ConflictWatch::~ConflictWatch() { worker_.reset(); }

void ConflictWatch::nextGeneration() {
    ++generation_;
    worker_->supersede(generation_);
}

void ConflictWatch::recheckNow() {
    if (paused_) return recheckSoon();
    recheckNow(PredictWithoutDisk(list_.entries()));
}

void ConflictWatch::recheckNow(std::vector<ConflictMark> withoutDisk) {
    if (paused_) return recheckSoon();
    nextGeneration();
    show(std::move(withoutDisk), false);
    soon_->start(0);
}

void ConflictWatch::recheckSoon() {
    nextGeneration();
    // Not at the very next turn: a view lays out new rows on a timer of its
    // own and paints them only afterwards, and the first paint of a long
    // list just added must not wait for the marks.
    constexpr int kAfterTheViewsMs = 10;
    if (!paused_) soon_->start(kAfterTheViewsMs);
}

void ConflictWatch::checkPending() {
    if (paused_) return;
    if (shownGeneration_ != generation_) {
        // Entries were added, removed or moved: until the disk part is in, the
        // marks they carry stay beside those of the part without the disk.
        std::vector<ConflictMark> marks = PredictWithoutDisk(list_.entries());
        for (int row = 0; row < list_.count(); ++row) {
            if (!marks[static_cast<size_t>(row)].failing())
                marks[static_cast<size_t>(row)] = list_.markAt(row);
        }
        show(std::move(marks), false);
    }
    if (list_.count() == 0) {
        diskShown_ = true;
        return;
    }
    worker_->submit(generation_, list_.snapshot());
}

void ConflictWatch::settleNow() {
    if (settled()) return;
    soon_->stop();
    nextGeneration();
    show(worker_->predictHere(list_.entries()), true);
}

void ConflictWatch::diskPartDone(std::uint64_t generation, std::vector<ConflictMark> marks) {
    if (generation != generation_ || paused_) return;
    show(std::move(marks), true);
}

void ConflictWatch::show(std::vector<ConflictMark> marks, bool fromDisk) {
    shownGeneration_ = generation_;
    diskShown_ = fromDisk || list_.count() == 0;
    count_ = static_cast<int>(
        std::count_if(marks.begin(), marks.end(), [](const ConflictMark& mark) { return mark.failing(); }));
    list_.setMarks(std::move(marks));
    emit marksChanged(count_);
}

void ConflictWatch::pause() {
    ++paused_;
    soon_->stop();
    nextGeneration();
}

void ConflictWatch::resume() {
    if (paused_ > 0) --paused_;
    recheckSoon();
}

}  // namespace kestrix::session
