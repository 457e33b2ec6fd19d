// The conflicts predicted for a list are exactly the renames that then fail
// when the list is applied: each scenario is played on real folders, first
// predicted, then applied.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exfat_mount.h"
#include "fat_mount.h"
#include "platform/folder_names.h"
#include "run/journal_store.h"
#include "run_fixture.h"
#include "session/folder_cache.h"
#include "session/rename_failures.h"
#include "session/run_prediction.h"

namespace kestrix::session::testing {

using run::testing::MakeTree;
using run::testing::SessionTest;
using run::testing::Tree;
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

std::vector<int> Failing(const std::vector<run::EntryOutcome>& outcomes) {
    std::vector<int> failing;
    for (size_t i = 0; i < outcomes.size(); ++i)
        if (outcomes[i].outcome == run::Outcome::Failed) failing.push_back(static_cast<int>(i));
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

// A folder listed once is listed again only when it changed: by another
// process (a name made, removed or renamed) or by a run of the program. Its
// stamp tells only once it is older than the coarsest file system's times,
// so the folders are first left to age.
TEST_F(PredictionTest, ListsAFolderAgainOnlyWhenItChanged) {
    const std::vector<std::string> folders = {"made", "removed", "renamed", "run", "kept"};
    for (const std::string& folder : folders) makeTree({folder + "/", folder + "/a", folder + "/q"});
    makeTree({"removed/a1"});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    for (const std::string& folder : folders) {
        while (!platform::ReadFolderNames(at(folder)).lasting) {
            if (std::chrono::steady_clock::now() > deadline)
                GTEST_SKIP() << "the folders' times cannot tell changes on this file system";
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    auto list = [&](const std::string& suffix) {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const std::string& folder : folders) pairs.push_back({folder + "/a", folder + "/a" + suffix});
        return entries(pairs);
    };
    FolderCache cache;
    auto predict = [&](const std::vector<ListEntry>& entries) {
        const auto marks = PredictRun(entries, {}, &cache);
        return marks ? Failing(*marks) : std::vector<int>{-1};
    };

    EXPECT_EQ(predict(list("1")), std::vector<int>{1});
    EXPECT_EQ(cache.reads(), 5u);
    // A keystroke changes only the proposed names: no folder is read again.
    EXPECT_EQ(predict(list("2")), std::vector<int>{});
    EXPECT_EQ(predict(list("1")), std::vector<int>{1});
    EXPECT_EQ(cache.reads(), 5u);

    std::ofstream(at("made/a1")).close();
    ASSERT_EQ(std::remove(at("removed/a1").c_str()), 0);
    ASSERT_EQ(std::rename(at("renamed/q").c_str(), at("renamed/a1").c_str()), 0);
    EXPECT_EQ(Failing(run(entries({{"run/q", "run/a1"}}))), std::vector<int>{});

    EXPECT_EQ(predict(list("1")), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(cache.reads(), 9u) << "only the four changed folders are read again";
}

std::vector<std::string> Reasons(const std::vector<ConflictMark>& marks, const std::vector<ListEntry>& list) {
    std::vector<std::string> reasons;
    for (size_t i = 0; i < list.size(); ++i) reasons.push_back(ConflictReason(marks[i], list[i]));
    return reasons;
}

const char* const kReachedTwice =
    "ten sam element jest wyżej na liście pod inną ścieżką (przez dowiązanie symboliczne) i wcześniej zmieni "
    "nazwę";
const char* const kLinkBroken =
    "ścieżka prowadzi przez dowiązanie symboliczne do katalogu, którego nazwę wcześniej zmieni inny element "
    "listy";

// One item reached through a folder and through a link to it (or to a folder
// above it) is one item: once renamed through one path it is gone from the
// other; and a link to a folder that an earlier entry renames leads nowhere.
TEST_F(PredictionTest, SeesOneItemReachedThroughALinkedFolder) {
    struct Case {
        const char* label;
        std::vector<std::pair<std::string, std::string>> renames;
        std::vector<std::string> reasons;
    };
    const Case cases[] = {
        {"the folder's path first", {{"real/x", "real/x1"}, {"link/x", "link/x2"}}, {"", kReachedTwice}},
        {"the link's path first", {{"link/x", "link/x1"}, {"real/x", "real/x2"}}, {"", kReachedTwice}},
        {"through a link above", {{"up/real/x", "up/real/x1"}, {"real/x", "real/x2"}}, {"", kReachedTwice}},
        {"a name taken through the other path",
         {{"real/x", "real/y1"}, {"link/z", "link/y1"}},
         {"", "tę samą nazwę otrzyma wcześniej inny element listy"}},
        {"the folder renamed first", {{"real", "real2"}, {"link/x", "link/x1"}}, {"", kLinkBroken}},
        {"the folder renamed between",
         {{"real/x", "real/x1"}, {"real", "real2"}, {"link/z", "link/z1"}},
         {"", "", kLinkBroken}},
        {"the same path twice",
         {{"link/x", "link/x1"}, {"link/x", "link/x2"}},
         {"", "ten sam element jest wyżej na liście i wcześniej zmieni nazwę"}},
        {"two items of one folder", {{"real/x", "real/x1"}, {"link/z", "link/z1"}}, {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(files());
        makeTree({"real/", "real/x", "real/z"});
        ASSERT_EQ(symlink("real", at("link").c_str()), 0);
        ASSERT_EQ(symlink(".", at("up").c_str()), 0);
        const std::vector<ListEntry> list = entries(c.renames);
        const auto marks = PredictRun(list);
        ASSERT_TRUE(marks.has_value());
        EXPECT_EQ(Reasons(*marks, list), c.reasons);
        std::vector<int> expected;
        for (size_t i = 0; i < c.reasons.size(); ++i)
            if (!c.reasons[i].empty()) expected.push_back(static_cast<int>(i));
        EXPECT_EQ(Failing(run(list)), expected) << "applied";
    }
}

// chattr +i and +a keep an item's name even from root.
TEST_F(PredictionTest, SeesAnItemThatCannotBeRenamed) {
    makeTree({"locked", "appended", "free"});
    const auto chattr = [&](const char* flags, const char* item) {
        return std::system(("chattr " + std::string(flags) + " '" + at(item) + "' 2>/dev/null").c_str()) == 0;
    };
    if (!chattr("+i", "locked")) {
        GTEST_SKIP()
            << "chattr +i is not available here (it needs chattr, root's CAP_LINUX_IMMUTABLE and a file "
               "system with the attribute, such as ext4)";
    }
    ASSERT_TRUE(chattr("+a", "appended"));
    const std::vector<ListEntry> list = entries({{"locked", "l1"}, {"appended", "a1"}, {"free", "f1"}});
    const auto marks = PredictRun(list);
    const auto outcomes = run(list);
    chattr("-i", "locked");
    chattr("-a", "appended");

    ASSERT_TRUE(marks.has_value());
    const char* const locked = "element jest oznaczony jako niezmienny (chattr +i lub +a)";
    EXPECT_EQ(Reasons(*marks, list), (std::vector<std::string>{locked, locked, ""}));
    EXPECT_EQ(Failing(outcomes), (std::vector<int>{0, 1}));
}

// A new path the system cannot take in one call, in a folder deep enough
// that the item's own path still fits.
TEST_F(PredictionTest, RefusesANewPathLongerThanTheSystemTakes) {
    std::string deep = files();
    while (deep.size() < 3900) {
        deep += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0) << deep.size();
    }
    ASSERT_TRUE(platform::testing::WriteFile(deep + "/a", "a"));
    ASSERT_TRUE(platform::testing::WriteFile(deep + "/b", "b"));
    const std::vector<ListEntry> list = {{deep + "/a", deep + "/" + std::string(250, 'n')},
                                         {deep + "/b", deep + "/b1"}};
    ASSERT_GT(list[0].proposed.size(), 4095u);

    const std::string reason = "nowa ścieżka jest dłuższa niż 4095 bajtów";
    EXPECT_EQ(Reasons(PredictWithoutDisk(list), list), (std::vector<std::string>{reason, ""}))
        << "without the disk";
    const auto marks = PredictRun(list);
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(Reasons(*marks, list), (std::vector<std::string>{reason, ""}));
    const std::vector<run::EntryOutcome> outcomes = run(list);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(FailureReason(outcomes[0].failure), reason) << "applied";
    EXPECT_EQ(outcomes[1].outcome, run::Outcome::Renamed);
}

// Names a file system refuses: each kind of volume, each name, the reason
// predicted, the reason the run gives, and the reason expected are one.
struct RefusedOnVolume {
    const char* name;
    const char* posix;  // the reason expected on an ordinary file system, on exFAT and on FAT
    const char* exfat;
    const char* fat;
};

const RefusedOnVolume kRefusedOnVolumes[] = {
    {"zwykła nazwa.jpg", "", "", ""},
    {"a?b", "", "znak ? jest niedozwolony na tym nośniku", "znak ? jest niedozwolony na tym nośniku"},
    {"a*b", "", "znak * jest niedozwolony na tym nośniku", "znak * jest niedozwolony na tym nośniku"},
    {"a:b", "", "znak : jest niedozwolony na tym nośniku", "znak : jest niedozwolony na tym nośniku"},
    {"a\"b", "", "znak \" jest niedozwolony na tym nośniku", "znak \" jest niedozwolony na tym nośniku"},
    {"a<b>", "", "znak < jest niedozwolony na tym nośniku", "znak < jest niedozwolony na tym nośniku"},
    {"a\\b", "", "znak \\ jest niedozwolony na tym nośniku", "znak \\ jest niedozwolony na tym nośniku"},
    {"a|b", "", "znak | jest niedozwolony na tym nośniku", "znak | jest niedozwolony na tym nośniku"},
    {"a\x01"
     "b",
     "", "znak sterujący (kod 1) jest niedozwolony na tym nośniku",
     "znak sterujący (kod 1) jest niedozwolony na tym nośniku"},
    {"kropka.", "", "", "nazwa zakończona kropką jest niedozwolona na tym nośniku"},
    {"spacja ", "", "", "nazwa zakończona spacją jest niedozwolona na tym nośniku"},
};

class RefusedOnVolumeTest : public PredictionTest {
protected:
    // Every name of the table given to a file of its own in `root`.
    void playIn(const std::string& root, const char* RefusedOnVolume::*expected) {
        std::vector<ListEntry> list;
        for (size_t i = 0; i < std::size(kRefusedOnVolumes); ++i) {
            const std::string from = root + "/f" + std::to_string(i);
            ASSERT_TRUE(platform::testing::WriteFile(from, "x"));
            list.push_back({from, root + "/" + kRefusedOnVolumes[i].name});
        }
        const std::optional<std::vector<ConflictMark>> marks = PredictRun(list);
        ASSERT_TRUE(marks.has_value());
        const std::vector<run::EntryOutcome> outcomes = run(list);
        ASSERT_EQ(outcomes.size(), list.size());
        for (size_t i = 0; i < list.size(); ++i) {
            SCOPED_TRACE(kRefusedOnVolumes[i].name);
            const std::string applied = outcomes[i].outcome == run::Outcome::Failed
                                            ? FailureReason(outcomes[i].failure)
                                            : std::string();
            EXPECT_EQ(ConflictReason((*marks)[i], list[i]), kRefusedOnVolumes[i].*expected) << "predicted";
            EXPECT_EQ(applied, kRefusedOnVolumes[i].*expected) << "applied";
        }
    }
};

TEST_F(RefusedOnVolumeTest, OnAnOrdinaryFileSystem) { playIn(files(), &RefusedOnVolume::posix); }

TEST_F(RefusedOnVolumeTest, OnExfatThroughFuse) {
    kestrix::testing::ExfatMount volume;
    const std::string reason = volume.mount();
    if (!reason.empty()) GTEST_SKIP() << "exFAT volume not available: " << reason;
    playIn(volume.root(), &RefusedOnVolume::exfat);
}

TEST_F(RefusedOnVolumeTest, OnFat) {
    kestrix::testing::FatMount volume;
    const std::string reason = volume.mount();
    if (!reason.empty()) GTEST_SKIP() << "FAT volume not available: " << reason;
    playIn(volume.root(), &RefusedOnVolume::fat);
}

}  // namespace
}  // namespace kestrix::session::testing
