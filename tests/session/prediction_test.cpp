// The conflicts predicted for a list are exactly the renames that then fail
// when the list is applied: each scenario is played on real folders, first
// predicted, then applied.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exfat_mount.h"
#include "session/journal_store.h"
#include "session/run_prediction.h"
#include "session_fixture.h"

namespace kestrix::session::testing {
namespace {

struct Scenario {
    const char* name;
    std::vector<std::string> tree;
    std::vector<std::pair<std::string, std::string>> renames;  // relative paths, from and to
    std::vector<int> failing;                                  // entries whose rename fails
};

std::vector<int> Failing(const std::vector<ConflictMark>& marks) {
    std::vector<int> failing;
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i].failing()) failing.push_back(static_cast<int>(i));
    return failing;
}

std::vector<int> Failing(const std::vector<EntryOutcome>& outcomes) {
    std::vector<int> failing;
    for (size_t i = 0; i < outcomes.size(); ++i)
        if (outcomes[i].outcome == Outcome::Failed) failing.push_back(static_cast<int>(i));
    return failing;
}

class PredictionTest : public SessionTest {
protected:
    // Predicts, checks that the prediction left the folder as it was, applies;
    // both must give the scenario's failures.
    void playIn(const std::string& root, const Scenario& scenario) {
        SCOPED_TRACE(scenario.name);
        const std::string folder = root + "/" + std::to_string(played_++);
        std::filesystem::create_directories(folder);
        MakeTree(folder, scenario.tree);
        std::vector<ListEntry> list;
        for (const auto& [from, to] : scenario.renames)
            list.push_back({folder + "/" + from, folder + "/" + to});
        const auto before = Tree(folder);

        const std::optional<std::vector<ConflictMark>> marks = PredictRun(list);
        ASSERT_TRUE(marks.has_value());
        EXPECT_EQ(Failing(*marks), scenario.failing) << "predicted";
        EXPECT_EQ(Tree(folder), before) << "the prediction changed the folder";

        EXPECT_EQ(Failing(run(list)), scenario.failing) << "applied";
    }

    int played_ = 0;
};

const Scenario kScenarios[] = {
    {"a chain, the taken name first", {"a", "b"}, {{"a", "b"}, {"b", "c"}}, {0}},
    {"a chain, the free name first", {"a", "b"}, {{"b", "c"}, {"a", "b"}}, {}},
    {"a swap", {"a", "b"}, {{"a", "b"}, {"b", "a"}}, {0, 1}},
    {"a cycle of three", {"a", "b", "c"}, {{"a", "b"}, {"b", "c"}, {"c", "a"}}, {0, 1, 2}},
    {"two entries to one name", {"a", "b", "c"}, {{"a", "t"}, {"b", "t"}, {"c", "u"}}, {1}},
    {"a name taken outside the list", {"a", "b", "x"}, {{"a", "x"}, {"b", "y"}}, {0}},
    {"an entry that keeps its name holds it", {"a", "b"}, {{"a", "a"}, {"b", "a"}}, {1}},
    {"letter case only", {"a.txt"}, {{"a.txt", "A.txt"}}, {}},
    {"letter case onto another item", {"a.txt", "A.txt"}, {{"a.txt", "A.txt"}}, {0}},
    {"names equal but for case are two names here", {"a", "b"}, {{"a", "T"}, {"b", "t"}}, {}},
    {"refused names", {"a", "b", "c", "d"}, {{"a", ""}, {"b", "x/y"}, {"c", ".."}, {"d", "e"}}, {0, 1, 2}},
    {"a folder and its contents",
     {"d/", "d/x", "d/y", "d/sub/", "d/sub/z"},
     {{"d/x", "d/x1"}, {"d", "e"}, {"d/y", "d/x1"}, {"d/sub/z", "d/sub/z1"}, {"d/sub", "d/x1"}},
     {2, 4}},
    // "e" is taken, so "d" stays where it is with what it holds: "d/c" is
    // renamed in "d", onto the name "d/a" gave up before.
    {"a folder whose rename fails keeps its contents in place",
     {"d/", "d/a", "d/c", "e/"},
     {{"d/a", "d/b"}, {"d", "e"}, {"d/c", "d/a"}},
     {1}},
    {"a vanished item", {"a"}, {{"gone", "g2"}, {"a", "a1"}, {"nowhere/b", "nowhere/b1"}}, {0, 2}},
    {"an item listed twice", {"a", "b"}, {{"a", "a1"}, {"b", "b1"}, {"a", "a2"}}, {2}},
};

TEST_F(PredictionTest, PredictsExactlyTheRenamesThatFail) {
    for (const Scenario& scenario : kScenarios) playIn(files(), scenario);
}

TEST_F(PredictionTest, PredictsAFolderThatCannotBeChanged) {
    makeTree({"ro/", "ro/A", "b"});
    const std::string folder = at("ro");
    // Root ignores permission bits: only the immutable attribute makes a
    // folder read-only for root, and a user without root takes away its write bits.
    const bool root = geteuid() == 0;
    const bool locked = root ? std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str()) == 0
                             : chmod(folder.c_str(), 0555) == 0;
    if (!locked) {
        GTEST_SKIP() << "chattr +i is not available here (it needs chattr, root's CAP_LINUX_IMMUTABLE and a "
                        "file system with the attribute, such as ext4)";
    }
    const std::vector<ListEntry> list = entries({{"ro/A", "ro/a"}, {"b", "b1"}});
    const auto marks = PredictRun(list);
    const auto outcomes = run(list);
    if (root) {
        std::system(("chattr -i '" + folder + "'").c_str());
    } else {
        chmod(folder.c_str(), 0755);
    }

    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(Failing(*marks), std::vector<int>{0});
    EXPECT_EQ(Failing(outcomes), std::vector<int>{0});
    EXPECT_EQ(ConflictReason((*marks)[0], list[0]), "brak uprawnień");
}

// On a volume that holds names equal but for letter case as one name.
class ExfatPredictionTest : public PredictionTest {
protected:
    void SetUp() override {
        PredictionTest::SetUp();
        const std::string reason = volume_.mount();
        if (!reason.empty()) GTEST_SKIP() << "exFAT volume not available: " << reason;
    }
    void TearDown() override {
        if (!volume_.unmount()) ADD_FAILURE() << "could not unmount " << volume_.root();
    }

    kestrix::testing::ExfatMount volume_{64};
};

const Scenario kExfatScenarios[] = {
    {"letter case only", {"a.txt", "b.TXT"}, {{"a.txt", "A.txt"}, {"b.TXT", "b.txt"}}, {}},
    {"names equal but for case are one name", {"a", "b"}, {{"a", "T"}, {"b", "t"}}, {1}},
    {"a name taken outside the list but for case", {"a", "README"}, {{"a", "readme"}}, {0}},
    {"a listed item holds the name but for case", {"a", "B"}, {{"a", "b"}, {"B", "c"}}, {0}},
    {"a chain in letter case", {"a", "B"}, {{"B", "c"}, {"a", "b"}}, {}},
    {"a folder and its contents", {"D/", "D/x"}, {{"D", "d"}, {"D/x", "D/X"}}, {}},
};

TEST_F(ExfatPredictionTest, PredictsExactlyTheRenamesThatFail) {
    for (const Scenario& scenario : kExfatScenarios) playIn(volume_.root(), scenario);
}

TEST_F(PredictionTest, WithoutTheDiskSeesRefusedNamesAndSharedNames) {
    const std::vector<ListEntry> list = entries({{"a", "t"}, {"b", "b"}, {"c", "t"}, {"d", ""}, {"e", "t"}});
    const std::vector<ConflictMark> marks = PredictWithoutDisk(list);
    EXPECT_EQ(Failing(marks), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(ConflictReason(marks[2], list[2]), "tę samą nazwę otrzyma wcześniej inny element listy");
    EXPECT_EQ(ConflictReason(marks[3], list[3]), "pusta nazwa");
}

// Entries proposing two names in turn: the first entry to propose each name
// gets it, every later one is marked, with the disk and without it.
TEST_F(PredictionTest, OfEntriesProposingTheSameNameOnlyTheLaterOnesAreMarked) {
    std::vector<std::string> tree;
    std::vector<std::pair<std::string, std::string>> renames;
    std::vector<int> later;
    for (int i = 0; i < 40; ++i) {
        tree.push_back(std::to_string(i).insert(0, 1, 'f'));
        renames.emplace_back(tree.back(), i % 2 == 0 ? "even" : "odd");
        if (i >= 2) later.push_back(i);
    }
    makeTree(tree);
    const std::vector<ListEntry> list = entries(renames);

    EXPECT_EQ(Failing(PredictWithoutDisk(list)), later) << "without the disk";
    const auto marks = PredictRun(list);
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(Failing(*marks), later) << "with the disk";
}

TEST_F(PredictionTest, GivesEachReasonInTheUsersWords) {
    makeTree({"a", "b", "x"});
    const std::vector<ListEntry> list =
        entries({{"a", "b"}, {"x", "x1"}, {"b", "x1"}, {"x1", "x2"}, {"gone", "g"}, {"x", "x3"}});
    const auto marks = PredictRun(list);
    ASSERT_TRUE(marks.has_value());
    std::vector<std::string> reasons;
    for (size_t i = 0; i < list.size(); ++i) reasons.push_back(ConflictReason((*marks)[i], list[i]));
    EXPECT_EQ(reasons, (std::vector<std::string>{
                           "nazwę ma element listy, który do tej chwili jej nie zwolni",
                           "",
                           "tę samą nazwę otrzyma wcześniej inny element listy",
                           "",
                           "nie ma takiego pliku ani katalogu",
                           "ten sam element jest wyżej na liście i wcześniej zmieni nazwę",
                       }));
}

TEST_F(PredictionTest, StopsWhenCancelled) {
    makeTree({"a"});
    EXPECT_FALSE(PredictRun(entries({{"a", "b"}}), [] { return true; }).has_value());
}

}  // namespace
}  // namespace kestrix::session::testing
