#include "natural_order.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "entry_order.h"

namespace kestrix {
namespace {

std::vector<std::string> SortedByName(const std::vector<std::string>& names, bool descending = false) {
    std::vector<std::string> keys;
    for (const std::string& name : names) keys.push_back(NaturalSortKey(name));
    std::vector<std::string> sorted;
    for (std::size_t i : OrderByText(keys, descending)) sorted.push_back(names[i]);
    return sorted;
}

struct OrderCase {
    const char* label;
    std::vector<std::string> names;
    std::vector<std::string> expected;
};

const OrderCase kOrderCases[] = {
    {"DigitRunsByValue",
     {"IMG_10.jpg", "IMG_2.jpg", "IMG_1.jpg", "IMG_0001.JPG"},
     {"IMG_1.jpg", "IMG_0001.JPG", "IMG_2.jpg", "IMG_10.jpg"}},
    {"NumbersInBrackets",
     {"Wakacje nad morzem 2024 (10).jpg", "Wakacje nad morzem 2024 (2).jpg",
      "Wakacje nad morzem 2024 (1).jpg", "Wakacje nad morzem 2024 (60).jpg"},
     {"Wakacje nad morzem 2024 (1).jpg", "Wakacje nad morzem 2024 (2).jpg",
      "Wakacje nad morzem 2024 (10).jpg", "Wakacje nad morzem 2024 (60).jpg"}},
    {"NumbersLongerThanAnyInteger",
     {"x123456789012345678901234567890", "x99999999999999999999999999999"},
     {"x99999999999999999999999999999", "x123456789012345678901234567890"}},
    {"PolishLettersAfterTheirBase",
     {"Żaba", "Zebra", "Łódź", "Lublin", "Mazury", "Ąkra", "Bór", "Azja", "Źródło", "Śląsk", "Sopot",
      "Tarnów"},
     {"Azja", "Ąkra", "Bór", "Lublin", "Łódź", "Mazury", "Sopot", "Śląsk", "Tarnów", "Zebra", "Źródło",
      "Żaba"}},
    {"WholePolishAlphabet",
     {"ż", "ź", "z", "ś", "s", "ó", "o", "ń", "n", "ł", "l", "ę", "e", "ć", "c", "ą", "a"},
     {"a", "ą", "c", "ć", "e", "ę", "l", "ł", "n", "ń", "o", "ó", "s", "ś", "z", "ź", "ż"}},
    {"CaseOnlyBreaksTies",
     {"b.jpg", "A.jpg", "a.jpg", "B.jpg", "ą.jpg", "Ą.jpg"},
     {"a.jpg", "A.jpg", "ą.jpg", "Ą.jpg", "b.jpg", "B.jpg"}},
    {"CapitalsDoNotComeFirst", {"zdjęcie", "Ósemka", "Ala", "ala"}, {"ala", "Ala", "Ósemka", "zdjęcie"}},
    {"LeadingZerosOnlyBreakTies", {"a002", "a2", "a02", "a1"}, {"a1", "a2", "a02", "a002"}},
    {"SignsBeforeDigitsBeforeLetters", {"b", "1", "_x", "a", " x"}, {" x", "_x", "1", "a", "b"}},
    {"OtherMarkedLettersBesideTheirBase", {"f", "é", "e", "ę"}, {"e", "é", "ę", "f"}},
    {"OtherAlphabetsAfterLatin", {"жук", "zebra", "ant"}, {"ant", "zebra", "жук"}},
    {"BytesThatAreNotUtf8LastOfAll", {"b", "\xff", "a"}, {"a", "b", "\xff"}},
};

class NaturalOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(NaturalOrderTest, SortsAsPeopleRead) {
    EXPECT_EQ(SortedByName(GetParam().names), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NaturalOrderTest, testing::ValuesIn(kOrderCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(NaturalOrderTest, DoesNotDependOnTheLocale) {
    // The process may run in the C locale or any other: the key is the same.
    EXPECT_LT(NaturalSortKey("Łąka"), NaturalSortKey("Mak"));
    EXPECT_LT(NaturalSortKey("Łąka"), NaturalSortKey("łąki"));
}

TEST(EntryOrderTest, EqualKeysKeepTheirOrderInBothDirections) {
    const std::vector<std::string> keys = {"b", "a", "b", "a", "c"};
    EXPECT_EQ(OrderByText(keys, false), (std::vector<std::size_t>{1, 3, 0, 2, 4}));
    EXPECT_EQ(OrderByText(keys, true), (std::vector<std::size_t>{4, 0, 2, 1, 3}));
}

TEST(EntryOrderTest, NumbersUnknownLastInBothDirections) {
    const std::vector<std::optional<std::int64_t>> sizes = {30, std::nullopt, 10, 30, std::nullopt, 20};
    EXPECT_EQ(OrderByNumber(sizes, false), (std::vector<std::size_t>{2, 5, 0, 3, 1, 4}));
    EXPECT_EQ(OrderByNumber(sizes, true), (std::vector<std::size_t>{0, 3, 5, 2, 1, 4}));
}

TEST(EntryOrderTest, UndatedEntriesFollowInNameOrder) {
    const std::vector<std::optional<std::string>> dates = {
        std::nullopt, "2024:07:15 10:31:02", std::nullopt, "2023:12:31 23:59:59", "2024:07:15 10:31:02",
    };
    const std::vector<std::string> names = {NaturalSortKey("IMG_10.jpg"), NaturalSortKey("b.jpg"),
                                            NaturalSortKey("IMG_2.jpg"), NaturalSortKey("c.jpg"),
                                            NaturalSortKey("a.jpg")};
    EXPECT_EQ(OrderByDateTaken(dates, names, false), (std::vector<std::size_t>{3, 1, 4, 2, 0}));
    EXPECT_EQ(OrderByDateTaken(dates, names, true), (std::vector<std::size_t>{1, 4, 3, 2, 0}));
}

}  // namespace
}  // namespace kestrix
