// Taking the last finished run back: its renamed items, last first, never
// replacing anything; what cannot be taken back is skipped and reported.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "crash_child.h"
#include "platform/error_text.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

using Map = std::map<std::string, std::string>;

class UndoTest : public SessionTest {
protected:
    // The outcomes that are failures, as "path: the system's error" or "path: replaced since".
    static std::vector<std::string> Failures(const std::vector<EntryOutcome>& outcomes) {
        std::vector<std::string> failures;
        for (const EntryOutcome& outcome : outcomes) {
            if (outcome.outcome != Outcome::Failed) continue;
            const bool replaced = outcome.failure.kind == RunFailure::Kind::ReplacedSince;
            failures.push_back(outcome.from + ": " +
                               (replaced ? "replaced since" : platform::ErrorText(outcome.failure.error)));
        }
        return failures;
    }
};

TEST_F(UndoTest, TakesBackWhatTheRunRenamedAndNothingElse) {
    makeTree({"a", "b", "taken"});
    run(entries({{"a", "a1"}, {"b", "taken"}}));
    ASSERT_TRUE(UndoAvailable(journals()));

    const std::vector<EntryOutcome> outcomes = undo();

    EXPECT_EQ(tree(), (Map{{"a", "<a>"}, {"b", "<b>"}, {"taken", "<taken>"}}));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].outcome, Outcome::Renamed);
    EXPECT_EQ(outcomes[0].from, at("a1"));
    EXPECT_EQ(outcomes[0].to, at("a"));
    // An undo is not offered for undo again, nor is the run it took back.
    EXPECT_FALSE(UndoAvailable(journals()));
    EXPECT_EQ(journalFiles(), (std::vector<std::string>{".done", ".undone"}));
}

// The run finished in another process, which has ended since.
TEST_F(UndoTest, WorksAfterARestart) {
    makeTree({"x", "y"});
    const std::vector<ListEntry> list = entries({{"x", "x1"}, {"y", "y1"}});
    ASSERT_FALSE(kestrix::testing::RunKilledAtStep(1'000'000, [&] { run(list); }));
    ASSERT_EQ(tree(), (Map{{"x1", "<x>"}, {"y1", "<y>"}}));

    undo();

    EXPECT_EQ(tree(), (Map{{"x", "<x>"}, {"y", "<y>"}}));
}

TEST_F(UndoTest, SkipsAnItemAnotherProgramRenamedSince) {
    makeTree({"a", "b"});
    run(entries({{"a", "a1"}, {"b", "b1"}}));
    ASSERT_EQ(std::rename(at("a1").c_str(), at("moved").c_str()), 0);
    ASSERT_TRUE(WriteFile(at("a1"), "another file"));

    const std::vector<EntryOutcome> outcomes = undo();

    EXPECT_EQ(tree(), (Map{{"a1", "another file"}, {"moved", "<a>"}, {"b", "<b>"}}));
    EXPECT_EQ(Failures(outcomes), std::vector<std::string>{at("a1") + ": replaced since"});
}

TEST_F(UndoTest, SkipsAnItemWhoseOldNameIsTakenNow) {
    makeTree({"a", "b"});
    run(entries({{"a", "a1"}, {"b", "b1"}}));
    ASSERT_TRUE(WriteFile(at("a"), "new a"));

    const std::vector<EntryOutcome> outcomes = undo();

    EXPECT_EQ(tree(), (Map{{"a", "new a"}, {"a1", "<a>"}, {"b", "<b>"}}));
    EXPECT_EQ(Failures(outcomes), std::vector<std::string>{at("a1") + ": nazwa jest już zajęta"});
}

// A folder and its contents, in either order; when the folder's old name is
// taken meanwhile, its contents still get their old names, inside it.
TEST_F(UndoTest, TakesBackAFolderAndItsContents) {
    struct Case {
        const char* label;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    const Case cases[] = {
        {"folder first",
         {{"Dir", "dir"}, {"Dir/A.TXT", "Dir/a.txt"}, {"Dir/Sub", "Dir/sub"}, {"Dir/Sub/B", "Dir/Sub/b"}}},
        {"contents first",
         {{"Dir/Sub/B", "Dir/Sub/b"}, {"Dir/Sub", "Dir/sub"}, {"Dir/A.TXT", "Dir/a.txt"}, {"Dir", "dir"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(files());
        std::filesystem::create_directories(files());
        makeTree({"Dir/", "Dir/A.TXT", "Dir/Sub/", "Dir/Sub/B"});
        const Map before = tree();
        run(entries(c.entries));
        ASSERT_EQ(tree(), (Map{{"dir/", "/"},
                               {"dir/a.txt", "<Dir/A.TXT>"},
                               {"dir/sub/", "/"},
                               {"dir/sub/b", "<Dir/Sub/B>"}}));

        undo();
        EXPECT_EQ(tree(), before);

        run(entries(c.entries));
        makeTree({"Dir/"});
        const std::vector<EntryOutcome> outcomes = undo();
        EXPECT_EQ(tree(), (Map{{"Dir/", "/"},
                               {"dir/", "/"},
                               {"dir/A.TXT", "<Dir/A.TXT>"},
                               {"dir/Sub/", "/"},
                               {"dir/Sub/B", "<Dir/Sub/B>"}}));
        EXPECT_EQ(Failures(outcomes), std::vector<std::string>{at("dir") + ": nazwa jest już zajęta"});
    }
}

}  // namespace
}  // namespace kestrix::run::testing
