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

// The identity now may be taken without asking whether numbers last: the recorded one tells.
TEST(SameItem, FollowsTheItemAndNoticesAnother) {
    for (const auto identifyNow : {&IdentifyItem, &IdentifyItemNow}) {
        SCOPED_TRACE(identifyNow == &IdentifyItem ? "IdentifyItem" : "IdentifyItemNow");
        TempFolder temp;
        ASSERT_TRUE(WriteFile(temp / "a", "alpha"));
        const ItemIdentity before = *IdentifyItem(temp / "a");
        ASSERT_EQ(rename((temp / "a").c_str(), (temp / "b").c_str()), 0);
        EXPECT_TRUE(SameItem(before, *identifyNow(temp / "b")));

        ASSERT_TRUE(WriteFile(temp / "other", "alpha"));
        EXPECT_FALSE(SameItem(before, *identifyNow(temp / "other")));
        ASSERT_EQ(mkdir((temp / "folder").c_str(), 0755), 0);
        EXPECT_FALSE(SameItem(before, *identifyNow(temp / "folder")));

        // Where inode numbers do not last, size and time of a file stand in for them.
        ItemIdentity fat = before;
        fat.inodeLasts = false;
        ItemIdentity renumbered = *identifyNow(temp / "b");
        renumbered.inode += 1000;
        EXPECT_TRUE(SameItem(fat, renumbered));
        ASSERT_TRUE(WriteFile(temp / "b", "alpha and more"));
        EXPECT_FALSE(SameItem(fat, *identifyNow(temp / "b")));
    }
}

}  // namespace
}  // namespace kestrix::platform
