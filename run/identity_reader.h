#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/item_identity.h"
#include "run/journal_format.h"

namespace kestrix::run {

// Reads the identities of a run's items while the run goes on, beside it:
// the items of one folder once the run has passed every entry of that folder,
// under the names they ended with, from one listing of the folder. So undo
// later finds each item as the run left it, and the listings cost the run
// nothing but a core that is otherwise idle.
class IdentityReader {
public:
    // Sorts the plan's entries by folder; start() then sets the reader going,
    // before the run's first entry.
    explicit IdentityReader(const std::vector<PlanEntry>& plan);
    ~IdentityReader();
    void start();
    IdentityReader(const IdentityReader&) = delete;
    IdentityReader& operator=(const IdentityReader&) = delete;

    // The run is done with entry `index`, which it renamed or not.
    void entryDone(std::int64_t index, bool renamed);
    // Lets the reader catch up (once a frame).
    void wake();
    // Waits for the reader. Unknown where it could not tell (a folder the run
    // renamed under it); with `reachedOnly` (a run stopped early), also for
    // the folders the run never reached, which are not read then.
    std::vector<platform::ItemIdentity> finish(bool reachedOnly = false);
    // After finish(): whether the run renamed entry `index`.
    bool renamed(std::size_t index) const { return renamed_[index]; }

private:
    void read();

    // The entries of each folder, and the last of them in list order; in the
    // order of their last entries.
    struct Folder {
        std::int64_t last = 0;
        std::vector<std::size_t> members;
    };

    const std::vector<PlanEntry>& plan_;
    std::vector<Folder> folders_;
    std::vector<char> renamed_;
    std::vector<platform::ItemIdentity> identities_;
    std::atomic<std::int64_t> done_{0};
    std::atomic<bool> finishing_{false};
    std::atomic<bool> reachedOnly_{false};
    std::mutex mutex_;
    std::condition_variable woken_;
    std::thread thread_;
};

}  // namespace kestrix::run
