#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/name_rules.h"
#include "run/journal_format.h"

namespace kestrix::run {

// Why the rename of an entry failed, as a value: the run core has no words of
// its own; the report composes them.
struct RunFailure {
    enum class Kind : std::uint8_t {
        None,
        System,         // the system refused the rename: `error` says why
        RefusedName,    // the new name cannot be made there (`name`); nothing was touched
        JournalBroken,  // the journal could not be written (`error`), so nothing more is renamed
        ReplacedSince,  // another item is under the name now (an undo)
    };
    Kind kind = Kind::None;
    int error = 0;
    platform::NameFault name;
    std::string leftAt;  // where a step that could neither finish nor go back left the item
};

// What happened to one entry of a run.
struct EntryOutcome {
    Outcome outcome = Outcome::Unchanged;
    std::string from;  // where the item was when its turn came
    std::string to;    // where it was to go
    RunFailure failure;
    // How many folder renames the run had recorded once this entry was done.
    std::size_t folderMovesSoFar = 0;
};

// The outcomes of a run's entries, passed in order from the thread that
// renames to the thread that shows them. The renaming thread goes on while
// the other one takes earlier outcomes in bulk, up to a ring's worth behind.
// The showing thread asks for what it needs after the entry at hand: a frame
// (the renaming thread marks that entry's outcome as a frame's and goes on)
// or a pause (it stops until resume()). A pause lasts well under a
// millisecond, less than a sleeping thread takes to be woken on a virtual
// machine, so while one is asked for or lasts both sides wait by yielding
// their cores before they sleep. An outcome whose paths are the plan's passes
// without them: what goes from one core to the other is a few bytes per entry.
class OutcomeHandoff {
public:
    struct Record {
        Outcome outcome = Outcome::Unchanged;
        bool frameDue = false;
        bool paused = false;
        // The paths are the plan's; otherwise detail() holds the whole outcome.
        bool planned = true;
        std::size_t folderMovesSoFar = 0;
    };
    struct Asked {
        bool frame = false;
        bool pause = false;
    };

    explicit OutcomeHandoff(std::size_t capacity = 8192);

    // The renaming thread. What is asked for after the entry at hand.
    Asked asked() const { return Asked{frameAsked_.load(), pauseAsked_.load()}; }
    // Hands over the outcome of `index` once there is room for it, with only
    // its kind when `planned`; with `pause`, waits for resume(). False once
    // stopped.
    bool publish(std::int64_t index, const EntryOutcome& outcome, bool planned, bool frameDue, bool pause);
    // No more outcomes come.
    void close();

    // The showing thread; every outcome before `next` has been taken. Waits
    // until a frame's outcome or a pause is in, the renaming thread closes,
    // the ring fills up, or `until` (when given) passes. Returns the end of
    // the outcomes in (exclusive), or -1 once all have been taken and no more
    // come.
    std::int64_t waitFor(std::int64_t next, std::optional<std::chrono::steady_clock::time_point> until);
    const Record& record(std::int64_t index) const { return records_[at(index)]; }
    const EntryOutcome& detail(std::int64_t index) const { return details_[at(index)]; }
    // Every outcome before `next` has been taken: their room is free again.
    void taken(std::int64_t next);
    // Asks for a frame, and with `pause` for a pause, after the entry at hand.
    void ask(bool pause);
    // Lets the renaming thread go on after a pause; with `askAgain`, asks
    // for a frame and a pause after its next entry.
    void resume(bool askAgain);
    // Makes the renaming thread stop at its next publication.
    void stop();

private:
    std::size_t at(std::int64_t index) const { return static_cast<std::size_t>(index) % records_.size(); }
    bool showerMayGo(std::int64_t next) const;
    // Waits until `done` holds: for a moment by yielding the core, when
    // `spin` is given, then asleep (until `until`, when given).
    template <typename Done>
    void wait(std::atomic<bool>& asleep, std::condition_variable& woken, Done done,
              std::optional<std::chrono::steady_clock::time_point> until, bool spin);
    void wake(std::atomic<bool>& asleep, std::condition_variable& woken);

    std::vector<Record> records_;
    std::vector<EntryOutcome> details_;
    std::atomic<std::int64_t> published_{0};
    std::atomic<std::int64_t> taken_{0};
    // One past the last outcome published as a frame's or with a pause.
    std::atomic<std::int64_t> marked_{0};
    std::atomic<bool> frameAsked_{false};
    std::atomic<bool> pauseAsked_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> closed_{false};
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::condition_variable renamerWoken_;
    std::condition_variable showerWoken_;
    std::atomic<bool> renamerAsleep_{false};
    std::atomic<bool> showerAsleep_{false};
};

}  // namespace kestrix::run
