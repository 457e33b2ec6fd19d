#include "run/journal_store.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/disk_steps.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

thread_local bool slowSteps = false;

// Holds every disk step of a run a moment, so that a start-up scanning the
// journal folder meanwhile finds the run's journal at each of its stages.
void HoldStep(long) {
    if (slowSteps) std::this_thread::sleep_for(std::chrono::microseconds(200));
}

class JournalRaceTest : public SessionTest {
protected:
    void TearDown() override { platform::SetDiskStepHook(nullptr); }
};

// Start-ups settling interrupted runs while runs begin: a journal is never
// found without its lock, so no run is refused and no journal is taken from
// its run.
TEST_F(JournalRaceTest, StartUpsNeverTakeTheJournalOfARunThatIsBeginning) {
    constexpr int kRunners = 3;
    constexpr int kRunsEach = 100;
    std::vector<std::string> names;
    for (int i = 0; i < kRunners * kRunsEach; ++i) names.push_back("f" + std::to_string(i));
    makeTree(names);
    platform::SetDiskStepHook(HoldStep);

    std::atomic<int> refused{0};
    std::atomic<int> failedRenames{0};
    std::atomic<int> runnersLeft{kRunners};
    std::vector<std::thread> threads;
    for (int r = 0; r < kRunners; ++r) {
        threads.emplace_back([&, r] {
            slowSteps = true;
            for (int k = 0; k < kRunsEach; ++k) {
                const std::string name = names[static_cast<size_t>(r * kRunsEach + k)];
                RenameRun renameRun(journals(), 0);
                if (!renameRun.beginListRun({ListEntry{at(name), at(name + ".new")}})) {
                    ++refused;
                    continue;
                }
                Collector collector;
                if (renameRun.execute(collector).renamed != 1) ++failedRenames;
            }
            --runnersLeft;
        });
    }
    int scans = 0;
    std::vector<std::thread> scanners;
    std::atomic<int> scanCount{0};
    for (int s = 0; s < 2; ++s) {
        scanners.emplace_back([&] {
            while (runnersLeft.load() > 0) {
                for (const std::string& journal : UnfinishedJournals(journals())) {
                    Recovery recovery(journals());
                    if (recovery.open(journal)) recovery.settle(Recovery::Choice::Keep);
                }
                ++scanCount;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::thread& thread : scanners) thread.join();
    scans = scanCount.load();

    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(failedRenames.load(), 0);
    EXPECT_GT(scans, 100);
    const auto after = tree();
    for (const std::string& name : names) EXPECT_EQ(after.count(name + ".new"), 1u) << name;
    std::cout << kRunners * kRunsEach << " runs against " << scans << " start-up scans: " << refused.load()
              << " refused\n";
}

// A process that ended between making its journal and naming it left a
// header under the private name: a start removes it, unless it is held.
TEST_F(JournalRaceTest, AJournalLeftUnderItsPrivateNameGoesUnlessHeld) {
    std::filesystem::create_directories(journals());
    const std::string abandoned = journals() + ".0000000000000100ab.journal.new";
    const std::string held = journals() + ".0000000000000200ab.journal.new";
    for (const std::string& path : {abandoned, held}) ASSERT_TRUE(WriteFile(path, "header"));
    platform::AppendFile holder;
    ASSERT_TRUE(holder.openExisting(held));

    RemoveAbandonedJournalStarts(journals());

    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(held));
}

}  // namespace
}  // namespace kestrix::run::testing
