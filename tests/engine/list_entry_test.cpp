#include "list_entry.h"

#include <string>

#include <gtest/gtest.h>

#include "name_transform.h"

namespace kestrix {
namespace {

struct TagCase {
    const char* label;
    std::string text;
    std::string tag;
    std::string expected;
};

const TagCase kTagCases[] = {
    {"CurrentPath", "<n1>/a/x.txt</n1><n2>/a/y.txt</n2>", "<n1>", "/a/x.txt"},
    {"ProposedPath", "<n1>/a/x.txt</n1><n2>/a/y.txt</n2>", "<n2>", "/a/y.txt"},
    {"NoOpeningTag", "<n1>/a/x.txt</n1>", "<n2>", ""},
    {"NoClosingTag", "<n1>/a</n1><n2>/b", "<n2>", ""},
    {"ClosingBeforeOpening", "</n2><n2>abc</n2>", "<n2>", ""},
    {"ClosingRightAfterOpening", "<n2></n2>", "<n2>", ""},
    {"TagsAreCaseSensitive", "<N1>/a</N1>", "<n1>", ""},
    {"EmptyTag", "<n1>/a</n1>", "", ""},
    {"FirstOpeningTagCounts", "<n1>a<n1>b</n1>", "<n1>", "a<n1>b"},
    {"FirstClosingTagCounts", "<n1>a</n1>b</n1>", "<n1>", "a"},
    {"SingleCharacterTag", "xax/b", "x", "a"},
};

class ExtractTagTextTest : public testing::TestWithParam<TagCase> {};

TEST_P(ExtractTagTextTest, ReturnsTextBetweenTags) {
    const TagCase& c = GetParam();
    EXPECT_EQ(ExtractTagText(c.text, c.tag), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtractTagTextTest, testing::ValuesIn(kTagCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ListEntryTest, TextJoinsBothPathsWithTags) {
    const ListEntry entry{"/Foto/Wakacje 01.JPG", "/Foto/wakacje 01.jpg"};
    EXPECT_EQ(entry.text(), "<n1>/Foto/Wakacje 01.JPG</n1><n2>/Foto/wakacje 01.jpg</n2>");
    EXPECT_EQ(ExtractTagText(entry.text(), "<n1>"), entry.current);
    EXPECT_EQ(ExtractTagText(entry.text(), "<n2>"), entry.proposed);
}

TEST(ListEntryTest, NameWithTagTextKeepsBothPathsApart) {
    RenameOptions options;
    options.CaseEnabled = true;
    const ListEntry entry = TransformPath("/tmp/a<n2>B<n1>.TXT", 0, 1, RenameRules::From(options).value());
    EXPECT_EQ(entry.current, "/tmp/a<n2>B<n1>.TXT");
    EXPECT_EQ(entry.proposed, "/tmp/a<n2>b<n1>.txt");
    // The text form cannot tell the paths apart; the record can.
    EXPECT_NE(ExtractTagText(entry.text(), "<n2>"), entry.proposed);
}

}  // namespace
}  // namespace kestrix
