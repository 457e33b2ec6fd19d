#include "repoint.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

struct RepointCase {
    const char* label;
    std::vector<std::pair<std::string, std::string>> moves;  // in the order they happened
    std::vector<std::pair<std::string, std::string>> paths;  // path before the run -> where it is now
};

const RepointCase kRepointCases[] = {
    {"NothingRenamed", {}, {{"/d/a/x", "/d/a/x"}}},
    {"InsideAtAnyDepth", {{"/d/A", "/d/a"}}, {{"/d/A/x", "/d/a/x"}, {"/d/A/x/y/z", "/d/a/x/y/z"}}},
    {"FolderItselfIsNotInside", {{"/d/A", "/d/a"}}, {{"/d/A", "/d/A"}}},
    {"SimilarNamesAreNotInside", {{"/d/A", "/d/a"}}, {{"/d/AB/x", "/d/AB/x"}, {"/d/x", "/d/x"}}},
    {"ParentThenChild",
     {{"/d/A", "/d/a"}, {"/d/a/B", "/d/a/b"}},
     {{"/d/A/B/x", "/d/a/b/x"}, {"/d/A/C", "/d/a/C"}}},
    {"ChildThenParent",
     {{"/d/A/B", "/d/A/b"}, {"/d/A", "/d/a"}},
     {{"/d/A/B/x", "/d/a/b/x"}, {"/d/A/C", "/d/a/C"}}},
    // Two folders exchange their names through a third: each path follows its own folder.
    {"SwapThroughTemporary",
     {{"/d/a", "/d/t"}, {"/d/b", "/d/a"}, {"/d/t", "/d/b"}},
     {{"/d/a/x", "/d/b/x"}, {"/d/b/y", "/d/a/y"}}},
    {"NameTakenAgainAfterwards",
     {{"/d/a", "/d/b"}, {"/d/c", "/d/a"}},
     {{"/d/a/x", "/d/b/x"}, {"/d/c/y", "/d/a/y"}}},
    {"TrailingSlashIgnored", {{"/d/A/", "/d/a/"}}, {{"/d/A/x", "/d/a/x"}}},
    {"RelativePaths", {{"A", "a"}}, {{"A/x", "a/x"}}},
    {"InvalidUtf8BytesKept", {{"/d/\xE9", "/d/\xC9\xFF"}}, {{"/d/\xE9/\xFE", "/d/\xC9\xFF/\xFE"}}},
};

class RepointTest : public ::testing::TestWithParam<RepointCase> {};

TEST_P(RepointTest, PathsFollowTheirFolders) {
    const RepointCase& c = GetParam();
    FolderMoves moves;
    for (const auto& [from, to] : c.moves) moves.record(from, to);
    EXPECT_EQ(moves.empty(), c.moves.empty());
    for (const auto& [before, now] : c.paths) EXPECT_EQ(moves.repoint(before), now) << before;
}

INSTANTIATE_TEST_SUITE_P(Moves, RepointTest, ::testing::ValuesIn(kRepointCases),
                         [](const auto& info) { return std::string(info.param.label); });

// Following renamed items rather than folders: an item renamed back, then
// the folder that holds it.
TEST(RepointItselfTest, ItemsFollowTheirOwnRenamesToo) {
    FolderMoves moves;
    moves.record("/d/dir/a", "/d/dir/A");
    moves.record("/d/dir", "/d/Dir");
    EXPECT_EQ(moves.repoint("/d/dir/a", 0, true), "/d/Dir/A");
    EXPECT_EQ(moves.repoint("/d/dir", 0, true), "/d/Dir");
    EXPECT_EQ(moves.repoint("/d/dir/", 0, true), "/d/Dir/");
    EXPECT_EQ(moves.repoint("/d/dir/b", 0, true), "/d/Dir/b");
    EXPECT_EQ(moves.repoint("/d/dir/a", 0, false), "/d/Dir/a");
    EXPECT_EQ(moves.repoint("/d/dir/ab", 0, true), "/d/Dir/ab");
}

// A path settled after some renames follows only the later ones.
TEST(RepointSinceTest, OnlyLaterRenamesApply) {
    FolderMoves moves;
    moves.record("/d/A", "/d/a");
    EXPECT_EQ(moves.size(), 1u);
    const std::size_t settled = moves.size();
    moves.record("/d/a", "/d/b");
    EXPECT_EQ(moves.repoint("/d/A/x", 0), "/d/b/x");
    EXPECT_EQ(moves.repoint("/d/a/x", settled), "/d/b/x");
    EXPECT_EQ(moves.repoint("/d/A/x", settled), "/d/A/x");
    EXPECT_EQ(moves.repoint("/d/a/x", moves.size()), "/d/a/x");
}

TEST(HoldingFoldersTest, EveryFolderAboveAPathAndNothingElse) {
    HoldingFolders holding;
    for (const char* path : {"/d/A/x/f", "/d/A/y", "/d/B", "rel/g"}) holding.addParentsOf(path);
    for (const char* folder : {"/d", "/d/A", "/d/A/", "/d/A/x", "rel"})
        EXPECT_TRUE(holding.contains(folder)) << folder;
    for (const char* other : {"/d/A/x/f", "/d/B", "/d/A/y", "/d/Ax", "", "/", "rel/g"}) {
        EXPECT_FALSE(holding.contains(other)) << other;
    }
}

// A long run of renamed folders stays fast: each path costs lookups per
// folder level, not per recorded rename.
TEST(RepointScaleTest, ManyRenamedFoldersAndDeepPaths) {
    FolderMoves moves;
    constexpr int kFolders = 100000;
    for (int i = 0; i < kFolders; ++i) moves.record("/d/F" + std::to_string(i), "/d/f" + std::to_string(i));
    for (int i = 0; i < kFolders; ++i) {
        const std::string name = std::to_string(i);
        ASSERT_EQ(moves.repoint("/d/F" + name + "/x/y"), "/d/f" + name + "/x/y");
    }
}

}  // namespace
}  // namespace kestrix
