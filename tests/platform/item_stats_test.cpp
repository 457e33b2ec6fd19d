#include "item_stats.h"

#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::TempFolder;
using testing::WriteFile;

void SetModified(const std::string& path, std::int64_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(StatItems, SizeTimeAndKindOfEachItemItself) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "a.jpg", "12345"));
    ASSERT_EQ(mkdir((temp / "zdjęcia").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(temp / "zdjęcia/b.jpg", ""));
    ASSERT_EQ(symlink("a.jpg", (temp / "link").c_str()), 0);
    SetModified(temp / "a.jpg", 1'700'000'000, 5);
    SetModified(temp / "zdjęcia/b.jpg", 1'600'000'000, 0);

    const std::vector<std::string> paths = {temp / "a.jpg", temp / "zdjęcia", temp / "zdjęcia/b.jpg",
                                            temp / "gone", temp / "link"};
    const std::vector<ItemStat> stats = StatItems(std::vector<std::string_view>(paths.begin(), paths.end()));

    ASSERT_EQ(stats.size(), 5u);
    EXPECT_TRUE(stats[0].known);
    EXPECT_FALSE(stats[0].isFolder);
    EXPECT_EQ(stats[0].size, 5u);
    EXPECT_EQ(stats[0].modifiedNs, 1'700'000'000'000'000'005);
    EXPECT_TRUE(stats[1].isFolder);
    EXPECT_EQ(stats[2].size, 0u);
    EXPECT_EQ(stats[2].modifiedNs, 1'600'000'000'000'000'000);
    EXPECT_FALSE(stats[3].known);
    // The link's own size is the length of what it points to, "a.jpg".
    EXPECT_TRUE(stats[4].known);
    EXPECT_FALSE(stats[4].isFolder);
    EXPECT_EQ(stats[4].size, 5u);
}

// Long lists are split between two threads; every item still gets its own stat.
TEST(StatItems, LongListsInTwoFoldersInterleaved) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp / "x").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((temp / "y").c_str(), 0755), 0);
    std::vector<std::string> paths;
    for (int i = 0; i < 5000; ++i) {
        paths.push_back(temp / ((i % 2 ? "x/" : "y/") + std::to_string(i)));
        ASSERT_TRUE(WriteFile(paths.back(), std::string(static_cast<size_t>(i % 7), 'z')));
    }
    const std::vector<ItemStat> stats = StatItems(std::vector<std::string_view>(paths.begin(), paths.end()));
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(stats[static_cast<size_t>(i)].known) << i;
        ASSERT_EQ(stats[static_cast<size_t>(i)].size, static_cast<std::uint64_t>(i % 7)) << i;
    }
}

}  // namespace
}  // namespace kestrix::platform
