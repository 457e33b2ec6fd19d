#include "session/metadata_job.h"

#include <algorithm>
#include <utility>

#include <QTimer>

namespace kestrix::session {

MetadataJob::MetadataJob(MetadataCache& cache, std::vector<std::string> paths,
                         platform::MetadataFields wanted, QObject* parent)
    : QObject(parent), cache_(cache), paths_(std::move(paths)), wanted_(wanted), results_(paths_.size()) {
    reporter_ = new QTimer(this);
    reporter_->setInterval(40);
    connect(reporter_, &QTimer::timeout, this, &MetadataJob::report);
}

MetadataJob::~MetadataJob() {
    stopRequested_ = true;
    for (std::thread& thread : threads_) thread.join();
}

void MetadataJob::start(int threads) {
    if (started_) return;
    started_ = true;
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = static_cast<int>(std::min<std::int64_t>(threads, std::max<std::int64_t>(1, total())));
    working_ = threads;
    threadCount_ = threads;
    cache_.catchUp();
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
    reporter_->start();
}

void MetadataJob::stop() {
    if (running()) stopRequested_ = true;
}

void MetadataJob::work() {
    // Items are taken in groups, so that those the cache knows cost one
    // lock a group; small enough that every thread gets many.
    const std::int64_t count = total();
    const std::int64_t group = std::clamp<std::int64_t>(count / (threadCount_ * 16), 1, 64);
    for (std::int64_t first = next_.fetch_add(group); first < count && !stopRequested_;
         first = next_.fetch_add(group)) {
        const auto begin = static_cast<std::size_t>(first);
        const auto end = static_cast<std::size_t>(std::min(count, first + group));
        const std::vector<std::size_t> unknown = cache_.takeKnown(paths_, begin, end, wanted_, results_);
        done_.fetch_add(static_cast<std::int64_t>(end - begin - unknown.size()), std::memory_order_relaxed);
        for (std::size_t i : unknown) {
            if (stopRequested_) break;
            results_[i] = cache_.fieldsOfCaughtUp(paths_[i], wanted_);
            done_.fetch_add(1, std::memory_order_relaxed);
        }
    }
    // The last thread out tells the job's own thread.
    if (--working_ == 0) QMetaObject::invokeMethod(this, &MetadataJob::threadsEnded, Qt::QueuedConnection);
}

void MetadataJob::report() {
    const std::int64_t now = done();
    if (now == reported_) return;
    reported_ = now;
    emit progress(now, total());
}

void MetadataJob::waitForEnd() {
    if (!started_) start();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
    threadsEnded();
}

void MetadataJob::threadsEnded() {
    if (ended_) return;
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
    reporter_->stop();
    report();
    ended_ = true;
    emit ended(completed());
}

}  // namespace kestrix::session
