#include "folders.h"

#include <climits>
#include <cstdlib>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::RunUnprivileged;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> Names(const std::vector<FolderItem>& items) {
    std::vector<std::string> names;
    for (const FolderItem& item : items) names.push_back(item.name);
    return names;
}

const FolderItem* Find(const std::vector<FolderItem>& items, const std::string& name) {
    for (const FolderItem& item : items) {
        if (item.name == name) return &item;
    }
    return nullptr;
}

TEST(ListFolder, SortsFoldingAsciiCaseWithTiesByteWiseAndKeepsHiddenEntries) {
    TempFolder temp;
    ASSERT_FALSE(temp.path().empty());
    for (const char* name : {"b", "Zeta", "a", "B", ".hidden", "C.txt", "_x", "\xC3\xA4", "\xFF"}) {
        ASSERT_TRUE(WriteFile(temp / name, name));
    }
    ASSERT_EQ(mkdir((temp / "sub").c_str(), 0755), 0);

    const std::vector<FolderItem> items = ListFolder(temp.path());

    // '_' (0x5F) sorts before the letters once they are folded to lower case,
    // "sub" before "Zeta", and bytes above ASCII last.
    const std::vector<std::string> expected{".hidden", "_x",  "a",    "B",        "b",
                                            "C.txt",   "sub", "Zeta", "\xC3\xA4", "\xFF"};
    EXPECT_EQ(Names(items), expected);
    for (const FolderItem& item : items) {
        EXPECT_EQ(item.isFolder, item.name == "sub") << item.name;
        EXPECT_FALSE(item.isLink) << item.name;
    }
    EXPECT_EQ(Names(ListFolder(temp.path() + "/")), expected);
}

TEST(ListFolder, MarksLinksAndFollowsThemOnlyToTellFolders) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "file", "x"));
    ASSERT_EQ(mkdir((temp / "folder").c_str(), 0755), 0);
    ASSERT_EQ(symlink("..", (temp / "loop").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (temp / "dangling").c_str()), 0);
    ASSERT_EQ(symlink("file", (temp / "to-file").c_str()), 0);
    ASSERT_EQ(symlink("self", (temp / "self").c_str()), 0);

    const std::vector<FolderItem> items = ListFolder(temp.path());
    ASSERT_EQ(items.size(), 6u);

    struct Case {
        const char* name;
        bool isFolder;
        bool isLink;
    };
    for (const Case& c :
         {Case{"file", false, false}, Case{"folder", true, false}, Case{"loop", true, true},
          Case{"dangling", false, true}, Case{"to-file", false, true}, Case{"self", false, true}}) {
        const FolderItem* item = Find(items, c.name);
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(item->isFolder, c.isFolder) << c.name;
        EXPECT_EQ(item->isLink, c.isLink) << c.name;
    }
}

TEST(ListFolder, GivesNothingForWhatCannotBeRead) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "file", "x"));
    EXPECT_TRUE(ListFolder(temp / "missing").empty());
    EXPECT_TRUE(ListFolder(temp / "file").empty());
    EXPECT_TRUE(ListFolder("").empty());
}

TEST(ListFolder, GivesNothingForAFolderWithoutReadPermission) {
    TempFolder temp;
    const std::string locked = temp / "locked";
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(locked + "/inside", "x"));
    ASSERT_EQ(chmod(temp.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);

    // Root reads any folder whatever its mode, so the listing runs in a child
    // process that has given up that power.
    const int listed = RunUnprivileged([&] { return static_cast<int>(ListFolder(locked).size()); });
    if (listed < 0) GTEST_SKIP() << "cannot run a child process without root's file access";
    EXPECT_EQ(listed, 0);
}

TEST(FolderQueries, TellFoldersLinksAndMissingPaths) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "file", "x"));
    ASSERT_EQ(mkdir((temp / "folder").c_str(), 0755), 0);
    ASSERT_EQ(symlink("folder", (temp / "to-folder").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (temp / "dangling").c_str()), 0);

    struct Case {
        const char* name;
        bool isFolder;
        bool exists;
    };
    for (const Case& c :
         {Case{"file", false, true}, Case{"folder", true, true}, Case{"to-folder", true, true},
          Case{"dangling", false, true}, Case{"missing", false, false}}) {
        EXPECT_EQ(IsFolder(temp / c.name), c.isFolder) << c.name;
        EXPECT_EQ(Exists(temp / c.name), c.exists) << c.name;
    }
    EXPECT_TRUE(IsFolder(temp.path() + "/"));
    EXPECT_FALSE(Exists(""));
}

class CurrentFolderTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = CurrentFolder(); }
    void TearDown() override { ASSERT_TRUE(SetCurrentFolder(saved_)); }

private:
    std::string saved_;
};

TEST_F(CurrentFolderTest, MovesResolvesDotDotAndStaysWhenRefused) {
    TempFolder temp;
    char* real = realpath(temp.path().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    const std::string folder = real;
    free(real);
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0755), 0);

    ASSERT_TRUE(SetCurrentFolder(folder + "/sub/"));
    EXPECT_EQ(CurrentFolder(), folder + "/sub");
    ASSERT_TRUE(SetCurrentFolder(folder + "/sub/../"));
    EXPECT_EQ(CurrentFolder(), folder);

    EXPECT_FALSE(SetCurrentFolder(folder + "/missing/"));
    EXPECT_EQ(CurrentFolder(), folder);

    ASSERT_TRUE(SetCurrentFolder("/"));
    EXPECT_EQ(CurrentFolder(), "/");
    ASSERT_TRUE(SetCurrentFolder("/.."));
    EXPECT_EQ(CurrentFolder(), "/");
}

}  // namespace
}  // namespace kestrix::platform
