// Handing a run's outcomes from the renaming thread to the window's, through
// a ring far smaller than the run.
#include "run/outcome_handoff.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace kestrix::run {
namespace {

// The renaming side publishes 2,000 outcomes through a ring of 8, each
// naming its index, with a pause asked for after entry 500 was taken. Every
// outcome comes exactly once and in order, the ones whose paths are not the
// plan's with their paths, and nothing after the pause is published before
// resume().
TEST(OutcomeHandoffTest, EveryOutcomeComesOnceInOrderAndAPauseHolds) {
    constexpr std::int64_t kCount = 2000;
    OutcomeHandoff handoff(8);
    std::atomic<std::int64_t> published{0};
    std::thread renamer([&] {
        EntryOutcome outcome;
        for (std::int64_t index = 0; index < kCount; ++index) {
            outcome.outcome = index % 3 == 0 ? Outcome::Failed : Outcome::Renamed;
            outcome.from = "from " + std::to_string(index);
            outcome.folderMovesSoFar = static_cast<std::size_t>(index);
            const OutcomeHandoff::Asked asked = handoff.asked();
            const bool last = index == kCount - 1;
            if (!handoff.publish(index, outcome, index % 3 != 0, asked.frame || last, asked.pause)) break;
            published = index + 1;
        }
        handoff.close();
    });

    std::vector<std::int64_t> seen;
    std::int64_t pausedAt = -1;
    bool heldDuringPause = true;
    for (std::int64_t next = 0;;) {
        const std::int64_t in = handoff.waitFor(next, std::nullopt);
        if (in < 0) break;
        for (; next < in; ++next) {
            const OutcomeHandoff::Record& record = handoff.record(next);
            seen.push_back(static_cast<std::int64_t>(record.folderMovesSoFar));
            if (!record.planned) EXPECT_EQ(handoff.detail(next).from, "from " + std::to_string(next));
            EXPECT_EQ(record.planned, next % 3 != 0) << next;
            if (next == 500) handoff.ask(true);
            if (record.paused) {
                pausedAt = next;
                std::this_thread::yield();
                heldDuringPause = published.load() <= next + 1;
                handoff.resume(false);
            }
        }
    }
    renamer.join();

    ASSERT_EQ(seen.size(), static_cast<size_t>(kCount));
    for (std::int64_t i = 0; i < kCount; ++i) ASSERT_EQ(seen[static_cast<size_t>(i)], i);
    // After the entry at hand when it was asked for: at most a ring's worth on.
    EXPECT_GT(pausedAt, 500);
    EXPECT_LE(pausedAt, 500 + 8 + 1);
    EXPECT_TRUE(heldDuringPause);
}

// The window's side gives up (its handler threw): stop() frees a renaming
// thread that waits for room or for the end of a pause.
TEST(OutcomeHandoffTest, StopFreesAWaitingRenamer) {
    for (const bool pause : {false, true}) {
        OutcomeHandoff handoff(4);
        std::thread renamer([&] {
            EntryOutcome outcome;
            for (std::int64_t index = 0;; ++index) {
                if (!handoff.publish(index, outcome, true, false, pause && index == 2)) break;
            }
            handoff.close();
        });
        // Until the ring is full, or the pause has come; nothing is taken.
        while (handoff.waitFor(0, std::nullopt) < (pause ? 3 : 4)) std::this_thread::yield();
        handoff.stop();
        renamer.join();
    }
}

}  // namespace
}  // namespace kestrix::run
