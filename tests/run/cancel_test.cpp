// A run stopped by the user: it ends after the entry it is on, its journal
// records the end, and undo takes back exactly what it renamed.
#include <gtest/gtest.h>

#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

using Map = std::map<std::string, std::string>;

class CancelTest : public SessionTest {};

TEST_F(CancelTest, StopsAfterTheEntryItIsOnAndUndoTakesBackThatPart) {
    constexpr int kCount = 20;
    struct Case {
        const char* label;
        int cancelAfter;  // the index of the entry the run is on when stopped
        std::int64_t renamed;
        std::int64_t left;
        bool cancelled;
    };
    const Case cases[] = {
        {"at 10%", 1, 2, 18, true},
        {"at 50%", 9, 10, 10, true},
        {"at the last entry", 19, 20, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(files());
        std::filesystem::remove_all(journals());
        std::filesystem::create_directories(files());
        Map before;
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int i = 0; i < kCount; ++i) {
            const std::string name = "f" + std::to_string(i);
            makeTree({name});
            before[name] = "<" + name + ">";
            pairs.emplace_back(name, "g" + std::to_string(i));
        }
        RenameRun renameRun(journals(), 0);
        ASSERT_TRUE(renameRun.beginListRun(entries(pairs)));
        Collector collector;
        collector.afterEntry = [&](std::int64_t index) {
            if (index == c.cancelAfter) renameRun.cancel();
        };
        const RunEnd end = renameRun.execute(collector);

        EXPECT_EQ(end.renamed, c.renamed);
        EXPECT_EQ(end.notReached, c.left);
        EXPECT_EQ(end.cancelled, c.cancelled);
        EXPECT_EQ(end.error, 0);
        EXPECT_EQ(collector.outcomes.size(), static_cast<size_t>(c.renamed));
        Map renamed = before;
        for (int i = 0; i < c.renamed; ++i) {
            renamed.erase("f" + std::to_string(i));
            renamed["g" + std::to_string(i)] = "<f" + std::to_string(i) + ">";
        }
        EXPECT_EQ(tree(), renamed);
        // The end is recorded: nothing for the next start to settle.
        EXPECT_EQ(journalFiles(), std::vector<std::string>{".done"});

        const std::vector<EntryOutcome> undone = undo();
        EXPECT_EQ(undone.size(), static_cast<size_t>(c.renamed));
        EXPECT_EQ(tree(), before);
        // The run stays in the history, taken back, beside the undo.
        EXPECT_EQ(journalFiles(), (std::vector<std::string>{".done", ".undone"}));
    }
}

}  // namespace
}  // namespace kestrix::run::testing
