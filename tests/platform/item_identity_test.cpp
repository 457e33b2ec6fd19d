#include "item_identity.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::TempFolder;
using testing::WriteFile;

// A folder of many items is identified from its listing, a folder of few by
// asking about each item: both give what asking about each one gives.
TEST(IdentifyItems, MatchesWhatEachItemSays) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp / "many").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((temp / "few").c_str(), 0755), 0);
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        paths.push_back(temp / ("many/f" + std::to_string(i)));
        ASSERT_TRUE(WriteFile(paths.back(), std::to_string(i)));
    }
    ASSERT_EQ(mkdir((temp / "many/sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("f1", (temp / "many/link").c_str()), 0);
    ASSERT_TRUE(WriteFile(temp / "few/a", "a"));
    paths.insert(paths.begin() + 3,
                 {temp / "many/sub", temp / "many/link", temp / "few/a", temp / "many/gone"});

    const std::vector<ItemIdentity> identities =
        IdentifyItems(std::vector<std::string_view>(paths.begin(), paths.end()));

    ASSERT_EQ(identities.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::optional<ItemIdentity> one = IdentifyItem(paths[i]);
        if (!one) {
            EXPECT_EQ(identities[i].type, ItemIdentity::Type::Unknown) << paths[i];
            continue;
        }
        EXPECT_EQ(identities[i].type, one->type) << paths[i];
        EXPECT_EQ(identities[i].inode, one->inode) << paths[i];
        EXPECT_TRUE(SameItem(identities[i], *one)) << paths[i];
    }
    EXPECT_EQ(identities[3].type, ItemIdentity::Type::Folder);
    EXPECT_EQ(identities[4].type, ItemIdentity::Type::Link);
}

TEST(SameItem, FollowsTheItemAndNoticesAnother) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "a", "alpha"));
    const ItemIdentity before = *IdentifyItem(temp / "a");
    ASSERT_EQ(rename((temp / "a").c_str(), (temp / "b").c_str()), 0);
    EXPECT_TRUE(SameItem(before, *IdentifyItem(temp / "b")));

    ASSERT_TRUE(WriteFile(temp / "other", "alpha"));
    EXPECT_FALSE(SameItem(before, *IdentifyItem(temp / "other")));
    ASSERT_EQ(mkdir((temp / "folder").c_str(), 0755), 0);
    EXPECT_FALSE(SameItem(before, *IdentifyItem(temp / "folder")));

    // Where inode numbers do not last and on another mount, size and time of a
    // file stand in for them.
    ItemIdentity fat = before;
    fat.inodeLasts = false;
    fat.hasBirth = fat.hasGeneration = false;
    fat.mount = 0;
    ItemIdentity renumbered = *IdentifyItem(temp / "b");
    renumbered.hasBirth = renumbered.hasGeneration = false;
    renumbered.inode += 1000;
    renumbered.mount = fat.mount + 1;
    EXPECT_TRUE(SameItem(fat, renumbered));
    // First bytes that differ tell another file of equal size and time.
    fat.hasPrint = renumbered.hasPrint = true;
    fat.print = 1;
    renumbered.print = 2;
    EXPECT_FALSE(SameItem(fat, renumbered));
    // A folder on the same mount under another number is another folder.
    ItemIdentity folder = fat, otherFolder = renumbered;
    folder.type = otherFolder.type = ItemIdentity::Type::Folder;
    folder.mount = otherFolder.mount = 7;
    EXPECT_FALSE(SameItem(folder, otherFolder));
    otherFolder.inode = folder.inode;
    EXPECT_TRUE(SameItem(folder, otherFolder));
    ASSERT_TRUE(WriteFile(temp / "b", "alpha and more"));
    EXPECT_FALSE(SameItem(fat, *IdentifyItem(temp / "b")));
}

// A new item that took over a deleted one's inode number is told apart by
// its birth time, or by the generation where no birth time is kept.
TEST(SameItem, TellsAReusedInodeNumberFromItsFormerOwner) {
    ItemIdentity old;
    old.type = ItemIdentity::Type::File;
    old.inodeLasts = true;
    old.inode = 12;
    old.hasTimes = true;
    old.size = 5;
    old.modifiedNs = 1000;
    struct Case {
        const char* label;
        bool hasBirth;
        std::int64_t bornNs;
        bool hasGeneration;
        std::uint32_t generation;
        bool same;
    };
    const Case cases[] = {
        {"same birth", true, 77, false, 0, true},
        {"other birth", true, 78, false, 0, false},
        {"same generation", false, 0, true, 3, true},
        {"other generation", false, 0, true, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ItemIdentity recorded = old, now = old;
        recorded.hasBirth = now.hasBirth = c.hasBirth;
        recorded.bornNs = 77;
        now.bornNs = c.bornNs;
        recorded.hasGeneration = now.hasGeneration = c.hasGeneration;
        recorded.generation = 3;
        now.generation = c.generation;
        EXPECT_EQ(SameItem(recorded, now), c.same);
    }
    // On this machine's file system a real reuse is caught, whichever number comes back.
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "b", "alpha"));
    const ItemIdentity first = *IdentifyItem(temp / "b");
    ASSERT_EQ(unlink((temp / "b").c_str()), 0);
    ASSERT_TRUE(WriteFile(temp / "b", "alpha"));
    EXPECT_FALSE(SameItem(first, *IdentifyItem(temp / "b")));
}

}  // namespace
}  // namespace kestrix::platform
