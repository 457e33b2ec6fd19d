// The walk of a folder tree: what it visits, in which order, and that it stays
// inside the tree it was given whatever changes in it meanwhile.
#include "folder_tree.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// The visited paths below `root`, a folder's ending with '/'.
std::vector<std::string> Walked(const std::string& root, bool recurse) {
    std::vector<std::string> visited;
    WalkFolder(root, recurse, [&](const std::string& path, const FolderItem& item) {
        visited.push_back(path.substr(root.size() + 1) + (item.isFolder ? "/" : ""));
    });
    return visited;
}

TEST(WalkFolder, VisitsAFolderBeforeItsContentsAndNeverFollowsALink) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp / "b").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((temp / "b/c").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((temp / "empty").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(temp / "a", "a"));
    ASSERT_TRUE(WriteFile(temp / "b/c/d", "d"));
    ASSERT_TRUE(WriteFile(temp / "b/e", "e"));
    ASSERT_EQ(symlink("b", (temp / "link").c_str()), 0);
    ASSERT_EQ(symlink("..", (temp / "b/up").c_str()), 0);

    EXPECT_EQ(Walked(temp.path(), true),
              (std::vector<std::string>{"a", "b/", "b/c/", "b/c/d", "b/e", "b/up/", "empty/", "link/"}));
    EXPECT_EQ(Walked(temp.path(), false), (std::vector<std::string>{"a", "b/", "empty/", "link/"}));
}

// While the walk is inside "tree/a", "a" is moved out of the tree and a link
// to where it went takes its place. Climbing back up from "a" then finds
// another folder than the one it left: the walk must not take that folder for
// "tree" and go on there (its "z" would be "outside/z"), nor run without end.
TEST(WalkFolder, AFolderSwappedForALinkMeanwhileLeadsNeitherOutOfTheTreeNorRound) {
    TempFolder temp;
    const std::string tree = temp / "tree";
    const std::string outside = temp / "outside";
    for (const std::string& folder : {tree, tree + "/a", tree + "/z", outside, outside + "/z"})
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(tree + "/a/f", "f"));
    ASSERT_TRUE(WriteFile(tree + "/z/inner", "inner"));
    ASSERT_TRUE(WriteFile(outside + "/z/secret", "secret"));
    const std::string record = temp / "visited";

    // In a child bounded in time and memory, so that a walk without end fails the test.
    const int result = testing::RunBounded(20, size_t(512) << 20, [&] {
        std::string visited;
        int swapped = 1;
        WalkFolder(tree, true, [&](const std::string& path, const FolderItem&) {
            visited += path.substr(tree.size() + 1) + "\n";
            if (visited.size() > 4096) _exit(3);
            if (path == tree + "/a/f") {
                swapped = std::rename((tree + "/a").c_str(), (outside + "/a").c_str()) == 0 &&
                                  symlink(outside.c_str(), (tree + "/a").c_str()) == 0
                              ? 0
                              : 2;
            }
        });
        return WriteFile(record, visited) ? swapped : 4;
    });

    ASSERT_NE(result, 2) << "could not swap the folder";
    EXPECT_NE(result, 3) << "the walk ran on without end";
    EXPECT_NE(result, -1) << "the walk did not end in time";
    EXPECT_EQ(result, 0);
    const std::string visited = ReadFile(record);
    EXPECT_EQ(visited.find("secret"), std::string::npos) << visited;
    // The walk either ends where the tree changed or goes on in the tree itself.
    EXPECT_TRUE(visited == "a\na/f\n" || visited == "a\na/f\nz\nz/inner\n") << visited;
}

// "tree/a/loop" is "tree" itself, mounted there again: the walk visits it and
// does not go down into it, which would never end.
TEST(WalkFolder, NeverGoesDownIntoAFolderThatLiesOnTheWayDown) {
    TempFolder temp;
    const std::string tree = temp / "tree";
    for (const std::string& folder : {tree, tree + "/a", tree + "/a/loop"})
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(tree + "/a/f", "f"));
    if (geteuid() != 0 || mount(tree.c_str(), (tree + "/a/loop").c_str(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "a bind mount needs root; not covered: a folder that is its own ancestor";
    }
    const std::string record = temp / "visited";
    const int result = testing::RunBounded(20, size_t(512) << 20, [&] {
        std::string visited;
        WalkFolder(tree, true, [&](const std::string& path, const FolderItem&) {
            visited += path.substr(tree.size() + 1) + "\n";
            if (visited.size() > 4096) _exit(3);
        });
        return WriteFile(record, visited) ? 0 : 4;
    });
    umount2((tree + "/a/loop").c_str(), MNT_DETACH);

    EXPECT_EQ(result, 0) << "the walk did not end";
    EXPECT_EQ(ReadFile(record), "a\na/f\na/loop\n");
}

}  // namespace
}  // namespace kestrix::platform
