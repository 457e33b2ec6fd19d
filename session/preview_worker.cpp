#include "session/preview_worker.h"

#include <utility>

#include <pthread.h>

#include "engine/name_transform.h"

namespace kestrix::session {

PreviewWorker::PreviewWorker(Done done) : done_(std::move(done)), thread_([this] { loop(); }) {}

PreviewWorker::~PreviewWorker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    newest_ = 0;
    wake_.notify_one();
    thread_.join();
}

void PreviewWorker::submit(std::uint64_t generation, std::shared_ptr<const std::vector<ListEntry>> entries,
                           RenameRules rules) {
    {
        const std::lock_guard lock(mutex_);
        job_.emplace(Job{generation, std::move(entries), std::move(rules)});
    }
    newest_ = generation;
    wake_.notify_one();
}

void PreviewWorker::abandon(std::uint64_t generation) { newest_ = generation; }

void PreviewWorker::dispose(Result result) {
    {
        const std::lock_guard lock(mutex_);
        disposed_.push_back(std::move(result));
    }
    wake_.notify_one();
}

void PreviewWorker::loop() {
    pthread_setname_np(pthread_self(), "preview");  // as profilers show it
    for (;;) {
        std::optional<Job> job;
        std::vector<Result> disposed;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || job_.has_value() || !disposed_.empty(); });
            if (stop_) return;
            disposed.swap(disposed_);
            job.swap(job_);
        }
        disposed.clear();
        if (!job) continue;
        std::optional<Result> result = propose(*job);
        // The list changes its entries in place again once nobody holds them.
        job.reset();
        if (result) done_(std::move(*result));
    }
}

std::optional<PreviewWorker::Result> PreviewWorker::propose(const Job& job) {
    const std::vector<ListEntry>& entries = *job.entries;
    const auto count = static_cast<std::int64_t>(entries.size());
    Result result;
    result.generation = job.generation;
    std::string path;
    for (std::size_t row = 0; row < entries.size(); ++row) {
        if (row % 4096 == 0 && newest_.load() != job.generation) return std::nullopt;
        const ListEntry& entry = entries[row];
        const MissingFact missing =
            ProposePath(entry.current, static_cast<std::int64_t>(row), count, job.rules, entry.kind, path);
        if (path == entry.proposed && missing == entry.missing) continue;
        result.rows.push_back(static_cast<std::uint32_t>(row));
        result.proposed.push_back(path);
        result.missing.push_back(missing);
    }
    if (newest_.load() != job.generation) return std::nullopt;
    result.marks = PredictWithoutDisk(entries, result.rows, result.proposed, result.missing);
    return result;
}

}  // namespace kestrix::session
