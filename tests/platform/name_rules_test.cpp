// The names each kind of file system refuses, and which kind holds a folder.
#include "name_rules.h"

#include <string>

#include <gtest/gtest.h>

#include "error_text.h"
#include "exfat_volume.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

TEST(NameFaultOf, RefusesWhatEachFileSystemCannotHold) {
    using Kind = NameFault::Kind;
    struct Case {
        std::string name;
        NameFault posix, exfat, fat;
    };
    const NameFault none;
    const Case cases[] = {
        {"zdjęcie 01.jpg", none, none, none},
        {"a?b", none, {Kind::Character, '?'}, {Kind::Character, '?'}},
        {"\"*:<>\\|", none, {Kind::Character, '"'}, {Kind::Character, '"'}},
        {"x|y", none, {Kind::Character, '|'}, {Kind::Character, '|'}},
        {"tab\there", none, {Kind::Character, '\t'}, {Kind::Character, '\t'}},
        {"del\x7f", none, none, none},
        {"ends with a space ", none, none, {Kind::TrailingSpace}},
        {"ends with a dot.", none, none, {Kind::TrailingDot}},
        {"...", none, none, {Kind::TrailingDot}},
        {"", {Kind::Empty}, {Kind::Empty}, {Kind::Empty}},
        {"..", {Kind::Dots}, {Kind::Dots}, {Kind::Dots}},
        {"a/b?", {Kind::Slash}, {Kind::Slash}, {Kind::Slash}},
        {std::string(256, 'x'), {Kind::TooLong}, {Kind::TooLong}, {Kind::TooLong}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NameFaultOf(c.name, NameRules::Posix), c.posix);
        EXPECT_EQ(NameFaultOf(c.name, NameRules::Exfat), c.exfat);
        EXPECT_EQ(NameFaultOf(c.name, NameRules::Fat), c.fat);
    }
}

TEST(NameFaultText, NamesTheCharacterTheVolumeRefuses) {
    using Kind = NameFault::Kind;
    EXPECT_EQ(NameFaultText({Kind::Character, '?'}), "znak ? jest niedozwolony na tym nośniku");
    EXPECT_EQ(NameFaultText({Kind::Character, '\\'}), "znak \\ jest niedozwolony na tym nośniku");
    EXPECT_EQ(NameFaultText({Kind::Character, 1}), "znak sterujący (kod 1) jest niedozwolony na tym nośniku");
    EXPECT_EQ(NameFaultText({Kind::TrailingDot}), "nazwa zakończona kropką jest niedozwolona na tym nośniku");
    EXPECT_EQ(NameFaultText({Kind::Empty}), "pusta nazwa");
    EXPECT_EQ(NameFaultText({}), "");
}

TEST(NameRulesOf, AnOrdinaryFolderRefusesOnlySlashAndNul) {
    testing::TempFolder folder;
    EXPECT_EQ(NameRulesOf(folder.path() + "/"), NameRules::Posix);
}

class NameRulesOfExfat : public kestrix::testing::ExfatVolume {};

// exFAT through FUSE shows only "fuseblk": the volume is told by its device.
TEST_F(NameRulesOfExfat, TellsAnExfatVolumeMountedThroughFuse) {
    ASSERT_EQ(mkdir((*this / "inner").c_str(), 0755), 0);
    EXPECT_EQ(NameRulesOf(root() + "/"), NameRules::Exfat);
    EXPECT_EQ(NameRulesOf(*this / "inner/"), NameRules::Exfat);
}

}  // namespace
}  // namespace kestrix::platform
