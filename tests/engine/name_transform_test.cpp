#include "name_transform.h"

#include <cctype>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "start_value.h"

namespace kestrix {
namespace {

using Rule = std::function<void(RenameOptions&)>;

Rule Ext(std::string extension) {
    return [=](RenameOptions& o) {
        o.ChangeExtension = true;
        o.NewExtension = extension;
    };
}
Rule ScopeIs(int scope) {
    return [=](RenameOptions& o) { o.Scope = scope; };
}
Rule Replace(std::string from, std::string to) {
    return [=](RenameOptions& o) {
        o.ReplaceEnabled = true;
        o.ReplaceFrom = from;
        o.ReplaceTo = to;
    };
}
Rule Delete(DeleteMode mode, int count, int position = 0) {
    return [=](RenameOptions& o) {
        o.DeleteEnabled = true;
        o.DeleteMode = mode;
        o.DeleteCount = count;
        o.DeletePosition = position;
    };
}
Rule Insert(PlaceMode mode, std::string text, int position = 0) {
    return [=](RenameOptions& o) {
        o.InsertEnabled = true;
        o.InsertMode = mode;
        o.InsertText = text;
        o.InsertPosition = position;
    };
}
Rule Case(bool lower) {
    return [=](RenameOptions& o) {
        o.CaseEnabled = true;
        o.CaseToLower = lower;
    };
}
Rule Spaces(bool toUnderscores) {
    return [=](RenameOptions& o) {
        o.SpacesEnabled = true;
        o.SpacesToUnderscores = toUnderscores;
    };
}
Rule Number(std::string start, bool ascending, bool zeros, PlaceMode mode, int position = 0) {
    return [=](RenameOptions& o) {
        o.NumberEnabled = true;
        o.NumberStart = start;
        o.NumberAscending = ascending;
        o.NumberLeadingZeros = zeros;
        o.NumberMode = mode;
        o.NumberPosition = position;
    };
}

constexpr auto kStart = DeleteMode::FromStart;
constexpr auto kEnd = DeleteMode::FromEnd;
constexpr auto kPos = DeleteMode::FromPosition;
constexpr auto kAtStart = PlaceMode::AtStart;
constexpr auto kAtEnd = PlaceMode::AtEnd;
constexpr auto kAfter = PlaceMode::AfterPosition;

struct TransformCase {
    const char* label;
    std::string path;
    std::vector<Rule> rules;
    std::string expected;
    std::int64_t index = 0;
    std::int64_t count = 1;
    ItemKind kind = ItemKind::File;
};

constexpr auto kFolder = ItemKind::Folder;

const TransformCase kCases[] = {
    // The whole chain, every rule in its place.
    {"WorkedExample",
     "/Foto/Wakacje nad morzem.JPG",
     {Ext("jpg"), ScopeIs(1), Replace("morzem", "Bałtykiem"), Delete(kStart, 8), Insert(kAtStart, "Lato "),
      Case(true), Spaces(true), Number("1", true, true, kAtEnd)},
     "/Foto/lato_nad_bałtykiem03.jpg",
     2,
     12},
    {"NoRuleKeepsPath", "/a b/Ć d.TXT", {}, "/a b/Ć d.TXT"},
    {"PathWithoutFolder", "x y.txt", {Spaces(true)}, "x_y.txt"},
    {"FolderPathEndingInSlash", "/a/b/", {Insert(kAtStart, "X")}, "/a/b/X"},

    {"NewExtension", "/d/photo.jpeg", {Ext("jpg")}, "/d/photo.jpg"},
    {"NewExtensionOnlyLastDot", "/d/archive.tar.gz", {Ext("jpg")}, "/d/archive.tar.jpg"},
    {"NewExtensionWithoutOld", "/d/README", {Ext("jpg")}, "/d/README.jpg"},
    {"EmptyNewExtensionRemovesIt", "/d/photo.jpeg", {Ext("")}, "/d/photo"},
    {"NewExtensionTypedWithDot", "/d/photo.jpeg", {Ext(".jpg")}, "/d/photo..jpg"},
    {"NewExtensionNotTrimmed", "/d/photo.jpeg", {Ext(" jpg ")}, "/d/photo. jpg "},
    {"DotInFolderIsNoExtension", "/d.old/README", {Ext("txt")}, "/d.old/README.txt"},

    {"UpperScopeName+Ext", "/d/Wakacje 01.jpg", {Case(false), ScopeIs(0)}, "/d/WAKACJE 01.JPG"},
    {"UpperScopeNameOnly", "/d/Wakacje 01.jpg", {Case(false), ScopeIs(1)}, "/d/WAKACJE 01.jpg"},
    {"UpperScopeExtOnly", "/d/Wakacje 01.jpg", {Case(false), ScopeIs(2)}, "/d/Wakacje 01.JPG"},
    {"ScopeExtInsertGivesExtension", "/d/README", {ScopeIs(2), Insert(kAtEnd, "txt")}, "/d/README.txt"},
    {"ScopeExtDeletesFromExtension", "/d/x.tar.gz", {ScopeIs(2), Delete(kStart, 1)}, "/d/x.tar.z"},

    // The dot between name and extension is written only when text follows it.
    {"ScopeNameWithoutExtensionAddsNoDot",
     "/d/bez rozszerzenia",
     {ScopeIs(1), Spaces(true)},
     "/d/bez_rozszerzenia"},
    {"ScopeNameOfFolderAddsNoDot",
     "/zdjęcia/kraków_2024",
     {ScopeIs(1), Spaces(false)},
     "/zdjęcia/kraków 2024"},
    {"ScopeNameNoRuleKeepsName", "/d/README", {ScopeIs(1)}, "/d/README"},
    {"ScopeNameIgnoresDotInFolder", "/d.x/README", {ScopeIs(1)}, "/d.x/README"},
    // A name that ends in a lone dot keeps it: only the rules may change a name.
    {"ScopeNameKeepsLoneDotOfName", "/d/a.", {ScopeIs(1), Case(false)}, "/d/A."},
    {"ScopeExtKeepsLoneDotOfName", "/d/a.", {ScopeIs(2), Case(false)}, "/d/a."},
    {"ScopeExtFillsLoneDot", "/d/a.", {ScopeIs(2), Insert(kAtEnd, "txt")}, "/d/a.txt"},
    {"ScopeExtWithoutExtensionAddsNoDot", "/d/README", {ScopeIs(2), Case(false)}, "/d/README"},
    {"ScopeExtDeletedExtensionLeavesNoDot", "/d/photo.jpg", {ScopeIs(2), Delete(kStart, 3)}, "/d/photo"},
    {"ScopeExtNumberGivesExtension",
     "/d/README",
     {ScopeIs(2), Number("7", true, false, kAtEnd)},
     "/d/README.7"},

    // A leading dot marks a hidden file: it never starts an extension.
    {"HiddenNumberedAtEndStaysHidden",
     "/d/.ukryty_plik",
     {ScopeIs(1), Number("1", true, true, kAtEnd)},
     "/d/.ukryty_plik02",
     1,
     12},
    {"HiddenGetsNewExtension", "/d/.ukryty_plik", {Ext("jpg")}, "/d/.ukryty_plik.jpg"},
    {"HiddenEmptyNewExtensionKeepsName", "/d/.profile", {Ext("")}, "/d/.profile"},
    {"HiddenWithExtensionInScopeName", "/d/.profile.bak", {ScopeIs(1), Case(false)}, "/d/.PROFILE.bak"},
    {"HiddenWithExtensionInScopeExt", "/d/.profile.bak", {ScopeIs(2), Case(false)}, "/d/.profile.BAK"},
    {"HiddenWithExtensionGetsNewOne", "/d/.profile.bak", {Ext("txt")}, "/d/.profile.txt"},
    {"HiddenInScopeExtGetsExtension", "/d/.profile", {ScopeIs(2), Insert(kAtEnd, "txt")}, "/d/.profile.txt"},
    {"ScopeNameOfHiddenFileIsWholeName", "/d/.profile", {ScopeIs(1), Insert(kAtEnd, "X")}, "/d/.profileX"},
    {"LeadingDotsAreAllName", "/d/..foo", {Ext("jpg")}, "/d/..foo.jpg"},

    {"ScopeExtSeesNewExtension", "/d/a.jpeg", {Ext("txt"), ScopeIs(2), Case(false)}, "/d/a.TXT"},
    {"DeletionSeesNewExtension", "/d/photo.jpeg", {Ext("txt"), Delete(kEnd, 3)}, "/d/photo."},
    {"ScopeAfterEmptyNewExtension", "/d/a.tar.gz", {Ext(""), ScopeIs(2), Case(false)}, "/d/a.TAR"},

    {"ReplaceEveryOccurrence", "/d/banana", {Replace("a", "b")}, "/d/bbnbnb"},
    {"ReplaceWithoutOverlap", "/d/aaaa", {Replace("aa", "a")}, "/d/aa"},
    {"ReplacementNotSearchedAgain", "/d/aa", {Replace("a", "aa")}, "/d/aaaa"},
    {"ReplaceEmptySearchText", "/d/abc", {Replace("", "x")}, "/d/abc"},
    {"ReplaceIsCaseSensitive", "/d/abc", {Replace("A", "x")}, "/d/abc"},
    {"ReplaceByNothing", "/d/a-b-c", {Replace("-", "")}, "/d/abc"},
    {"ReplaceNeverTouchesFolder", "/a a/a a", {Replace("a", "b")}, "/a a/b b"},
    {"ReplacePolishLetter", "/d/żółw.txt", {Replace("ó", "o")}, "/d/żołw.txt"},

    {"DeleteFromStart", "/d/abcdef", {Delete(kStart, 3)}, "/d/def"},
    {"DeleteFromEnd", "/d/abcdef", {Delete(kEnd, 3)}, "/d/abc"},
    {"DeleteFromPosition", "/d/abcdef", {Delete(kPos, 3, 2)}, "/d/abf"},
    {"DeleteTwoFromPosition", "/d/abcdef", {Delete(kPos, 2, 2)}, "/d/abef"},
    {"DeleteFromPositionZero", "/d/abcdef", {Delete(kPos, 2, 0)}, "/d/cdef"},
    {"DeleteTooManyFromStart", "/d/abc", {Delete(kStart, 10)}, "/d/"},
    {"DeleteTooManyFromEnd", "/d/abc", {Delete(kEnd, 10)}, "/d/abc"},
    {"DeleteAllFromEnd", "/d/abc", {Delete(kEnd, 3)}, "/d/"},
    {"DeleteRunPastEnd", "/d/abcdef", {Delete(kPos, 10, 4)}, "/d/abcd"},
    {"DeleteZeroFromStart", "/d/abc", {Delete(kStart, 0)}, "/d/abc"},
    {"DeleteZeroFromEnd", "/d/abc", {Delete(kEnd, 0)}, "/d/abc"},
    {"DeleteZeroFromPosition", "/d/abc", {Delete(kPos, 0, 1)}, "/d/abc"},
    {"DeletePositionAtEnd", "/d/abc", {Delete(kPos, 1, 3)}, "/d/abc"},
    {"DeletePositionBeyondEnd", "/d/abc", {Delete(kPos, 1, 50)}, "/d/abc"},
    {"DeleteSeesReplacedText", "/d/abc", {Replace("a", "xyz"), Delete(kStart, 2)}, "/d/zbc"},

    {"InsertAfterZero", "/d/abc", {Insert(kAfter, "X", 0)}, "/d/Xabc"},
    {"InsertAfterTwo", "/d/abc", {Insert(kAfter, "X", 2)}, "/d/abXc"},
    {"InsertAfterTen", "/d/abc", {Insert(kAfter, "X", 10)}, "/d/abcX"},
    {"InsertAtEnd", "/d/abc", {Insert(kAtEnd, "X")}, "/d/abcX"},
    {"InsertedTextChangesCase", "/d/x.txt", {Insert(kAtStart, "abc"), Case(false)}, "/d/ABCX.TXT"},
    {"InsertedTextSwapsSpaces", "/d/x", {Insert(kAtStart, "a b"), Spaces(true)}, "/d/a_bx"},

    // Letter case maps every code point to its one-to-one Unicode partner.
    {"LowerPolishCapitals", "/d/ŁÓDŹ.TXT", {Case(true)}, "/d/łódź.txt"},
    {"UpperPolishSmallLetters", "/d/źródło.txt", {Case(false)}, "/d/ŹRÓDŁO.TXT"},
    {"LowerPolishAndAscii", "/d/ZDJĘCIE ŚLUBNE.JPG", {Case(true)}, "/d/zdjęcie ślubne.jpg"},
    {"LowerPolishAlphabet", "/d/AĄCĆEĘLŁNŃOÓSŚZŹŻ", {Case(true)}, "/d/aącćeęlłnńoósśzźż"},
    {"UpperPolishAlphabet", "/d/aącćeęlłnńoósśzźż", {Case(false)}, "/d/AĄCĆEĘLŁNŃOÓSŚZŹŻ"},
    {"LowerChangesLettersOnly", "/d/@[`{AZaz09_", {Case(true)}, "/d/@[`{azaz09_"},
    {"UpperChangesLettersOnly", "/d/@[`{AZaz09_", {Case(false)}, "/d/@[`{AZAZ09_"},
    {"LowerFourByteLetter", "/d/𐐀𐐨😀", {Case(true)}, "/d/𐐨𐐨😀"},
    {"UpperFourByteLetter", "/d/𐐀𐐨😀", {Case(false)}, "/d/𐐀𐐀😀"},
    {"UpperGreekAndCyrillic", "/d/σς жё", {Case(false)}, "/d/ΣΣ ЖЁ"},
    // Simple mapping only: "İ" lower-cases to a plain "i" and "ß" has no
    // upper-case partner; a title-case letter ("ǅ") takes either partner.
    {"LowerDottedCapitalI", "/d/İSTANBUL", {Case(true)}, "/d/istanbul"},
    {"UpperDotlessI", "/d/ıi", {Case(false)}, "/d/II"},
    {"UpperSharpSStays", "/d/straße", {Case(false)}, "/d/STRAßE"},
    {"LowerCapitalSharpS", "/d/ẞ", {Case(true)}, "/d/ß"},
    {"LowerTitleCaseLetter", "/d/ǅ Ǆ", {Case(true)}, "/d/ǆ ǆ"},
    {"UpperTitleCaseLetter", "/d/ǅ ǆ", {Case(false)}, "/d/Ǆ Ǆ"},
    // A partner of another byte length: the text shrinks or grows, the
    // extension behind it stays whole.
    {"UpperLongSShrinks", "/d/ſſa.txt", {ScopeIs(1), Case(false)}, "/d/SSA.txt"},
    {"LowerKelvinSignShrinks", "/d/\u212Aa", {Case(true)}, "/d/ka"},
    {"LowerGrowsInScopeName", "/d/ȺȺ b.TXT", {ScopeIs(1), Case(true)}, "/d/ⱥⱥ b.TXT"},
    {"UpperShrinksInScopeExt", "/d/Ⱥ.ⱥⱥ", {ScopeIs(2), Case(false)}, "/d/Ⱥ.ȺȺ"},
    {"GrownTextCountsCharacters", "/d/ȺȺȺ", {Case(true), Number("7", true, false, kAfter, 2)}, "/d/ⱥⱥ7ⱥ"},
    {"CaseNeverTouchesFolder", "/Dir/A", {Case(true)}, "/Dir/a"},

    {"SpacesToUnderscores", "/d/a b_c", {Spaces(true)}, "/d/a_b_c"},
    {"UnderscoresToSpaces", "/d/a b_c", {Spaces(false)}, "/d/a b c"},
    {"SpacesNeverTouchFolder", "/a a/x a.txt", {Spaces(true)}, "/a a/x_a.txt"},
    {"BackslashAndColonAreNameCharacters", "/x/C:\\a b", {Spaces(true)}, "/x/C:\\a_b"},

    {"NumberFirstOfTwelve", "/d/n", {Number("1", true, true, kAtStart)}, "/d/01n", 0, 12},
    {"NumberLastOfTwelve", "/d/n", {Number("1", true, true, kAtStart)}, "/d/12n", 11, 12},
    {"NumberDownFirst", "/d/n", {Number("12", false, true, kAtStart)}, "/d/12n", 0, 12},
    {"NumberDownLast", "/d/n", {Number("12", false, true, kAtStart)}, "/d/01n", 11, 12},
    {"NumberWithoutZeros", "/d/n", {Number("1", true, false, kAtStart)}, "/d/1n", 0, 12},
    {"NumberWiderThanCount", "/d/n", {Number("995", true, true, kAtStart)}, "/d/995n", 0, 12},
    {"NumberGrowsPastWidth", "/d/n", {Number("995", true, true, kAtStart)}, "/d/1006n", 11, 12},
    {"NumberAfterPositionPastEnd", "/d/abcde", {Number("7", true, false, kAfter, 50)}, "/d/abcde7"},
    {"NumberAfterPosition", "/d/abcde", {Number("7", true, false, kAfter, 2)}, "/d/ab7cde"},
    {"NumberStartAsTyped", "/d/n", {Number("007", true, false, kAtEnd)}, "/d/n9", 2, 3},
    {"NumberFromHexStart", "/d/n", {Number("$A", true, false, kAtEnd)}, "/d/n10"},
    {"NumberWithCountZero", "/d/n", {Number("0", true, true, kAtEnd)}, "/d/n0", 0, 0},
    {"NumberNotCaseChanged", "/d/N", {Number("1", true, false, kAtEnd), Case(true)}, "/d/n1"},
    {"EmptyStartValueAddsNoNumber", "/d/n", {Number("", true, true, kAtStart)}, "/d/n", 0, 12},
    {"NumberInScopeName", "/d/a.txt", {ScopeIs(1), Number("5", true, false, kAtEnd)}, "/d/a5.txt"},
    {"NumberPast32BitUp", "/d/n", {Number("2147483647", true, false, kAtEnd)}, "/d/n2147483648", 1, 2},
    {"NumberPast32BitDown", "/d/n", {Number("-2147483648", false, false, kAtEnd)}, "/d/n-2147483650", 2, 3},
    {"NegativeNumberKeepsSignBeforeZeros", "/d/n", {Number("1", false, true, kAtEnd)}, "/d/n-03", 4, 12},
    {"NegativeStartWithZeros", "/d/n", {Number("-5", true, true, kAtEnd)}, "/d/n-005", 0, 100},
    {"NegativeNumberAlreadyWide", "/d/n", {Number("-123", true, true, kAtEnd)}, "/d/n-123", 0, 12},

    // Positions and counts are in characters; no rule cuts a letter in half.
    {"DeleteCountsPolishLetters", "/d/żółw.txt", {ScopeIs(1), Delete(kStart, 2)}, "/d/łw.txt"},
    {"DeleteFromEndOverEmoji", "/d/ząb😀", {Delete(kEnd, 1)}, "/d/ząb"},
    {"DeleteFromEndCountsLetters", "/d/aąę", {Delete(kEnd, 2)}, "/d/a"},
    {"DeleteRunOverEmoji", "/d/a😀ęb", {Delete(kPos, 2, 1)}, "/d/ab"},
    {"DeleteAfterEmoji", "/d/😀ęb", {Delete(kPos, 1, 1)}, "/d/😀b"},
    {"InsertAfterEmojiAndLetter", "/d/😀łb", {Insert(kAfter, "X", 2)}, "/d/😀łXb"},
    {"NumberAfterPolishLetter", "/d/ś😀", {Number("5", true, false, kAfter, 1)}, "/d/ś5😀"},
    {"InsertPolishText", "/d/ab", {Insert(kAfter, "ść", 1)}, "/d/aśćb"},

    // Bytes that are not UTF-8 count one character each and stay as they are.
    // clang-format off
    {"InvalidBytesSurviveCase", "/d/a\xFF" "b\xC5", {Case(false)}, "/d/A\xFF" "B\xC5"},
    {"InvalidBytesAmidPolishLetters", "/d/Ł\xFFŻ\xC5" "Ą\xE2\x82", {Case(true)}, "/d/ł\xFFż\xC5" "ą\xE2\x82"},
    {"InvalidBytesAfterGrownLetter", "/d/Ⱥ\xC5" "A\xFF", {Case(true)}, "/d/ⱥ\xC5" "a\xFF"},
    {"InvalidByteIsOneCharacter", "/d/a\xFF" "b\xC5", {Delete(kEnd, 1)}, "/d/a\xFF" "b"},
    {"InsertAfterInvalidByte", "/d/a\xFF" "b", {Insert(kAfter, "X", 2)}, "/d/a\xFFXb"},
    {"TruncatedSequenceIsSingleBytes", "/d/\xE2\x82" "a", {Delete(kStart, 1)}, "/d/\x82" "a"},
    {"OverlongSequenceIsSingleBytes", "/d/\xC0\xAF" "a", {Delete(kEnd, 2)}, "/d/\xC0"},
    // Overlong forms and other ill-formed sequences pass letter case unchanged,
    // though a lax decoder would read "A", "a" or "Ł" in them.
    {"OverlongTwoBytesStayInLowerCase", "/d/\xC1\x81\xC0\x80" "B", {Case(true)}, "/d/\xC1\x81\xC0\x80" "b"},
    {"OverlongTwoBytesStayInUpperCase", "/d/\xC1\xA1" "b", {Case(false)}, "/d/\xC1\xA1" "B"},
    {"OverlongThreeBytesStay", "/d/\xE0\x81\x81\xE0\x85\x81" "B", {Case(true)}, "/d/\xE0\x81\x81\xE0\x85\x81" "b"},
    {"OverlongFourBytesStay", "/d/\xF0\x80\x81\xA1\xF0\x80\x85\x81" "b", {Case(false)}, "/d/\xF0\x80\x81\xA1\xF0\x80\x85\x81" "B"},
    {"LetterCutShortStays", "/d/\xC5" "A\xF0\x90\x90", {Case(true)}, "/d/\xC5" "a\xF0\x90\x90"},
    {"StrayByteDoesNotMatchInsideLetter", "/d/ł", {Replace("\xC5", "Y")}, "/d/ł"},
    {"StrayByteMatchesStrayByte", "/d/\xC5x", {Replace("\xC5", "Y")}, "/d/Yx"},
    // clang-format on

    // A folder's name has no extension, whatever dots it holds.
    {"FileNameWithDotsTakesNewExtension", "/m/D. Podsiadło - Małomiasteczkowy", {Ext("mp3")}, "/m/D.mp3"},
    {"FolderKeepsNameUnderNewExtension",
     "/m/D. Podsiadło - Małomiasteczkowy",
     {Ext("mp3")},
     "/m/D. Podsiadło - Małomiasteczkowy",
     0,
     1,
     kFolder},
    {"FolderKeepsNameUnderEmptyNewExtension", "/m/zdjęcia.2020", {Ext("")}, "/m/zdjęcia.2020", 0, 1, kFolder},
    {"FolderWholeNameInScopeBoth",
     "/m/D. Podsiadło",
     {Ext("mp3"), ScopeIs(0), Replace(".", "")},
     "/m/D Podsiadło",
     0,
     1,
     kFolder},
    {"FolderWholeNameInNameScope",
     "/m/D. Podsiadło",
     {Ext("mp3"), ScopeIs(1), Insert(kAtEnd, " (2020)")},
     "/m/D. Podsiadło (2020)",
     0,
     1,
     kFolder},
    {"FolderUpperCaseInNameScope", "/m/a.b.c", {ScopeIs(1), Case(false)}, "/m/A.B.C", 0, 1, kFolder},
    {"FolderNumberedInNameScope",
     "/m/a.b",
     {ScopeIs(1), Number("1", true, false, kAtEnd)},
     "/m/a.b2",
     1,
     2,
     kFolder},
    {"FolderUntouchedInExtensionScope",
     "/m/a.b",
     {Ext("mp3"), ScopeIs(2), Case(false), Insert(kAtEnd, "x"), Number("1", true, false, kAtEnd)},
     "/m/a.b",
     0,
     1,
     kFolder},
    {"FolderWithoutDotUntouchedInExtensionScope",
     "/m/ab",
     {ScopeIs(2), Insert(kAtEnd, "x")},
     "/m/ab",
     0,
     1,
     kFolder},
    {"FileInNameScopeKeepsExtension", "/m/a.b", {ScopeIs(1), Insert(kAtEnd, "x")}, "/m/ax.b"},
};

class TransformPathTest : public testing::TestWithParam<TransformCase> {};

TEST_P(TransformPathTest, ProposesPath) {
    const TransformCase& c = GetParam();
    RenameOptions options;
    for (const Rule& rule : c.rules) rule(options);
    const ListEntry entry =
        TransformPath(c.path, c.index, c.count, RenameRules::From(options).value(), c.kind);
    EXPECT_EQ(entry.current, c.path);
    EXPECT_EQ(entry.proposed, c.expected);
    EXPECT_EQ(entry.kind, c.kind);
    // Written over a buffer that held a longer path before.
    std::string proposed = "/an/earlier/proposed/path/longer/than/any/of/these.txt";
    EXPECT_EQ(ProposePath(c.path, c.index, c.count, RenameRules::From(options).value(), c.kind, proposed),
              MissingFact::None);
    EXPECT_EQ(proposed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransformPathTest, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.label;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
});

TEST(TransformPathTest, NumberingWidthFollowsCountNotLargestNumber) {
    RenameOptions options;
    Number("1", true, true, kAtStart)(options);
    const RenameRules rules = RenameRules::From(options).value();
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i)
        names.push_back(std::string(NamePart(TransformPath("/d/x", i, 12, rules).proposed)));
    EXPECT_EQ(names.front(), "01x");
    EXPECT_EQ(names[8], "09x");
    EXPECT_EQ(names.back(), "12x");
    EXPECT_EQ(TransformPath("/d/x", 0, 9, rules).proposed, "/d/1x");
}

TEST(TransformPathTest, InvalidStartValueGivesNoRulesOnlyWhenNumberingIsInForce) {
    RenameOptions options;
    Number("1a", true, false, kAtEnd)(options);
    options.NumberEnabled = false;
    const std::optional<RenameRules> withoutNumbering = RenameRules::From(options);
    ASSERT_TRUE(withoutNumbering.has_value());
    EXPECT_EQ(TransformPath("/d/x", 0, 1, *withoutNumbering).proposed, "/d/x");

    options.NumberEnabled = true;
    EXPECT_FALSE(RenameRules::From(options).has_value());
    EXPECT_EQ(StartValueError(options.NumberStart), "'1a' is not a valid integer value");
}

TEST(TransformPathTest, ExtensionIsLastDotUnlessOnlyDotsPrecedeIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"photo.jpeg", ".jpeg"},
        {"archive.tar.gz", ".gz"},
        {"README", ""},
        {".profile", ""},
        {".profile.bak", ".bak"},
        {"..foo", ""},
        {"..a.b", ".b"},
        {"a.", "."},
        {"...", ""},
        {"", ""},
        {"a..b", ".b"},
    };
    for (const auto& [name, extension] : cases) EXPECT_EQ(Extension(name), extension) << name;
}

TEST(TransformPathTest, FolderAndNameSplitAtLastSlash) {
    struct Split {
        std::string path, folder, name;
    };
    const Split splits[] = {
        {"/a/b/c.txt", "/a/b/", "c.txt"}, {"c.txt", "", "c.txt"}, {"/", "/", ""},
        {"/a/b/", "/a/b/", ""},           {"C:\\x", "", "C:\\x"}, {"", "", ""},
    };
    for (const Split& s : splits) {
        EXPECT_EQ(FolderPart(s.path), s.folder) << s.path;
        EXPECT_EQ(NamePart(s.path), s.name) << s.path;
    }
}

}  // namespace
}  // namespace kestrix
