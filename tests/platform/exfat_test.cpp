// The rename on a case-insensitive file system without hard links, where the
// kernel refuses RENAME_NOREPLACE (see exfat_volume.h).

#include <algorithm>
#include <cerrno>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exfat_volume.h"
#include "folders.h"
#include "rename.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::ReadFile;
using testing::WriteFile;

class ExfatRename : public kestrix::testing::ExfatVolume {
protected:
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const FolderItem& item : ListFolder(root())) names.push_back(item.name);
        return names;
    }
};

using RenameFunction = RenameResult (*)(const std::string&, const std::string&);

const std::pair<const char*, RenameFunction> kRenames[] = {{"direct", &RenameNoReplace},
                                                           {"fallback", &RenameNoReplaceFallback}};

TEST_F(ExfatRename, RenamesOntoAFreeName) {
    for (const auto& [path, renameWith] : kRenames) {
        ASSERT_TRUE(WriteFile(*this / "a.txt", "alpha"));
        ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
        ASSERT_TRUE(WriteFile(*this / "dir/inner", "inner"));

        RenameResult result = renameWith(*this / "a.txt", *this / "b.txt");
        ASSERT_TRUE(result.ok) << path << ": " << result.reason;
        result = renameWith(*this / "dir", *this / "folder");
        ASSERT_TRUE(result.ok) << path << ": " << result.reason;

        EXPECT_EQ(Listing(), (std::vector<std::string>{"b.txt", "folder"})) << path;
        EXPECT_EQ(ReadFile(*this / "b.txt"), "alpha");
        EXPECT_EQ(ReadFile(*this / "folder/inner"), "inner");
        ASSERT_EQ(unlink((*this / "b.txt").c_str()), 0);
        ASSERT_EQ(unlink((*this / "folder/inner").c_str()), 0);
        ASSERT_EQ(rmdir((*this / "folder").c_str()), 0);
    }
}

TEST_F(ExfatRename, NeverReplacesAnotherEntry) {
    ASSERT_TRUE(WriteFile(*this / "a.txt", "one"));
    ASSERT_TRUE(WriteFile(*this / "b.txt", "two"));
    ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((*this / "other").c_str(), 0755), 0);

    // "B.TXT" is "b.txt" to this file system: another file, not a case-only rename.
    const std::pair<const char*, const char*> conflicts[] = {{"a.txt", "b.txt"}, {"a.txt", "B.TXT"},
                                                             {"a.txt", "dir"},   {"dir", "other"},
                                                             {"dir", "OTHER"},   {"dir", "b.txt"}};
    for (const auto& [path, renameWith] : kRenames) {
        for (const auto& [from, to] : conflicts) {
            const RenameResult result = renameWith(*this / from, *this / to);
            EXPECT_FALSE(result.ok) << path << ": " << from << " -> " << to;
            EXPECT_EQ(result.error, EEXIST) << path << ": " << from << " -> " << to;
        }
    }
    EXPECT_EQ(ReadFile(*this / "a.txt"), "one");
    EXPECT_EQ(ReadFile(*this / "b.txt"), "two");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a.txt", "b.txt", "dir", "other"}));
}

TEST_F(ExfatRename, RenamesToAnotherLetterCase) {
    const std::string lodz =
        "\xC5\x82\xC3\xB3"
        "d\xC5\xBA.txt";  // "łódź.txt"
    const std::string lodzUpper =
        "\xC5\x81\xC3\x93"
        "D\xC5\xB9.TXT";  // "ŁÓDŹ.TXT"
    ASSERT_TRUE(WriteFile(*this / "a.txt", "alpha"));
    ASSERT_TRUE(WriteFile(*this / lodz, "lodz"));
    ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(*this / "dir/inner", "inner"));

    struct Step {
        std::string from;
        std::string to;
    };
    const Step steps[] = {{"a.txt", "A.txt"}, {"A.txt", "a.TXT"}, {"dir", "Dir"},
                          {"Dir", "DIR"},     {lodz, lodzUpper},  {lodzUpper, lodz}};
    for (const Step& step : steps) {
        for (const auto& [path, renameWith] : kRenames) {
            const RenameResult there = renameWith(*this / step.from, *this / step.to);
            ASSERT_TRUE(there.ok) << path << ": " << step.from << " -> " << step.to << ": " << there.reason;
            const std::vector<std::string> listing = Listing();
            EXPECT_EQ(std::count(listing.begin(), listing.end(), step.to), 1) << path << ": " << step.to;
            const RenameResult back = renameWith(*this / step.to, *this / step.from);
            ASSERT_TRUE(back.ok) << path << ": " << step.to << " -> " << step.from << ": " << back.reason;
        }
        ASSERT_TRUE(RenameNoReplace(*this / step.from, *this / step.to).ok);
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a.TXT", "DIR", lodz}));
    EXPECT_EQ(ReadFile(*this / "a.TXT"), "alpha");
    EXPECT_EQ(ReadFile(*this / "DIR/inner"), "inner");
    EXPECT_EQ(ReadFile(*this / lodz), "lodz");
}

// Something may have looked the new spelling up just before (it found the
// item itself): the rename still happens, at once.
TEST_F(ExfatRename, RenamesToAnotherLetterCaseRightAfterTheNewSpellingWasLookedUp) {
    ASSERT_TRUE(WriteFile(*this / "a.txt", "alpha"));
    ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(*this / "dir/inner", "inner"));
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"a.txt", "A.TXT"}, {"dir", "Dir"}}) {
        struct stat seen;
        ASSERT_EQ(lstat((*this / to).c_str(), &seen), 0) << to;
        const RenameResult result = RenameNoReplace(*this / from, *this / to);
        EXPECT_TRUE(result.ok) << from << " -> " << to << ": " << result.reason;
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"A.TXT", "Dir"}));
    EXPECT_EQ(ReadFile(*this / "A.TXT"), "alpha");
    EXPECT_EQ(ReadFile(*this / "Dir/inner"), "inner");
}

}  // namespace
}  // namespace kestrix::platform
