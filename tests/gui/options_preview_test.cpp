// The rule summary above the list and the proposed paths of the list: what
// each rule says, and when the entries follow the options.
#include <functional>
#include <ostream>

#include <QListView>
#include <QSignalSpy>

#include "options_fixture.h"

namespace {

struct SummaryCase {
    const char* name;
    int entries;
    std::function<void(OptionsTest&)> steps;
    std::vector<const char*> lines;
    std::vector<const char*> proposed;  // every entry's proposed path afterwards, in list order
};

void Times(int count, const std::function<void()>& action) {
    for (int i = 0; i < count; ++i) action();
}

const SummaryCase SummaryCases[] = {
    {"ExtensionEmpty",
     1,
     [](OptionsTest& t) { t.click("CheckBox12"); },
     {"Zmiana rozszerzeń plików na : \"\""},
     {"/data/plik 0"}},
    {"ExtensionTyped",
     1,
     [](OptionsTest& t) { t.click("CheckBox12"), t.type("Edit6", "txt"); },
     {"Zmiana rozszerzeń plików na : \"txt\""},
     {"/data/plik 0.txt"}},
    {"ReplaceTickedWaitsForTheNextRefresh",
     1,
     [](OptionsTest& t) { t.click("CheckBox8"); },
     {},
     {"/data/plik 0.txt"}},
    {"ReplaceEmptyAtTheNextRefresh",
     1,
     [](OptionsTest& t) { t.click("CheckBox8"), t.click("CheckBox1"); },
     {"Zmiana znaków z : \"\" na : \"\"", "Zamiana na małe litery"},
     {"/data/plik 0.txt"}},
    {"ReplaceTyped",
     1,
     [](OptionsTest& t) { t.click("CheckBox8"), t.type("Edit1", "ą"), t.type("Edit2", "a b"); },
     {"Zmiana znaków z : \"ą\" na : \"a b\""},
     {"/data/plik 0.txt"}},
    {"InsertWithoutText",
     1,
     [](OptionsTest& t) { t.click("CheckBox9"), t.click("CheckBox1"); },
     {"Zamiana na małe litery"},
     {"/data/plik 0.txt"}},
    {"InsertAtStart",
     1,
     [](OptionsTest& t) { t.click("CheckBox9"), t.type("Edit3", "abc"); },
     {"Dodawanie ciągu znaków : \"abc\" na początku nazwy"},
     {"/data/abcplik 0.txt"}},
    {"InsertAtEnd",
     1,
     [](OptionsTest& t) { t.click("CheckBox9"), t.type("Edit3", "abc"), t.click("RadioButton5"); },
     {"Dodawanie ciągu znaków : \"abc\" na końcu nazwy"},
     {"/data/plik 0.txtabc"}},
    {"InsertAfterPosition",
     1,
     [](OptionsTest& t) {
         t.click("CheckBox9"), t.type("Edit3", "abc"), t.click("RadioButton6");
         Times(2, [&] { t.step("UpDown3", +1); });
     },
     {"Dodawanie ciągu znaków : \"abc\" na pozycji : 2"},
     {"/data/plabcik 0.txt"}},
    {"DeleteNothing",
     1,
     [](OptionsTest& t) { t.click("CheckBox10"), t.click("CheckBox1"); },
     {"Zamiana na małe litery"},
     {"/data/plik 0.txt"}},
    {"DeleteFromStart",
     1,
     [](OptionsTest& t) { t.click("CheckBox10"), Times(3, [&] { t.step("UpDown1", +1); }); },
     {"Usuń : 3 znaków, od początku nazwy"},
     {"/data/k 0.txt"}},
    {"DeleteFromEnd",
     1,
     [](OptionsTest& t) { t.click("CheckBox10"), t.step("UpDown1", +1), t.click("RadioButton2"); },
     {"Usuń : 1 znaków, od końca nazwy"},
     {"/data/plik 0.tx"}},
    {"DeleteFromPosition",
     1,
     [](OptionsTest& t) {
         t.click("CheckBox10"), t.click("RadioButton3");
         Times(4, [&] { t.step("UpDown2", +1); });
         Times(2, [&] { t.step("UpDown1", +1); });
     },
     {"Usuń : 2 znaków, od pozycji : 4"},
     {"/data/plik.txt"}},
    {"LowerCase",
     1,
     [](OptionsTest& t) { t.click("CheckBox1"); },
     {"Zamiana na małe litery"},
     {"/data/plik 0.txt"}},
    {"UpperCase",
     1,
     [](OptionsTest& t) { t.click("CheckBox1"), t.click("CheckBox4"); },
     {"Zamiana na duże litery"},
     {"/data/PLIK 0.TXT"}},
    {"SpacesToUnderscores",
     1,
     [](OptionsTest& t) { t.click("CheckBox2"); },
     {"Zamiana spacji na podkreślniki (\" \" na \"_\")"},
     {"/data/plik_0.txt"}},
    {"UnderscoresToSpaces",
     1,
     [](OptionsTest& t) { t.click("CheckBox2"), t.click("CheckBox6"); },
     {"Zamiana podkreślników na spacje (\"_\" na \" \")"},
     {"/data/plik 0.txt"}},
    {"NumberingAscendingAtEndWithZeros",
     12,
     [](OptionsTest& t) {
         t.click("CheckBox7"), t.paste("Edit8", "1"), t.click("RadioButton8"), t.click("CheckBox11");
     },
     {"Numerowanie plików : rosnąca numeracja, od : 1 do : 12 na końcu nazwy z dodawaniem zer"},
     {"/data/plik 0.txt01", "/data/plik 1.txt02", "/data/plik 2.txt03", "/data/plik 3.txt04",
      "/data/plik 4.txt05", "/data/plik 5.txt06", "/data/plik 6.txt07", "/data/plik 7.txt08",
      "/data/plik 8.txt09", "/data/plik 9.txt10", "/data/plik 10.txt11", "/data/plik 11.txt12"}},
    {"NumberingDescendingAfterCharacter",
     12,
     [](OptionsTest& t) {
         t.click("CheckBox7"), t.click("Button4"), t.click("RadioButton9");
         Times(3, [&] { t.step("UpDown4", +1); });
     },
     {"Numerowanie plików : malejąca numeracja, od : 12 do : 1 za znakiem : 3"},
     {"/data/pli12k 0.txt", "/data/pli11k 1.txt", "/data/pli10k 2.txt", "/data/pli9k 3.txt",
      "/data/pli8k 4.txt", "/data/pli7k 5.txt", "/data/pli6k 6.txt", "/data/pli5k 7.txt", "/data/pli4k 8.txt",
      "/data/pli3k 9.txt", "/data/pli2k 10.txt", "/data/pli1k 11.txt"}},
    {"NumberingAscendingEmptyList",
     0,
     [](OptionsTest& t) { t.click("CheckBox7"); },
     {"Numerowanie plików : rosnąca numeracja, od : 0 do : -1 na początku nazwy"},
     {}},
    {"NumberingDescendingEmptyList",
     0,
     [](OptionsTest& t) { t.click("CheckBox7"), t.click("Button4"); },
     {"Numerowanie plików : malejąca numeracja, od : 0 do : 1 na początku nazwy"},
     {}},
    {"NumberingStartPrintedAsTyped",
     3,
     [](OptionsTest& t) { t.click("CheckBox7"), t.paste("Edit8", "007"); },
     {"Numerowanie plików : rosnąca numeracja, od : 007 do : 9 na początku nazwy"},
     {"/data/7plik 0.txt", "/data/8plik 1.txt", "/data/9plik 2.txt"}},
    {"NumberingEndBeyond32Bits",
     3,
     [](OptionsTest& t) { t.click("CheckBox7"), t.paste("Edit8", "2147483647"); },
     {"Numerowanie plików : rosnąca numeracja, od : 2147483647 do : 2147483649 na początku nazwy"},
     {"/data/2147483647plik 0.txt", "/data/2147483648plik 1.txt", "/data/2147483649plik 2.txt"}},
    {"NumberingWithoutStart",
     3,
     [](OptionsTest& t) { t.click("CheckBox7"), t.erase("Edit8"); },
     {},
     {"/data/plik 0.txt", "/data/plik 1.txt", "/data/plik 2.txt"}},
    {"EveryRuleInItsFixedOrder",
     2,
     [](OptionsTest& t) {
         t.click("CheckBox7");
         t.click("CheckBox2");
         t.click("CheckBox1");
         t.click("CheckBox10"), t.step("UpDown1", +1);
         t.click("CheckBox9"), t.type("Edit3", "x");
         t.click("CheckBox8"), t.type("Edit1", "a");
         t.click("CheckBox12");
     },
     {"Zmiana rozszerzeń plików na : \"\"", "Zmiana znaków z : \"a\" na : \"\"",
      "Dodawanie ciągu znaków : \"x\" na początku nazwy", "Usuń : 1 znaków, od początku nazwy",
      "Zamiana na małe litery", "Zamiana spacji na podkreślniki (\" \" na \"_\")",
      "Numerowanie plików : rosnąca numeracja, od : 0 do : 1 na początku nazwy"},
     {"/data/0xlik_0", "/data/1xlik_1"}},
    {"EveryGroupOffAgain",
     2,
     [](OptionsTest& t) {
         for (const char* box :
              {"CheckBox12", "CheckBox8", "CheckBox9", "CheckBox10", "CheckBox1", "CheckBox2", "CheckBox7"}) {
             t.click(box);
         }
         t.type("Edit3", "x");
         t.step("UpDown1", +1);
         for (const char* box :
              {"CheckBox12", "CheckBox8", "CheckBox9", "CheckBox10", "CheckBox1", "CheckBox2", "CheckBox7"}) {
             t.click(box);
         }
     },
     {},
     {"/data/plik 0.txt", "/data/plik 1.txt"}},
};

void PrintTo(const SummaryCase& summary, std::ostream* out) { *out << summary.name; }

class SummaryTest : public OptionsTest, public ::testing::WithParamInterface<SummaryCase> {};

}  // namespace

TEST_P(SummaryTest, SummaryStatesTheActiveRulesAndTheEntriesFollow) {
    const SummaryCase& c = GetParam();
    addEntries(c.entries);
    c.steps(*this);
    QStringList expected;
    for (const char* line : c.lines) expected.append(QString::fromUtf8(line));
    EXPECT_EQ(summary(), expected);
    // Live preview: every proposed path follows the options as they stand now.
    EXPECT_EQ(proposedPaths(), std::vector<std::string>(c.proposed.begin(), c.proposed.end()));
}

INSTANTIATE_TEST_SUITE_P(Rules, SummaryTest, ::testing::ValuesIn(SummaryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsTest, LivePreviewRewritesOnlyChangedEntriesAndKeepsTheCurrentItem) {
    addEntries({"/d/a b.txt", "/d/ab.txt", "/d/c d.txt", "/d/e f.txt", "/d/gh.txt"});
    mainWindow->fileListView->setCurrentIndex(session->entryList().index(1));
    selectRows({1, 4});
    QSignalSpy changed(&session->entryList(), &QAbstractItemModel::dataChanged);

    click("CheckBox2");
    EXPECT_EQ(proposedPaths(),
              (std::vector<std::string>{"/d/a_b.txt", "/d/ab.txt", "/d/c_d.txt", "/d/e_f.txt", "/d/gh.txt"}));
    ASSERT_EQ(changed.size(), 2) << "rows 0 and 2-3 in two runs";
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 2);
    EXPECT_EQ(changed[1][1].toModelIndex().row(), 3);
    EXPECT_EQ(mainWindow->fileListView->currentIndex().row(), 1);
    EXPECT_EQ(selectedRows(), (std::vector<int>{1, 4}));
    EXPECT_EQ(currentPaths()[0], "/d/a b.txt");

    // A change that moves no proposed path rewrites nothing.
    changed.clear();
    click("CheckBox8");
    type("Edit1", "zz");
    EXPECT_EQ(changed.size(), 0);

    // Inserting into every name changes every row, signalled as one run.
    click("CheckBox9");
    type("Edit3", "#");
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 4);
    EXPECT_EQ(proposedPaths()[1], "/d/#ab.txt");

    // With every group off again each entry proposes its own name.
    click("CheckBox9");
    click("CheckBox8");
    click("CheckBox2");
    EXPECT_EQ(proposedPaths(), currentPaths());
    EXPECT_EQ(mainWindow->fileListView->currentIndex().row(), 1);
}

TEST_F(OptionsTest, OnCloseModeUpdatesTheEntriesOnlyWhenTheWindowCloses) {
    addEntries({"/d/one.txt", "/d/two.txt"});
    click("RadioGroup1Item1");
    click("CheckBox9");
    type("Edit3", "x_");
    click("CheckBox1");
    click("CheckBox4");
    click("RadioGroup2Item1");  // names only: no refresh in this mode
    EXPECT_EQ(summary(),
              (QStringList{"Dodawanie ciągu znaków : \"x_\" na początku nazwy", "Zamiana na duże litery"}));
    EXPECT_EQ(proposedPaths(), currentPaths());

    const int before = refreshes();
    optionsWindow->close();
    EXPECT_FALSE(optionsWindow->isVisible());
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/d/X_ONE.txt", "/d/X_TWO.txt"}));
    EXPECT_EQ(refreshes(), before) << "closing does not rebuild the summary";
}

TEST_F(OptionsTest, ClosingInLiveModeChangesNoEntry) {
    addEntries({"/d/one.txt", "/d/two.txt"});
    click("CheckBox1");
    click("CheckBox4");
    const std::vector<std::string> shown = proposedPaths();
    QSignalSpy changed(&session->entryList(), &QAbstractItemModel::dataChanged);
    optionsWindow->close();
    EXPECT_EQ(changed.size(), 0);
    EXPECT_EQ(proposedPaths(), shown);
}

TEST_F(OptionsTest, SwitchingBackToLiveModeWaitsForTheNextRefresh) {
    addEntries({"/d/one.txt"});
    click("RadioGroup1Item1");
    click("CheckBox1");
    click("RadioGroup1Item0");
    optionsWindow->close();
    EXPECT_EQ(proposedPaths()[0], "/d/one.txt");

    QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
    click("CheckBox4");
    EXPECT_EQ(proposedPaths()[0], "/d/ONE.TXT");
}
