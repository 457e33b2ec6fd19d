// What each control of the options window does to the others: enabling,
// exclusive pairs, resets, the numbering direction and start value, and
// when a change refreshes the preview.
#include <cctype>
#include <functional>
#include <ostream>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "options_fixture.h"

namespace {

struct GroupSwitch {
    const char* box;
    std::vector<const char*> dependants;      // enabled exactly while the box is ticked
    std::vector<const char*> positionFields;  // stay disabled: their radio button is not selected
    int refreshesWhenTicked;
    int refreshesWhenUnticked;
};

const GroupSwitch GroupSwitches[] = {
    // Unticking the replace group empties both fields, and each emptying refreshes.
    {"CheckBox8", {"Edit1", "Edit2", "Label4", "Label11"}, {}, 0, 2},
    {"CheckBox12", {"Label1", "Edit6"}, {}, 1, 1},
    {"CheckBox10",
     {"Label6", "Edit4", "UpDown1", "RadioButton1", "RadioButton2", "RadioButton3"},
     {"Edit5", "UpDown2"},
     0,
     1},
    // Unticking the insert group empties its text (one refresh) and then refreshes.
    {"CheckBox9",
     {"Label10", "Edit3", "RadioButton4", "RadioButton5", "RadioButton6"},
     {"Edit7", "UpDown3"},
     0,
     2},
    {"CheckBox7",
     {"Edit8", "Label12", "Button4", "RadioButton7", "RadioButton8", "RadioButton9", "CheckBox11"},
     {"Edit9", "UpDown4"},
     1,
     1},
    {"CheckBox2", {"CheckBox5", "CheckBox6"}, {}, 1, 1},
    {"CheckBox1", {"CheckBox3", "CheckBox4"}, {}, 1, 1},
};

void PrintTo(const GroupSwitch& group, std::ostream* out) { *out << group.box; }

class GroupSwitchTest : public OptionsTest, public ::testing::WithParamInterface<GroupSwitch> {};

struct PositionChoice {
    const char* box;
    const char* positionButton;
    const char* otherButton;
    const char* field;
    const char* spinner;
};

const PositionChoice PositionChoices[] = {
    {"CheckBox10", "RadioButton3", "RadioButton2", "Edit5", "UpDown2"},
    {"CheckBox9", "RadioButton6", "RadioButton5", "Edit7", "UpDown3"},
    {"CheckBox7", "RadioButton9", "RadioButton8", "Edit9", "UpDown4"},
};

void PrintTo(const PositionChoice& choice, std::ostream* out) { *out << choice.box; }

class PositionChoiceTest : public OptionsTest, public ::testing::WithParamInterface<PositionChoice> {};

// The summary line and the proposed path of "/d/a b_c.TXT" while the first
// box of the pair is ticked, and while the second is.
struct ExclusivePair {
    const char* box;
    const char* first;
    const char* second;
    const char* firstLine;
    const char* secondLine;
    const char* firstProposed;
    const char* secondProposed;
};

const ExclusivePair ExclusivePairs[] = {
    {"CheckBox1", "CheckBox3", "CheckBox4", "Zamiana na małe litery", "Zamiana na duże litery",
     "/d/a b_c.txt", "/d/A B_C.TXT"},
    {"CheckBox2", "CheckBox5", "CheckBox6", "Zamiana spacji na podkreślniki (\" \" na \"_\")",
     "Zamiana podkreślników na spacje (\"_\" na \" \")", "/d/a_b_c.TXT", "/d/a b c.TXT"},
};

void PrintTo(const ExclusivePair& pair, std::ostream* out) { *out << pair.box; }

class ExclusivePairTest : public OptionsTest, public ::testing::WithParamInterface<ExclusivePair> {};

// A change made after `setup`, and how many refreshes it must cause.
struct RefreshCase {
    const char* what;
    std::function<void(OptionsTest&)> setup;
    std::function<void(OptionsTest&)> change;
    int refreshes;
};

const RefreshCase RefreshCases[] = {
    {"delete position while the count is 0",
     [](OptionsTest& t) { t.click("CheckBox10"), t.click("RadioButton3"); },
     [](OptionsTest& t) { t.step("UpDown2", +1); }, 0},
    {"delete position with a count",
     [](OptionsTest& t) { t.click("CheckBox10"), t.step("UpDown1", +1), t.click("RadioButton3"); },
     [](OptionsTest& t) { t.step("UpDown2", +1); }, 1},
    {"delete place while the count is 0", [](OptionsTest& t) { t.click("CheckBox10"); },
     [](OptionsTest& t) { t.click("RadioButton2"); }, 0},
    {"delete place with a count", [](OptionsTest& t) { t.click("CheckBox10"), t.step("UpDown1", +1); },
     [](OptionsTest& t) { t.click("RadioButton2"); }, 1},
    {"delete count", [](OptionsTest& t) { t.click("CheckBox10"); },
     [](OptionsTest& t) { t.step("UpDown1", +1); }, 1},
    {"insert position with no text", [](OptionsTest& t) { t.click("CheckBox9"), t.click("RadioButton6"); },
     [](OptionsTest& t) { t.step("UpDown3", +1); }, 0},
    {"insert position with a text",
     [](OptionsTest& t) { t.click("CheckBox9"), t.click("RadioButton6"), t.type("Edit3", "x"); },
     [](OptionsTest& t) { t.step("UpDown3", +1); }, 1},
    {"insert place with no text", [](OptionsTest& t) { t.click("CheckBox9"); },
     [](OptionsTest& t) { t.click("RadioButton5"); }, 0},
    {"insert place with a text", [](OptionsTest& t) { t.click("CheckBox9"), t.type("Edit3", "x"); },
     [](OptionsTest& t) { t.click("RadioButton5"); }, 1},
    {"insert text", [](OptionsTest& t) { t.click("CheckBox9"); },
     [](OptionsTest& t) { t.type("Edit3", "xy"); }, 2},
    {"number place with no start value", [](OptionsTest& t) { t.click("CheckBox7"), t.erase("Edit8"); },
     [](OptionsTest& t) { t.click("RadioButton9"); }, 0},
    {"number place with a start value", [](OptionsTest& t) { t.click("CheckBox7"); },
     [](OptionsTest& t) { t.click("RadioButton8"); }, 1},
    {"number position", [](OptionsTest& t) { t.click("CheckBox7"), t.click("RadioButton9"); },
     [](OptionsTest& t) { t.step("UpDown4", +1); }, 1},
    {"leading zeros", [](OptionsTest& t) { t.click("CheckBox7"); },
     [](OptionsTest& t) { t.click("CheckBox11"); }, 1},
    {"direction", [](OptionsTest& t) { t.click("CheckBox7"); }, [](OptionsTest& t) { t.click("Button4"); },
     2},  // the new start value refreshes too
    {"replace texts", [](OptionsTest& t) { t.click("CheckBox8"); },
     [](OptionsTest& t) { t.type("Edit1", "a"), t.type("Edit2", "b"); }, 2},
    {"new extension", [](OptionsTest& t) { t.click("CheckBox12"); },
     [](OptionsTest& t) { t.type("Edit6", "md"); }, 2},
    {"scope in live mode", [](OptionsTest&) {}, [](OptionsTest& t) { t.click("RadioGroup2Item1"); }, 1},
    {"scope in on-close mode", [](OptionsTest& t) { t.click("RadioGroup1Item1"); },
     [](OptionsTest& t) { t.click("RadioGroup2Item2"); }, 0},
    {"preview mode", [](OptionsTest&) {},
     [](OptionsTest& t) { t.click("RadioGroup1Item1"), t.click("RadioGroup1Item0"); }, 0},
    {"reload choice", [](OptionsTest&) {}, [](OptionsTest& t) { t.click("CheckBox13"); }, 0},
    {"clicking the selected radio button",
     [](OptionsTest& t) { t.click("CheckBox10"), t.step("UpDown1", +1); },
     [](OptionsTest& t) { t.click("RadioButton1"); }, 0},
};

void PrintTo(const RefreshCase& change, std::ostream* out) { *out << change.what; }

class RefreshCaseTest : public OptionsTest, public ::testing::WithParamInterface<RefreshCase> {};

}  // namespace

TEST_P(GroupSwitchTest, TickingEnablesTheGroupAndUntickingDisablesIt) {
    const GroupSwitch& group = GetParam();
    auto expectEnabled = [&](bool enabled) {
        for (const char* name : group.dependants) EXPECT_EQ(control(name)->isEnabled(), enabled) << name;
        for (const char* name : group.positionFields) EXPECT_FALSE(control(name)->isEnabled()) << name;
    };
    int before = refreshes();
    click(group.box);
    expectEnabled(true);
    EXPECT_EQ(refreshes() - before, group.refreshesWhenTicked);

    before = refreshes();
    click(group.box);
    expectEnabled(false);
    EXPECT_EQ(refreshes() - before, group.refreshesWhenUnticked);
}

INSTANTIATE_TEST_SUITE_P(Groups, GroupSwitchTest, ::testing::ValuesIn(GroupSwitches),
                         [](const auto& info) { return std::string(info.param.box); });

TEST_P(PositionChoiceTest, PositionFieldFollowsItsRadioButtonAndTheChoiceSurvivesSwitchingOff) {
    const PositionChoice& choice = GetParam();
    click(choice.box);
    click(choice.positionButton);
    EXPECT_TRUE(control(choice.field)->isEnabled());
    EXPECT_TRUE(control(choice.spinner)->isEnabled());
    click(choice.otherButton);
    EXPECT_FALSE(control(choice.field)->isEnabled());
    EXPECT_FALSE(control(choice.spinner)->isEnabled());

    click(choice.positionButton);
    click(choice.box);  // off
    EXPECT_FALSE(control(choice.field)->isEnabled());
    EXPECT_FALSE(control(choice.spinner)->isEnabled());
    EXPECT_TRUE(button(choice.positionButton)->isChecked());
    click(choice.box);  // on again
    EXPECT_TRUE(control(choice.field)->isEnabled());
    EXPECT_TRUE(control(choice.spinner)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Groups, PositionChoiceTest, ::testing::ValuesIn(PositionChoices),
                         [](const auto& info) { return std::string(info.param.box); });

TEST_P(ExclusivePairTest, ClickingEitherBoxFlipsBothAndBothRefreshesAgree) {
    const ExclusivePair& pair = GetParam();
    addEntries({"/d/a b_c.TXT"});
    click(pair.box);
    ASSERT_EQ(summary(), QStringList{QString::fromUtf8(pair.firstLine)});

    for (const char* clicked : {pair.first, pair.second, pair.second, pair.first}) {
        SCOPED_TRACE(clicked);
        const bool firstWasTicked = button(pair.first)->isChecked();
        const int before = refreshes();
        click(clicked);
        EXPECT_EQ(button(pair.first)->isChecked(), !firstWasTicked);
        EXPECT_EQ(button(pair.second)->isChecked(), firstWasTicked);
        EXPECT_EQ(refreshes() - before, 2) << "one refresh in each box's handler";
        EXPECT_EQ(summary(),
                  QStringList{QString::fromUtf8(firstWasTicked ? pair.secondLine : pair.firstLine)});
        EXPECT_EQ(proposedPaths()[0], firstWasTicked ? pair.secondProposed : pair.firstProposed);
    }

    // A group switched off disables its pair but keeps which box is ticked.
    click(pair.second);
    click(pair.box);
    EXPECT_FALSE(button(pair.first)->isEnabled());
    EXPECT_FALSE(button(pair.second)->isEnabled());
    EXPECT_FALSE(button(pair.first)->isChecked());
    EXPECT_TRUE(button(pair.second)->isChecked());
    click(pair.first);  // disabled: nothing happens
    EXPECT_TRUE(button(pair.second)->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Pairs, ExclusivePairTest, ::testing::ValuesIn(ExclusivePairs),
                         [](const auto& info) { return std::string(info.param.box); });

TEST_F(OptionsTest, SwitchingAGroupOffResetsOnlyWhatThatGroupResets) {
    addEntries(3);
    click("CheckBox8");
    type("Edit1", "ab");
    type("Edit2", "cd");
    click("CheckBox12");
    type("Edit6", "txt");
    click("CheckBox10");
    for (int i = 0; i < 5; ++i) step("UpDown1", +1);
    click("RadioButton3");
    for (int i = 0; i < 3; ++i) step("UpDown2", +1);
    click("CheckBox9");
    type("Edit3", "x");
    click("RadioButton6");
    step("UpDown3", +1);
    click("CheckBox7");
    paste("Edit8", "5");
    click("Button4");
    click("RadioButton9");
    step("UpDown4", +1);
    click("CheckBox11");
    ASSERT_EQ(edit("Edit4")->text(), "5");
    ASSERT_EQ(edit("Edit5")->text(), "3");

    for (const char* box : {"CheckBox8", "CheckBox12", "CheckBox10", "CheckBox9", "CheckBox7"}) click(box);
    EXPECT_EQ(edit("Edit1")->text(), "");
    EXPECT_EQ(edit("Edit2")->text(), "");
    EXPECT_EQ(edit("Edit6")->text(), "txt");
    EXPECT_EQ(edit("Edit4")->text(), "0");
    EXPECT_EQ(edit("Edit5")->text(), "0");
    EXPECT_EQ(spinner("UpDown1")->position(), 0);
    EXPECT_EQ(spinner("UpDown2")->position(), 0);
    EXPECT_EQ(edit("Edit3")->text(), "");
    EXPECT_EQ(edit("Edit7")->text(), "0");
    EXPECT_EQ(spinner("UpDown3")->position(), 0);
    EXPECT_EQ(edit("Edit8")->text(), "3");
    EXPECT_EQ(button("Button4")->text(), "<");
    EXPECT_FALSE(session->numberAscending());
    EXPECT_EQ(edit("Edit9")->text(), "1");
    EXPECT_TRUE(button("CheckBox11")->isChecked());
    EXPECT_TRUE(button("RadioButton3")->isChecked());
    EXPECT_TRUE(button("RadioButton6")->isChecked());
    EXPECT_TRUE(button("RadioButton9")->isChecked());

    // Switching the delete group on again shows both fields at 0 and refreshes nothing.
    const int before = refreshes();
    click("CheckBox10");
    EXPECT_TRUE(edit("Edit4")->isEnabled());
    EXPECT_TRUE(edit("Edit5")->isEnabled());
    EXPECT_EQ(edit("Edit4")->text(), "0");
    EXPECT_EQ(edit("Edit5")->text(), "0");
    EXPECT_EQ(refreshes(), before);
}

TEST_F(OptionsTest, UntickingAnEmptyReplaceGroupStillRefreshes) {
    addEntries(2);
    click("CheckBox8");
    EXPECT_TRUE(summary().isEmpty()) << "ticking alone does not refresh";
    const int before = refreshes();
    click("CheckBox8");
    EXPECT_EQ(refreshes() - before, 2);
    EXPECT_TRUE(summary().isEmpty());
}

TEST_F(OptionsTest, Button4TogglesTheDirectionWithTheEntryCountAsStart) {
    addEntries(7);
    click("CheckBox7");
    click("Button4");
    EXPECT_EQ(button("Button4")->text(), "<");
    EXPECT_EQ(edit("Edit8")->text(), "7");
    EXPECT_FALSE(session->numberAscending());
    EXPECT_EQ(summary(),
              QStringList{"Numerowanie plików : malejąca numeracja, od : 7 do : 1 na początku nazwy"});
    EXPECT_EQ(proposedPaths()[0], "/data/7plik 0.txt");
    EXPECT_EQ(proposedPaths()[6], "/data/1plik 6.txt");

    // The start stays as set when the list grows, until the button is pressed again.
    addEntries(1);
    EXPECT_EQ(edit("Edit8")->text(), "7");

    click("Button4");
    EXPECT_EQ(button("Button4")->text(), ">");
    EXPECT_EQ(edit("Edit8")->text(), "0");
    EXPECT_TRUE(session->numberAscending());
    EXPECT_EQ(summary(),
              QStringList{"Numerowanie plików : rosnąca numeracja, od : 0 do : 7 na początku nazwy"});
}

TEST_F(OptionsTest, StartValueThatDoesNotConvertIsReplacedAtOnce) {
    struct Case {
        const char* entered;
        bool typed;  // typed key by key into an empty field, or pasted over the whole text
        const char* ascending;
        const char* descending;
    };
    const Case cases[] = {
        {"1a", true, "0", "7"},          {"-", true, "0", "7"},
        {"-12", false, "-12", "-12"},    {"$1F", false, "$1F", "$1F"},
        {"0x10", false, "0x10", "0x10"}, {" 12", false, " 12", " 12"},
        {"12 ", false, "0", "7"},        {"2147483647", false, "2147483647", "2147483647"},
        {"2147483648", false, "0", "7"}, {"-2147483648", false, "-2147483648", "-2147483648"},
        {"1ą", false, "0", "7"},
    };
    addEntries(7);
    click("CheckBox7");
    for (bool ascending : {true, false}) {
        if (session->numberAscending() != ascending) click("Button4");
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.entered) + (ascending ? " ascending" : " descending"));
            if (c.typed) {
                erase("Edit8");
                type("Edit8", QString::fromUtf8(c.entered));
            } else {
                paste("Edit8", QString::fromUtf8(c.entered));
            }
            EXPECT_EQ(edit("Edit8")->text(), QString::fromUtf8(ascending ? c.ascending : c.descending));
        }
    }

    // Deleting the whole text leaves it empty and takes the numbering line away.
    erase("Edit8");
    EXPECT_EQ(edit("Edit8")->text(), "");
    EXPECT_TRUE(summary().isEmpty());
    EXPECT_EQ(proposedPaths()[0], "/data/plik 0.txt");

    // A hexadecimal start counts on in decimal.
    click("Button4");
    paste("Edit8", "$1F");
    EXPECT_EQ(summary(),
              QStringList{"Numerowanie plików : rosnąca numeracja, od : $1F do : 37 na początku nazwy"});
}

TEST_F(OptionsTest, SpinnersStayWithinZeroToHundredAndFollowTheArrowKeys) {
    addEntries(1);
    click("CheckBox7");
    click("RadioButton9");
    QLineEdit* field = edit("Edit9");
    UpDownSpinner* numberSpinner = spinner("UpDown4");

    int before = refreshes();
    step("UpDown4", -1);
    EXPECT_EQ(numberSpinner->position(), 0);
    EXPECT_EQ(refreshes(), before) << "a step below 0 changes nothing";

    field->setFocus();
    QTest::keyClick(field, Qt::Key_Up);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->text(), "2");
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(refreshes() - before, 3);
    QTest::keyClicks(field, "7");
    EXPECT_EQ(field->text(), "1") << "the field cannot be typed into";

    before = refreshes();
    numberSpinner->setPosition(100);
    EXPECT_EQ(field->text(), "100");
    EXPECT_EQ(refreshes(), before) << "setting a position from code runs nothing";
    step("UpDown4", +1);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(numberSpinner->position(), 100);
    EXPECT_EQ(refreshes(), before);
    step("UpDown4", -1);
    EXPECT_EQ(field->text(), "99");
    EXPECT_EQ(refreshes() - before, 1);
}

TEST_P(RefreshCaseTest, RefreshesOnlyWhenTheChangeCanAlterThePreview) {
    addEntries(3);
    GetParam().setup(*this);
    const int before = refreshes();
    GetParam().change(*this);
    EXPECT_EQ(refreshes() - before, GetParam().refreshes);
}

INSTANTIATE_TEST_SUITE_P(Changes, RefreshCaseTest, ::testing::ValuesIn(RefreshCases), [](const auto& info) {
    std::string name = info.param.what;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
});
