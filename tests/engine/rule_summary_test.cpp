#include "rule_summary.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "start_value.h"

namespace kestrix {
namespace {

struct SummaryCase {
    const char* label;
    std::function<void(RenameOptions&)> setup;
    std::vector<std::string> expected;
    std::int64_t count = 12;
};

RenameOptions Numbering(std::string start, bool ascending, PlaceMode mode, bool zeros = false,
                        int position = 0) {
    RenameOptions o;
    o.NumberEnabled = true;
    o.NumberStart = start;
    o.NumberAscending = ascending;
    o.NumberMode = mode;
    o.NumberLeadingZeros = zeros;
    o.NumberPosition = position;
    return o;
}

const SummaryCase kCases[] = {
    {"NothingOn", [](RenameOptions&) {}, {}},
    {"Extension",
     [](RenameOptions& o) {
         o.ChangeExtension = true;
         o.NewExtension = "jpg";
     },
     {"Zmiana rozszerzeń plików na : \"jpg\""}},
    {"EmptyExtension",
     [](RenameOptions& o) { o.ChangeExtension = true; },
     {"Zmiana rozszerzeń plików na : \"\""}},
    {"Replacement",
     [](RenameOptions& o) {
         o.ReplaceEnabled = true;
         o.ReplaceFrom = "morzem";
         o.ReplaceTo = "Bałtykiem";
     },
     {"Zmiana znaków z : \"morzem\" na : \"Bałtykiem\""}},
    {"EmptyReplacement",
     [](RenameOptions& o) { o.ReplaceEnabled = true; },
     {"Zmiana znaków z : \"\" na : \"\""}},
    {"InsertAtStart",
     [](RenameOptions& o) {
         o.InsertEnabled = true;
         o.InsertText = "abc";
     },
     {"Dodawanie ciągu znaków : \"abc\" na początku nazwy"}},
    {"InsertAtEnd",
     [](RenameOptions& o) {
         o.InsertEnabled = true;
         o.InsertText = "abc";
         o.InsertMode = PlaceMode::AtEnd;
     },
     {"Dodawanie ciągu znaków : \"abc\" na końcu nazwy"}},
    {"InsertAtPosition",
     [](RenameOptions& o) {
         o.InsertEnabled = true;
         o.InsertText = "a b";
         o.InsertMode = PlaceMode::AfterPosition;
         o.InsertPosition = 4;
     },
     {"Dodawanie ciągu znaków : \"a b\" na pozycji : 4"}},
    {"InsertEmptyTextAddsNoLine", [](RenameOptions& o) { o.InsertEnabled = true; }, {}},
    {"DeleteFromStart",
     [](RenameOptions& o) {
         o.DeleteEnabled = true;
         o.DeleteCount = 3;
     },
     {"Usuń : 3 znaków, od początku nazwy"}},
    {"DeleteFromEnd",
     [](RenameOptions& o) {
         o.DeleteEnabled = true;
         o.DeleteCount = 10;
         o.DeleteMode = DeleteMode::FromEnd;
     },
     {"Usuń : 10 znaków, od końca nazwy"}},
    {"DeleteFromPosition",
     [](RenameOptions& o) {
         o.DeleteEnabled = true;
         o.DeleteCount = 1;
         o.DeleteMode = DeleteMode::FromPosition;
         o.DeletePosition = 0;
     },
     {"Usuń : 1 znaków, od pozycji : 0"}},
    {"DeleteZeroAddsNoLine", [](RenameOptions& o) { o.DeleteEnabled = true; }, {}},
    {"LowerCase", [](RenameOptions& o) { o.CaseEnabled = true; }, {"Zamiana na małe litery"}},
    {"UpperCase",
     [](RenameOptions& o) {
         o.CaseEnabled = true;
         o.CaseToLower = false;
     },
     {"Zamiana na duże litery"}},
    {"SpacesToUnderscores",
     [](RenameOptions& o) { o.SpacesEnabled = true; },
     {"Zamiana spacji na podkreślniki (\" \" na \"_\")"}},
    {"UnderscoresToSpaces",
     [](RenameOptions& o) {
         o.SpacesEnabled = true;
         o.SpacesToUnderscores = false;
     },
     {"Zamiana podkreślników na spacje (\"_\" na \" \")"}},
    {"NumberUpAtEndWithZeros",
     [](RenameOptions& o) { o = Numbering("1", true, PlaceMode::AtEnd, true); },
     {"Numerowanie plików : rosnąca numeracja, od : 1 do : 12 na końcu nazwy z dodawaniem zer"}},
    {"NumberDownAfterCharacter",
     [](RenameOptions& o) { o = Numbering("12", false, PlaceMode::AfterPosition, false, 3); },
     {"Numerowanie plików : malejąca numeracja, od : 12 do : 1 za znakiem : 3"}},
    {"NumberAtStart",
     [](RenameOptions& o) { o = Numbering("5", true, PlaceMode::AtStart); },
     {"Numerowanie plików : rosnąca numeracja, od : 5 do : 16 na początku nazwy"}},
    {"NumberUpEmptyList",
     [](RenameOptions& o) { o = Numbering("0", true, PlaceMode::AtStart); },
     {"Numerowanie plików : rosnąca numeracja, od : 0 do : -1 na początku nazwy"},
     0},
    {"NumberDownEmptyList",
     [](RenameOptions& o) { o = Numbering("0", false, PlaceMode::AtStart); },
     {"Numerowanie plików : malejąca numeracja, od : 0 do : 1 na początku nazwy"},
     0},
    {"NumberStartAsTyped",
     [](RenameOptions& o) { o = Numbering("007", true, PlaceMode::AtEnd); },
     {"Numerowanie plików : rosnąca numeracja, od : 007 do : 9 na końcu nazwy"},
     3},
    {"NumberHexStart",
     [](RenameOptions& o) { o = Numbering("$10", true, PlaceMode::AtEnd); },
     {"Numerowanie plików : rosnąca numeracja, od : $10 do : 17 na końcu nazwy"},
     2},
    {"NumberEndPast32BitUp",
     [](RenameOptions& o) { o = Numbering("2147483647", true, PlaceMode::AtEnd); },
     {"Numerowanie plików : rosnąca numeracja, od : 2147483647 do : 2147483648 na końcu nazwy"},
     2},
    {"NumberEndPast32BitDown",
     [](RenameOptions& o) { o = Numbering("-2147483648", false, PlaceMode::AtEnd); },
     {"Numerowanie plików : malejąca numeracja, od : -2147483648 do : -2147483650 na końcu nazwy"},
     3},
    {"NumberEmptyStartAddsNoLine", [](RenameOptions& o) { o = Numbering("", true, PlaceMode::AtEnd); }, {}},
    {"NumberOffAddsNoLine",
     [](RenameOptions& o) {
         o = Numbering("1", true, PlaceMode::AtEnd);
         o.NumberEnabled = false;
     },
     {}},
    {"EveryRuleInFixedOrder",
     [](RenameOptions& o) {
         o = Numbering("1", true, PlaceMode::AtEnd);
         o.SpacesEnabled = true;
         o.CaseEnabled = true;
         o.DeleteEnabled = true;
         o.DeleteCount = 2;
         o.InsertEnabled = true;
         o.InsertText = std::string("x");
         o.ReplaceEnabled = true;
         o.ChangeExtension = true;
         o.Scope = 2;
     },
     {"Zmiana rozszerzeń plików na : \"\"", "Zmiana znaków z : \"\" na : \"\"",
      "Dodawanie ciągu znaków : \"x\" na początku nazwy", "Usuń : 2 znaków, od początku nazwy",
      "Zamiana na małe litery", "Zamiana spacji na podkreślniki (\" \" na \"_\")",
      "Numerowanie plików : rosnąca numeracja, od : 1 do : 12 na końcu nazwy"}},
};

class RuleSummaryTest : public testing::TestWithParam<SummaryCase> {};

TEST_P(RuleSummaryTest, DescribesActiveRules) {
    const SummaryCase& c = GetParam();
    RenameOptions options;
    c.setup(options);
    EXPECT_EQ(RuleSummaryLines(RenameRules::From(options).value(), c.count), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RuleSummaryTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

// No rules, hence no summary, for a start value that does not convert: the
// same check the transformation relies on.
TEST(RuleSummaryTest, InvalidStartValueGivesNoRulesToDescribe) {
    const RenameOptions options = Numbering("1a", true, PlaceMode::AtEnd);
    EXPECT_FALSE(RenameRules::From(options).has_value());
}

}  // namespace
}  // namespace kestrix
