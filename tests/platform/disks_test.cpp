#include "disks.h"

#include <set>

#include <gtest/gtest.h>

#include "folders.h"

namespace kestrix::platform {
namespace {

TEST(LocalDisks, ListsTheRootFirstAndEveryRootOnceWithATrailingSlash) {
    const std::vector<LocalDisk> disks = LocalDisks();
    ASSERT_FALSE(disks.empty());
    EXPECT_EQ(disks.front().root, "/");
    std::set<std::string> seen;
    for (const LocalDisk& disk : disks) {
        EXPECT_TRUE(seen.insert(disk.root).second) << disk.root << " listed twice";
        ASSERT_FALSE(disk.root.empty());
        EXPECT_EQ(disk.root.front(), '/');
        EXPECT_EQ(disk.root.back(), '/');
        EXPECT_TRUE(IsFolder(disk.root)) << disk.root;
        // Memory and kernel file systems are no disks.
        for (const char* pseudo : {"/proc/", "/sys/", "/dev/", "/dev/shm/", "/run/"}) {
            EXPECT_NE(disk.root, pseudo);
        }
    }
}

TEST(DiskRootOf, TakesTheLongestMatchingRoot) {
    const std::vector<LocalDisk> disks{
        {"/", ""}, {"/home/", "dom"}, {"/home/ann/data/", ""}, {"/mnt/a b/", ""}};
    struct Case {
        const char* folder;
        const char* root;
    };
    for (const Case& c :
         {Case{"/", "/"}, Case{"/usr/share/", "/"}, Case{"/home/", "/home/"}, Case{"/home", "/home/"},
          Case{"/home/ann/", "/home/"}, Case{"/homework/", "/"}, Case{"/home/ann/data", "/home/ann/data/"},
          Case{"/home/ann/data/x/", "/home/ann/data/"}, Case{"/mnt/a b/c/", "/mnt/a b/"},
          Case{"/mnt/a/", "/"}, Case{"relative/", ""}, Case{"", ""}}) {
        EXPECT_EQ(DiskRootOf(c.folder, disks), c.root) << c.folder;
    }
    EXPECT_EQ(DiskRootOf("/home/", {}), "");
    EXPECT_EQ(DiskRootOf("/home/x/", {{"/home/", ""}}), "/home/");
}

}  // namespace
}  // namespace kestrix::platform
