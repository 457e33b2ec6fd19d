// The history of runs: the last runs kept, newest first, told apart by what
// they did, where and in which process; a run taken back is shown as such and
// not offered again.
#include "run/run_history.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process_token.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

using Map = std::map<std::string, std::string>;

class RunHistoryTest : public SessionTest {
protected:
    // A run renaming each of `pairs`; its id.
    std::string runOver(const std::vector<std::pair<std::string, std::string>>& pairs) {
        RenameRun renameRun(journals(), frame_);
        EXPECT_TRUE(renameRun.beginListRun(entries(pairs))) << renameRun.error();
        Collector collector;
        renameRun.execute(collector);
        const std::string name = std::filesystem::path(renameRun.journalPath()).stem();
        return name;
    }

    // A run over `count` files f0.. to g0.. cut off after `cutAfter` of them
    // (the listener gives up), its journal left for the next start.
    void interruptedRun(int count, int cutAfter) {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int i = 0; i < count; ++i) {
            makeTree({"f" + std::to_string(i)});
            pairs.emplace_back("f" + std::to_string(i), "g" + std::to_string(i));
        }
        struct GaveUp {};
        struct Thrower : RunListener {
            int at = 0;
            void entryDone(std::int64_t index, const EntryOutcome&) override {
                if (index == at) throw GaveUp{};
            }
        } thrower;
        thrower.at = cutAfter - 1;
        RenameRun renameRun(journals(), 0);
        ASSERT_TRUE(renameRun.beginListRun(entries(pairs)));
        EXPECT_THROW(renameRun.execute(thrower), GaveUp);
    }

    std::vector<std::string> idsOf(const std::vector<PastRun>& runs) {
        std::vector<std::string> ids;
        for (const PastRun& run : runs) ids.push_back(run.runId);
        return ids;
    }
};

TEST_F(RunHistoryTest, KeepsTheLastTwentyRunsNewestFirst) {
    std::vector<std::string> ids;
    for (int i = 0; i < 25; ++i) {
        const std::string name = "a" + std::to_string(i);
        makeTree({name});
        ids.push_back(runOver({{name, "b" + std::to_string(i)}}));
    }

    const std::vector<PastRun> history = RunHistory(journals());
    const std::vector<std::string> newestTwenty(ids.rbegin(), ids.rbegin() + 20);
    EXPECT_EQ(idsOf(history), newestTwenty);
    EXPECT_EQ(journalFiles(), std::vector<std::string>(20, ".done"));
    for (const PastRun& run : history) {
        EXPECT_EQ(run.kind, RunKind::Rename);
        EXPECT_EQ(run.items, 1);
        EXPECT_EQ(run.firstFolder, files());
        EXPECT_TRUE(run.canTakeBack());
    }
    // Run ids begin with the time they were made at.
    EXPECT_GT(history.front().startedMicros, history.back().startedMicros);
    EXPECT_GT(history.back().startedMicros, 1'700'000'000'000'000);
}

// Undo takes back the newest run not yet taken back: once taken back, a run
// stays listed as such, and the next undo goes to the run before it.
TEST_F(RunHistoryTest, ARunTakenBackByUndoIsNotOfferedAgain) {
    makeTree({"a", "b", "Dir/", "Dir/c"});
    const std::string first = runOver({{"a", "a1"}});
    const std::string second = runOver({{"b", "b1"}, {"Dir/c", "Dir/c1"}});
    ASSERT_EQ(NewestRunToTakeBack(journals())->runId, second);

    undo();

    const std::vector<PastRun> history = RunHistory(journals());
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].kind, RunKind::Undo);
    EXPECT_EQ(history[0].items, 2);
    EXPECT_FALSE(history[0].canTakeBack());
    EXPECT_EQ(history[1].runId, second);
    EXPECT_TRUE(history[1].takenBack);
    EXPECT_EQ(history[2].runId, first);
    EXPECT_TRUE(history[2].canTakeBack());
    EXPECT_EQ(NewestRunToTakeBack(journals())->runId, first);
    // The run taken back cannot be taken back twice, even when asked for by its id.
    RenameRun again(journals(), frame_);
    EXPECT_FALSE(again.beginUndoOf(second));

    undo();
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}, {"b", "<b>"}, {"Dir/", "/"}, {"Dir/c", "<Dir/c>"}}));
    EXPECT_FALSE(UndoAvailable(journals()));
}

// A run cut off and settled at the next start is listed as recovered: taken
// back there, it is not offered; kept, undo takes back what it renamed.
TEST_F(RunHistoryTest, ARunSettledAtTheNextStartIsListedAsRecovered) {
    for (const bool takeBack : {true, false}) {
        SCOPED_TRACE(takeBack);
        std::filesystem::remove_all(files());
        std::filesystem::remove_all(journals());
        std::filesystem::create_directories(files());
        makeTree({"x"});
        const std::string before = runOver({{"x", "x1"}});
        interruptedRun(20, 10);

        EXPECT_TRUE(recover(takeBack).empty());

        const std::vector<PastRun> history = RunHistory(journals());
        ASSERT_EQ(history.size(), 2u);
        EXPECT_TRUE(history[0].recovered);
        EXPECT_EQ(history[0].items, 10);
        EXPECT_EQ(history[0].firstFolder, files());
        EXPECT_EQ(history[0].takenBack, takeBack);
        EXPECT_EQ(NewestRunToTakeBack(journals())->runId, takeBack ? before : history[0].runId);
        EXPECT_TRUE(UnfinishedJournals(journals()).empty());
    }
}

// Runs of two processes of the same user share one history: each run says
// which process ran it.
TEST_F(RunHistoryTest, TellsRunsOfTwoProcessesApart) {
    makeTree({"Mine/", "Mine/a", "Theirs/", "Theirs/b", "Theirs/c"});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RenameRun renameRun(journals(), frame_);
        Collector collector;
        const bool ran =
            renameRun.beginListRun(entries({{"Theirs/b", "Theirs/b1"}, {"Theirs/c", "Theirs/c1"}})) &&
            renameRun.execute(collector).renamed == 2;
        _exit(ran ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    runOver({{"Mine/a", "Mine/a1"}});

    const std::vector<PastRun> history = RunHistory(journals());
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].process, platform::ProcessToken());
    EXPECT_EQ(history[0].items, 1);
    EXPECT_EQ(history[0].firstFolder, at("Mine"));
    EXPECT_NE(history[1].process, platform::ProcessToken());
    EXPECT_FALSE(history[1].process.empty());
    EXPECT_EQ(history[1].items, 2);
    EXPECT_EQ(history[1].firstFolder, at("Theirs"));
}

// A journal kept from before runs had a summary is read whole.
TEST_F(RunHistoryTest, ReadsAJournalWithoutASummaryWhole) {
    const std::string id = "0005f0000000000001";
    std::string bytes;
    AppendHeader(JournalHeader{RunKind::Rename, id, ""}, bytes);
    AppendPlan(
        {PlanEntry{"/p/a", "/p/a", {}}, PlanEntry{"/p/q/b", "/p/q/b1", {}}, PlanEntry{"/p/c", "/p/c1", {}}},
        bytes);
    AppendOutcomes(
        {{1, OutcomeRecord{Outcome::Renamed, "", "", 0}}, {2, OutcomeRecord{Outcome::Renamed, "", "", 0}}},
        bytes);
    AppendFinished(bytes);
    std::filesystem::create_directories(journals());
    WriteFile(FinishedJournalPath(journals(), id), bytes);

    const std::vector<PastRun> history = RunHistory(journals());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].runId, id);
    EXPECT_EQ(history[0].items, 2);
    EXPECT_EQ(history[0].firstFolder, "/p/q");
    EXPECT_TRUE(history[0].process.empty());
    EXPECT_TRUE(history[0].canTakeBack());
}

}  // namespace
}  // namespace kestrix::run::testing
