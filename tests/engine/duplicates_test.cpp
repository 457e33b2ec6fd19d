#include "duplicates.h"

#include <vector>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

using Entries = std::vector<ListEntry>;

struct DuplicateCase {
    const char* label;
    Entries input;
    Entries expected;
};

const DuplicateCase kDuplicateCases[] = {
    {"Empty", {}, {}},
    {"Single", {{"/a", "/b"}}, {{"/a", "/b"}}},
    {"NoDuplicates", {{"/a", "/a"}, {"/b", "/b"}}, {{"/a", "/a"}, {"/b", "/b"}}},
    {"FirstStaysOrderKept",
     {{"/c", "/c"}, {"/a", "/a"}, {"/c", "/c"}, {"/b", "/b"}, {"/a", "/a"}, {"/c", "/c"}},
     {{"/c", "/c"}, {"/a", "/a"}, {"/b", "/b"}}},
    {"SameCurrentOtherProposedIsKept", {{"/a", "/x1"}, {"/a", "/x2"}}, {{"/a", "/x1"}, {"/a", "/x2"}}},
    {"PathsSplitDifferentlyAreDifferent", {{"/ab", "/c"}, {"/a", "/bc"}}, {{"/ab", "/c"}, {"/a", "/bc"}}},
    {"CaseMatters", {{"/A", "/A"}, {"/a", "/a"}}, {{"/A", "/A"}, {"/a", "/a"}}},
};

class RemoveDuplicateEntriesTest : public testing::TestWithParam<DuplicateCase> {};

TEST_P(RemoveDuplicateEntriesTest, KeepsFirstOfEqualEntries) {
    const DuplicateCase& c = GetParam();
    Entries entries = c.input;
    const bool removed = RemoveDuplicateEntries(entries);
    EXPECT_EQ(entries, c.expected);
    EXPECT_EQ(removed, c.input.size() != c.expected.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveDuplicateEntriesTest, testing::ValuesIn(kDuplicateCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(RemoveDuplicateEntriesTest, LargeListWithManyRepeats) {
    Entries entries;
    for (int i = 0; i < 5000; ++i) {
        const std::string path = "/d/" + std::to_string(i % 1000);
        entries.push_back({path, path + "x"});
    }
    EXPECT_TRUE(RemoveDuplicateEntries(entries));
    ASSERT_EQ(entries.size(), 1000u);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(entries[i].current, "/d/" + std::to_string(i));
}

}  // namespace
}  // namespace kestrix
