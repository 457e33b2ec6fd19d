// The further rules without a disk: the name template, letters without
// diacritics, the two word cases, and how the transformation applies them.
#include "extended_rules.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "name_template.h"
#include "name_transform.h"
#include "plain_letters.h"
#include "rule_summary.h"
#include "word_case.h"

namespace kestrix {
namespace {

// A photo and a song with every fact known.
ItemFacts EveryFact() {
    ItemFacts facts;
    facts.dateTaken = DateTime{2024, 7, 5, 9, 3, 7};
    facts.modified = DateTime{2025, 12, 31, 23, 59, 58};
    facts.folder = "Wakacje";
    facts.camera = "NIKON D750";
    facts.artist = "Czesław Niemen";
    facts.title = "Dziwny jest ten świat";
    facts.album = "Sukces";
    facts.track = 3;
    facts.year = 1967;
    return facts;
}

struct TemplateCase {
    const char* text;
    std::int64_t number;
    const char* expected;
};

class TemplateExpands : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateExpands, EveryTokenGivesItsValue) {
    const TemplateCase& c = GetParam();
    std::string error;
    const std::optional<NameTemplate> parsed = NameTemplate::Parse(c.text, error);
    ASSERT_TRUE(parsed) << error;
    std::string out;
    EXPECT_EQ(parsed->Expand("IMG_0001", c.number, EveryFact(), out), MissingFact::None);
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TemplateExpands,
    ::testing::Values(TemplateCase{"[nazwa]", 1, "IMG_0001"},
                      TemplateCase{"Wakacje_[nr:3]", 1, "Wakacje_001"}, TemplateCase{"[nr]", 7, "7"},
                      TemplateCase{"[nr:1]", 12, "12"}, TemplateCase{"[nr:4]", 12345, "12345"},
                      TemplateCase{"[nr:2]", 0, "00"}, TemplateCase{"[data]", 1, "2024-07-05"},
                      TemplateCase{"[data:RRRR-MM-DD_GG-mm-ss]", 1, "2024-07-05_09-03-07"},
                      TemplateCase{"[data:RR]", 1, "24"}, TemplateCase{"[data:DD.MM]", 1, "05.07"},
                      TemplateCase{"[data:GGmmss]", 1, "090307"}, TemplateCase{"[zmod]", 1, "2025-12-31"},
                      TemplateCase{"[zmod:RRRRMMDD GG:mm:ss]", 1, "20251231 23:59:58"},
                      TemplateCase{"[folder] [nr:2]", 4, "Wakacje 04"},
                      TemplateCase{"[aparat]", 1, "NIKON D750"},
                      TemplateCase{"[wykonawca] - [tytuł]", 1, "Czesław Niemen - Dziwny jest ten świat"},
                      TemplateCase{"[album] ([rok]) [utwór]", 1, "Sukces (1967) 3"},
                      TemplateCase{"[[[nazwa]]]", 1, "[IMG_0001]"}, TemplateCase{"[[nr]]", 1, "[nr]"},
                      TemplateCase{"bez znaczników", 1, "bez znaczników"}));

struct MissingCase {
    const char* text;
    MissingFact missing;
    const char* reason;
};

class TemplateMissing : public ::testing::TestWithParam<MissingCase> {};

TEST_P(TemplateMissing, ALackingValueIsNamedWithItsReason) {
    const MissingCase& c = GetParam();
    std::string error;
    const std::optional<NameTemplate> parsed = NameTemplate::Parse(c.text, error);
    ASSERT_TRUE(parsed) << error;
    std::string out;
    EXPECT_EQ(parsed->Expand("IMG_0001", 1, ItemFacts{}, out), c.missing);
    EXPECT_EQ(MissingFactReason(c.missing), c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Facts, TemplateMissing,
    ::testing::Values(MissingCase{"[data]", MissingFact::DateTaken, "brak daty wykonania zdjęcia"},
                      MissingCase{"x[zmod:RR]", MissingFact::Modified, "brak daty modyfikacji"},
                      MissingCase{"[folder]", MissingFact::Folder, "brak nazwy folderu"},
                      MissingCase{"[aparat]", MissingFact::Camera, "brak znacznika: aparat"},
                      MissingCase{"[nazwa] [wykonawca]", MissingFact::Artist, "brak znacznika: wykonawca"},
                      MissingCase{"[tytuł]", MissingFact::Title, "brak znacznika: tytuł"},
                      MissingCase{"[album]", MissingFact::Album, "brak znacznika: album"},
                      MissingCase{"[utwór]", MissingFact::Track, "brak znacznika: utwór"},
                      MissingCase{"[rok]", MissingFact::Year, "brak znacznika: rok"}));

TEST(TemplateNeeds, OnlyTheFactsItsTokensName) {
    std::string error;
    EXPECT_EQ(NameTemplate::Parse("[nazwa]_[nr:3]", error)->needs(), 0);
    EXPECT_EQ(NameTemplate::Parse("[data][wykonawca]", error)->needs(),
              Bit(Fact::DateTaken) | Bit(Fact::Artist));
}

struct RefusedCase {
    const char* text;
    const char* error;
};

class TemplateRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(TemplateRefused, IsExplainedInPolish) {
    std::string error;
    EXPECT_FALSE(NameTemplate::Parse(GetParam().text, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, TemplateRefused,
    ::testing::Values(RefusedCase{"ab[xyz]", "Nieznany znacznik \"[xyz]\" (znak nr 3)"},
                      RefusedCase{"ż[Nazwa]", "Nieznany znacznik \"[Nazwa]\" (znak nr 2)"},
                      RefusedCase{"[nazwa:3]", "Nieznany znacznik \"[nazwa:3]\" (znak nr 1)"},
                      RefusedCase{"[nr:x]", "Liczba cyfr w \"[nr:x]\" musi być liczbą od 1 do 9"},
                      RefusedCase{"[nr:10]", "Liczba cyfr w \"[nr:10]\" musi być liczbą od 1 do 9"},
                      RefusedCase{"[data:RRRR-XX]",
                                  "Nieznany format daty w \"[data:RRRR-XX]\": dozwolone są RRRR RR MM DD GG "
                                  "mm ss oraz znaki, które nie są literami"},
                      RefusedCase{"[zmod:]", "Pusty format daty w \"[zmod:]\""},
                      RefusedCase{"abc[nazwa",
                                  "Nawias \"[\" (znak nr 4) nie jest zamknięty; nawias w nazwie "
                                  "zapisz jako \"[[\""},
                      RefusedCase{"[na[nazwa]",
                                  "Nawias \"[\" (znak nr 1) nie jest zamknięty; nawias w nazwie "
                                  "zapisz jako \"[[\""},
                      RefusedCase{"a]b",
                                  "Pojedynczy nawias \"]\" (znak nr 2); nawias w nazwie zapisz jako "
                                  "\"]]\""}));

struct TextCase {
    const char* text;
    const char* expected;
};

class Diacritics : public ::testing::TestWithParam<TextCase> {};

TEST_P(Diacritics, BecomePlainLetters) { EXPECT_EQ(WithoutDiacritics(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Names, Diacritics,
                         ::testing::Values(TextCase{"ąćęłńóśźż",
                                                    "acelnosz"
                                                    "z"},
                                           TextCase{"ĄĆĘŁŃÓŚŹŻ", "ACELNOSZZ"},
                                           TextCase{"Zażółć gęślą jaźń.jpg", "Zazolc gesla jazn.jpg"},
                                           TextCase{"Françoise Hardy - Été.mp3", "Francoise Hardy - Ete.mp3"},
                                           TextCase{"Antonín Dvořák - Rusalka (Měsíčku).flac",
                                                    "Antonin Dvorak - Rusalka (Mesicku).flac"},
                                           // No plain letter results: the stroke of "ø" and "ß" are no marks.
                                           TextCase{"Søren Straße", "Søren Straße"},
                                           TextCase{"\xff\xc4", "\xff\xc4"}));

struct WordCaseCase {
    const char* text;
    WordCase wordCase;
    const char* expected;
};

class WordCases : public ::testing::TestWithParam<WordCaseCase> {};

TEST_P(WordCases, ChangeTheLettersOfWords) {
    EXPECT_EQ(InWordCase(GetParam().text, GetParam().wordCase), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WordCases,
    ::testing::Values(WordCaseCase{"DON'T STOP me now", WordCase::EveryWord, "Don't Stop Me Now"},
                      WordCaseCase{"rock'n'roll", WordCase::EveryWord, "Rock'n'roll"},
                      WordCaseCase{"ala_ma-kota.i(psa)[też]", WordCase::EveryWord, "Ala_Ma-Kota.I(Psa)[Też]"},
                      WordCaseCase{"2pac 4ever 01 źródło", WordCase::EveryWord, "2pac 4ever 01 Źródło"},
                      WordCaseCase{"ŁÓDŹ kaliska", WordCase::EveryWord, "Łódź Kaliska"},
                      WordCaseCase{"DON'T STOP me now", WordCase::FirstCapital, "Don't stop me now"},
                      WordCaseCase{"01 ŻÓŁTA-ŁÓDŹ (live)", WordCase::FirstCapital, "01 Żółta-łódź (live)"},
                      WordCaseCase{"", WordCase::FirstCapital, ""}));

RenameRules WithExtended(RenameOptions options, const ExtendedOptions& extended, const ItemFacts& facts) {
    RenameRules rules = RenameRules::From(options).value();
    rules.setExtended(std::make_shared<const ExtendedRules>(
        extended, nullptr, "", [facts](std::string_view, std::int64_t, FactKinds) { return facts; }));
    return rules;
}

TEST(ExtendedTransform, WorksAfterTheRulesOnThePartTheScopeSelects) {
    RenameOptions options;
    options.Scope = 1;
    options.SpacesEnabled = true;
    ExtendedOptions extended;
    extended.TemplateEnabled = true;
    extended.Template = "[nazwa]_[nr:3]";
    extended.PlainLetters = true;
    extended.WordCaseEnabled = true;
    extended.WordCase = WordCase::EveryWord;
    const RenameRules rules = WithExtended(options, extended, {});
    EXPECT_EQ(TransformPath("/f/łąka w maju.JPG", 4, 10, rules).proposed, "/f/Laka_W_Maju_005.JPG");
}

TEST(ExtendedTransform, AnItemLackingAFactKeepsItsNameAndSaysWhy) {
    ExtendedOptions extended;
    extended.TemplateEnabled = true;
    extended.Template = "[data] [nazwa]";
    const ListEntry entry = TransformPath("/f/a.jpg", 0, 1, WithExtended({}, extended, {}));
    EXPECT_EQ(entry.proposed, "/f/a.jpg");
    EXPECT_EQ(entry.missing, MissingFact::DateTaken);

    ItemFacts facts;
    facts.dateTaken = DateTime{2024, 1, 2, 3, 4, 5};
    const ListEntry dated = TransformPath("/f/a.jpg", 0, 1, WithExtended({}, extended, facts));
    EXPECT_EQ(dated.proposed, "/f/2024-01-02 a.jpg");
    EXPECT_EQ(dated.missing, MissingFact::None);
}

TEST(ExtendedTransform, ATemplateWithAnErrorChangesNoNameAndTheSummarySaysSo) {
    ExtendedOptions extended;
    extended.TemplateEnabled = true;
    extended.Template = "[xyz]";
    extended.PlainLetters = true;
    const RenameRules rules = WithExtended({}, extended, {});
    EXPECT_EQ(TransformPath("/f/ą.jpg", 0, 1, rules).proposed, "/f/ą.jpg");
    EXPECT_EQ(RuleSummaryLines(rules, 1),
              (std::vector<std::string>{"Szablon nazwy : \"[xyz]\" jest błędny, nazwy pozostają bez zmian",
                                        "Zamiana liter z ogonkami i akcentami na litery bez nich"}));
}

TEST(ExtendedSummary, OneLinePerActiveRuleAfterTheOthersInTheirOrder) {
    RenameOptions options;
    options.CaseEnabled = true;
    ExtendedOptions extended;
    extended.RegexEnabled = true;
    extended.RegexPattern = "(\\d+)";
    extended.RegexReplacement = "nr$1";
    extended.RegexAllOccurrences = false;
    extended.RegexCaseSensitive = false;
    extended.TemplateEnabled = true;
    extended.Template = "[nazwa]_[nr:2]";
    extended.TemplateStart = 5;
    extended.PlainLetters = true;
    extended.WordCaseEnabled = true;
    extended.WordCase = WordCase::FirstCapital;
    EXPECT_EQ(RuleSummaryLines(WithExtended(options, extended, {}), 3),
              (std::vector<std::string>{
                  "Zamiana na małe litery",
                  "Wyrażenie regularne : \"(\\d+)\" na : \"nr$1\", pierwsze wystąpienie, bez uwzględniania "
                  "wielkości liter",
                  "Szablon nazwy : \"[nazwa]_[nr:2]\", numeracja od : 5",
                  "Zamiana liter z ogonkami i akcentami na litery bez nich",
                  "Zamiana na małe litery z wielką pierwszą literą"}));
    extended.WordCase = WordCase::EveryWord;
    extended.RegexEnabled = extended.TemplateEnabled = extended.PlainLetters = false;
    EXPECT_EQ(RuleSummaryLines(WithExtended({}, extended, {}), 3),
              (std::vector<std::string>{"Zamiana na małe litery z wielką pierwszą literą każdego wyrazu"}));
}

}  // namespace
}  // namespace kestrix
