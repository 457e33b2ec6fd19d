#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <QObject>

#include "platform/item_metadata.h"
#include "session/metadata_cache.h"

class QTimer;

namespace kestrix::session {

// Reads some fields of many items into the session's cache on worker
// threads, one per core, while the thread that made it stays free: it tells
// how far it got (progress, a few times a second) and when it ended, and
// can be stopped. Items already in the cache cost a stat each.
class MetadataJob : public QObject {
    Q_OBJECT

public:
    MetadataJob(MetadataCache& cache, std::vector<std::string> paths, platform::MetadataFields wanted,
                QObject* parent = nullptr);
    // Stops the job and waits for its threads.
    ~MetadataJob() override;

    // Sets the job going on `threads` threads (0: one per core).
    void start(int threads = 0);
    // Asks the threads to stop after the items they are reading; ended(false) follows.
    void stop();
    // Waits here until the job has ended, and signals its end before returning.
    void waitForEnd();

    bool running() const { return started_ && !ended_; }
    bool hasEnded() const { return ended_; }
    // Whether the job has ended with every item read.
    bool completed() const { return ended_ && done() == total(); }
    std::int64_t total() const { return static_cast<std::int64_t>(paths_.size()); }
    std::int64_t done() const { return done_.load(std::memory_order_relaxed); }
    const std::vector<std::string>& paths() const { return paths_; }
    platform::MetadataFields wanted() const { return wanted_; }
    // After the end, what was read of each path in order; null for an item
    // not read because the job was stopped.
    const std::vector<MetadataCache::Shared>& results() const { return results_; }

signals:
    // `done` of `total` items read.
    void progress(qint64 done, qint64 total);
    // The threads have ended; `completed` when every item was read.
    void ended(bool completed);

private:
    void work();
    void report();
    void threadsEnded();

    MetadataCache& cache_;
    const std::vector<std::string> paths_;
    const platform::MetadataFields wanted_;
    std::vector<MetadataCache::Shared> results_;
    std::vector<std::thread> threads_;
    std::atomic<std::int64_t> next_{0};
    std::atomic<std::int64_t> done_{0};
    std::atomic<int> working_{0};
    int threadCount_ = 1;
    std::atomic<bool> stopRequested_{false};
    QTimer* reporter_ = nullptr;
    std::int64_t reported_ = -1;
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace kestrix::session
