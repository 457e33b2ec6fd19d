// The regular expression rule: captures, named groups, Unicode letters,
// letter case, the first or every occurrence, and what cannot be used.
#include "session/regex_rewriter.h"

#include <string>

#include <gtest/gtest.h>

namespace kestrix::session {
namespace {

struct RegexCase {
    const char* pattern;
    const char* replacement;
    bool caseSensitive;
    bool all;
    const char* text;
    const char* expected;
};

class RegexRewrites : public ::testing::TestWithParam<RegexCase> {};

TEST_P(RegexRewrites, GivesTheExpectedName) {
    const RegexCase& c = GetParam();
    ExtendedOptions options;
    options.RegexEnabled = true;
    options.RegexPattern = c.pattern;
    options.RegexReplacement = c.replacement;
    options.RegexCaseSensitive = c.caseSensitive;
    options.RegexAllOccurrences = c.all;
    std::string error;
    const auto rewriter = RegexRewriter::Make(options, error);
    ASSERT_TRUE(rewriter) << error;
    std::string out;
    rewriter->Rewrite(c.text, out);
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexRewrites,
    ::testing::Values(RegexCase{"(\\d+)", "nr$1", true, true, "IMG 12 i 345", "IMG nr12 i nr345"},
                      RegexCase{"(\\d+)", "nr$1", true, false, "IMG 12 i 345", "IMG nr12 i 345"},
                      RegexCase{"(\\w+) - (\\w+)", "$2 - $1", true, true, "Niemen - Sukces",
                                "Sukces - Niemen"},
                      RegexCase{"(?<rok>\\d{4})-(?<mies>\\d\\d)", "${mies}.${rok}", true, true,
                                "foto 2024-07", "foto 07.2024"},
                      RegexCase{"^\\w+$", "[$$]", true, true, "zażółć", "[$]"},
                      RegexCase{"\\bł\\w*", "X", true, true, "gęś łąka", "gęś X"},
                      RegexCase{"ŁĄKA", "pole", false, true, "Zielona łąka", "Zielona pole"},
                      RegexCase{"ŁĄKA", "pole", true, true, "Zielona łąka", "Zielona łąka"},
                      RegexCase{"x", "y", true, true, "bez dopasowania", "bez dopasowania"},
                      RegexCase{"a", "b", true, true,
                                "\xff"
                                "a",
                                "\xff"
                                "a"}));

struct RefusedCase {
    const char* pattern;
    const char* replacement;
    const char* error;
};

class RegexRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RegexRefused, IsExplainedInPolish) {
    ExtendedOptions options;
    options.RegexEnabled = true;
    options.RegexPattern = GetParam().pattern;
    options.RegexReplacement = GetParam().replacement;
    std::string error;
    EXPECT_FALSE(RegexRewriter::Make(options, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexRefused,
    ::testing::Values(RefusedCase{"(ab", "", "Błędny wzorzec (znak nr 4): brak nawiasu zamykającego \")\""},
                      RefusedCase{"*a", "",
                                  "Błędny wzorzec (znak nr 1): powtórzenie (*, +, ? lub {}) nie ma "
                                  "czego powtarzać"},
                      RefusedCase{"[a-", "",
                                  "Błędny wzorzec (znak nr 4): brak nawiasu \"]\" zamykającego "
                                  "zbiór znaków"},
                      RefusedCase{"(a)", "$2", "W zamianie jest $2, a wzorzec ma grup: 1"},
                      RefusedCase{"(?<x>a)", "${y}",
                                  "W zamianie jest ${y}, a wzorzec nie ma grupy o tej nazwie"},
                      RefusedCase{"a", "b$",
                                  "W zamianie po znaku \"$\" (znak nr 2) musi stać cyfra od 1 do 9, "
                                  "{nazwa grupy} albo drugi \"$\""}));

}  // namespace
}  // namespace kestrix::session
