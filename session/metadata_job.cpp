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
    cache_.catchUp();
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
    reporter_->start();
}

void MetadataJob::stop() {
    if (running()) stopRequested_ = true;
}

void MetadataJob::work() {
    const std::int64_t count = total();
    for (std::int64_t i = next_++; i < count && !stopRequested_; i = next_++) {
        results_[static_cast<size_t>(i)] = cache_.fieldsOfCaughtUp(paths_[static_cast<size_t>(i)], wanted_);
        done_.fetch_add(1, std::memory_order_relaxed);
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
