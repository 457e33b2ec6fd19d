#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/list_entry.h"
#include "engine/rename_rules.h"
#include "session/run_prediction.h"

namespace kestrix::session {

// The proposed paths of a whole list, worked out on a thread of its own from
// a snapshot of the entries while the window goes on: only the entries whose
// proposal changes come back, with the marks that need no disk. A newer
// request abandons an older one.
class PreviewWorker {
public:
    struct Result {
        std::uint64_t generation = 0;
        std::vector<std::uint32_t> rows;  // ascending
        std::vector<std::string> proposed;
        std::vector<MissingFact> missing;
        // The marks without the disk of the list with these paths.
        std::vector<ConflictMark> marks;
    };
    // Called on the worker's thread with each request finished.
    using Done = std::function<void(Result result)>;

    explicit PreviewWorker(Done done);
    ~PreviewWorker();

    // Proposes anew every entry of `entries` (a list of that many) from `rules`,
    // which must not ask for facts of items (they would be read on this thread).
    void submit(std::uint64_t generation, std::shared_ptr<const std::vector<ListEntry>> entries,
                RenameRules rules);
    // Work for an older generation is no longer wanted.
    void abandon(std::uint64_t generation);
    // Frees a result's strings here instead of on the caller's thread.
    void dispose(Result result);

private:
    struct Job {
        std::uint64_t generation;
        std::shared_ptr<const std::vector<ListEntry>> entries;
        RenameRules rules;
    };

    void loop();
    std::optional<Result> propose(const Job& job);

    Done done_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> job_;
    std::vector<Result> disposed_;
    bool stop_ = false;
    std::atomic<std::uint64_t> newest_{0};
    std::thread thread_;
};

}  // namespace kestrix::session
