#include "name_masks.h"

#include <string>

#include <gtest/gtest.h>

#include "path_parts.h"

namespace kestrix {
namespace {

struct MaskCase {
    const char* masks;
    const char* name;
    bool matches;
};

const MaskCase kMaskCases[] = {
    {"*.JPG", "a.jpg", true},
    {"*.jpg", "IMG_0001.JPG", true},
    {"*.jpg", "a.jpeg", false},
    {"*.jpg", "a.jpg.txt", false},
    {"*.jpg;*.jpeg", "a.jpeg", true},
    {" *.png ; *.jpg ", "b.jpg", true},
    {"*.png;;*.gif;", "c.gif", true},
    {"IMG_????.jpg", "IMG_0001.jpg", true},
    {"IMG_????.jpg", "IMG_001.jpg", false},
    {"?", "ż", true},  // one character, two bytes
    {"??", "ż", false},
    {"ŻÓŁW*", "żółw.png", true},
    {"*ŁÓDŹ*", "Wycieczka do łodzi.jpg", false},
    {"*łódź*", "Wycieczka – ŁÓDŹ 2024.jpg", true},
    {".*", ".swp", true},
    {".*", "a.swp", false},
    {"*", "anything", true},
    {"a*b*c", "aXbYbc", true},
    {"a*b*c", "aXbYbd", false},
    {"[1].jpg", "[1].jpg", true},  // brackets are plain characters
};

class NameMasksTest : public testing::TestWithParam<MaskCase> {};

TEST_P(NameMasksTest, MatchesTheName) {
    const MaskCase& c = GetParam();
    std::string error;
    const std::optional<NameMasks> masks = NameMasks::Parse(c.masks, error);
    ASSERT_TRUE(masks) << error;
    EXPECT_EQ(masks->matches(c.name), c.matches) << c.masks << " ~ " << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, NameMasksTest, testing::ValuesIn(kMaskCases));

struct BadMaskCase {
    const char* masks;
    const char* error;
};

const BadMaskCase kBadMaskCases[] = {
    {"", "Nie podano żadnej maski. Wpisz na przykład *.jpg;*.jpeg"},
    {" ; ;", "Nie podano żadnej maski. Wpisz na przykład *.jpg;*.jpeg"},
    {"*.jpg;zdjęcia/*.jpg",
     "Maska „zdjęcia/*.jpg” zawiera znak „/”, którego nie ma w żadnej nazwie pliku ani katalogu."},
};

class BadNameMasksTest : public testing::TestWithParam<BadMaskCase> {};

TEST_P(BadNameMasksTest, IsExplained) {
    std::string error;
    EXPECT_FALSE(NameMasks::Parse(GetParam().masks, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadNameMasksTest, testing::ValuesIn(kBadMaskCases));

TEST(HiddenPathTest, NameOrAnyFolderStartingWithADot) {
    EXPECT_TRUE(IsHiddenPath("/home/ola/zdjęcia/.thumbnails"));
    EXPECT_TRUE(IsHiddenPath("/home/ola/.cache/a.jpg"));
    EXPECT_TRUE(IsHiddenPath("/home/ola/zdjęcia/.a.jpg.swp"));
    EXPECT_FALSE(IsHiddenPath("/home/ola/zdjęcia/a.jpg"));
    EXPECT_FALSE(IsHiddenPath("/home/ola/./zdjęcia/../a.jpg"));
}

}  // namespace
}  // namespace kestrix
