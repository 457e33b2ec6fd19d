// Editing the file list: clearing, removing and moving entries, the view
// mode, and the list's shortcuts.
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "gui_fixture.h"
#include "options/radio_group.h"

namespace {

// How numbering stands when the list is edited.
enum class Numbering {
    Off,      // switched off: positions play no part
    InForce,  // start value 1, counting up, at the end of the name
    NoStart,  // switched on with an empty start value: not in force, proposals left as they were
};

class ListEditingTest : public GuiTest {
protected:
    // Entries named by single letters, proposals numbered from 1 by position
    // unless numbering is off; with NoStart the numbered proposals stay but
    // numbering is no longer in force.
    void fill(const std::string& names, Numbering numbering) {
        if (numbering != Numbering::Off) {
            check("CheckBox7");
            type("Edit8", QStringLiteral("1"));
            check("RadioButton8");
        }
        for (char name : names) session->addPath(path(std::string(1, name)));
        if (numbering == Numbering::NoStart) {
            optionsWindow->previewModeGroup->setItemIndex(
                1);  // preview when the window closes: nothing recomputed now
            type("Edit8", QString());
        }
    }

    // Each entry as "<name>" + "=" + "<proposed name>".
    std::vector<std::string> list() const {
        std::vector<std::string> result;
        const std::string base = path("");
        for (const auto& entry : session->entryList().entries()) {
            result.push_back(entry.current.substr(entry.current.rfind('/') + 1) + "=" +
                             entry.proposed.substr(entry.proposed.rfind('/') + 1));
        }
        return result;
    }

    void setCurrentRow(int row) {
        mainWindow->fileListView->selectionModel()->setCurrentIndex(session->entryList().index(row),
                                                                    QItemSelectionModel::NoUpdate);
    }
    int currentRow() const { return mainWindow->fileListView->currentIndex().row(); }
};

// The entries after the move in order, each written "name=proposal", once for
// each way numbering stands: off, in force (the moved entries take the numbers
// of their new places) and switched on without a start value (every entry keeps
// the number of the place it was added at).
struct MoveCase {
    const char* label;
    std::string names;
    std::vector<int> selected;
    int current;
    int step;  // -1 up, +1 down
    struct {
        const char* off;
        const char* inForce;
        const char* noStart;
    } after;
    std::vector<int> selectedAfter;
    int currentAfter;
};

// clang-format off
const MoveCase kMoveCases[] = {
    {"BlockUp", "KLMN", {1, 2}, 2, -1,
     {"L=L M=M K=K N=N", "L=L1 M=M2 K=K3 N=N4", "L=L2 M=M3 K=K1 N=N4"}, {0, 1}, 1},
    {"BlockDown", "KLMN", {1, 2}, 1, +1,
     {"K=K N=N L=L M=M", "K=K1 N=N2 L=L3 M=M4", "K=K1 N=N4 L=L2 M=M3"}, {2, 3}, 2},
    {"PassedEntryKeepsFocus", "KLMN", {1, 2}, 0, -1,
     {"L=L M=M K=K N=N", "L=L1 M=M2 K=K3 N=N4", "L=L2 M=M3 K=K1 N=N4"}, {0, 1}, 2},
    {"FirstSelectedRefusesUp", "KLM", {0, 2}, 2, -1,
     {"K=K L=L M=M", "K=K1 L=L2 M=M3", "K=K1 L=L2 M=M3"}, {0, 2}, 2},
    {"LastSelectedRefusesDown", "KLM", {0, 2}, 0, +1,
     {"K=K L=L M=M", "K=K1 L=L2 M=M3", "K=K1 L=L2 M=M3"}, {0, 2}, 0},
    {"OneDown", "KLM", {0}, 0, +1,
     {"L=L K=K M=M", "L=L1 K=K2 M=M3", "L=L2 K=K1 M=M3"}, {1}, 1},
    {"SeparateEntriesUp", "KLMNO", {1, 3}, 3, -1,
     {"L=L K=K N=N M=M O=O", "L=L1 K=K2 N=N3 M=M4 O=O5", "L=L2 K=K1 N=N4 M=M3 O=O5"}, {0, 2}, 2},
    {"SeparateEntriesDown", "KLMNO", {1, 3}, 1, +1,
     {"K=K M=M L=L O=O N=N", "K=K1 M=M2 L=L3 O=O4 N=N5", "K=K1 M=M3 L=L2 O=O5 N=N4"}, {2, 4}, 2},
    {"NothingSelected", "KLM", {}, 1, -1,
     {"K=K L=L M=M", "K=K1 L=L2 M=M3", "K=K1 L=L2 M=M3"}, {}, 1},
    {"OneEntry", "K", {0}, 0, +1,
     {"K=K", "K=K1", "K=K1"}, {0}, 0},
};
// clang-format on

// "a b c" as {"a", "b", "c"}.
std::vector<std::string> Words(const char* text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

class MoveTest : public ListEditingTest,
                 public ::testing::WithParamInterface<std::tuple<MoveCase, Numbering>> {};

TEST_P(MoveTest, SelectedEntriesMoveOnePlace) {
    const auto& [c, numbering] = GetParam();
    fill(c.names, numbering);
    selectRows(c.selected);
    setCurrentRow(c.current);
    mainWindow->applyButton->setEnabled(true);

    if (c.step < 0) {
        mainWindow->moveSelectedUp();
    } else {
        mainWindow->moveSelectedDown();
    }

    const char* after = numbering == Numbering::Off       ? c.after.off
                        : numbering == Numbering::InForce ? c.after.inForce
                                                          : c.after.noStart;
    EXPECT_EQ(list(), Words(after));
    EXPECT_EQ(selectedRows(), c.selectedAfter);
    EXPECT_EQ(currentRow(), c.currentAfter);
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
    EXPECT_TRUE(asked.empty());
}

std::string MoveCaseName(const ::testing::TestParamInfo<std::tuple<MoveCase, Numbering>>& info) {
    static const char* const kModes[] = {"NumberingOff", "NumberingInForce", "NumberingWithoutStart"};
    return std::string(std::get<0>(info.param).label) + "_" +
           kModes[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Moves, MoveTest,
                         ::testing::Combine(::testing::ValuesIn(kMoveCases),
                                            ::testing::Values(Numbering::Off, Numbering::InForce,
                                                              Numbering::NoStart)),
                         MoveCaseName);

struct RemoveCase {
    const char* label;
    Numbering numbering;
    std::vector<int> selected;
    std::vector<std::string> after;
};

const RemoveCase kRemoveCases[] = {
    {"InForceRenumbers", Numbering::InForce, {1}, {"A=A1", "C=C2", "D=D3", "E=E4"}},
    {"InForceSeparateRows", Numbering::InForce, {0, 2}, {"B=B1", "D=D2", "E=E3"}},
    {"NoStartKeepsProposals", Numbering::NoStart, {1}, {"A=A1", "C=C3", "D=D4", "E=E5"}},
    {"Off", Numbering::Off, {1, 4}, {"A=A", "C=C", "D=D"}},
    {"NothingSelected", Numbering::InForce, {}, {"A=A1", "B=B2", "C=C3", "D=D4", "E=E5"}},
};

class RemoveTest : public ListEditingTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveTest, SelectedEntriesGo) {
    const RemoveCase& c = GetParam();
    fill("ABCDE", c.numbering);
    selectRows(c.selected);

    mainWindow->removeSelected();

    EXPECT_EQ(list(), c.after);
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
    EXPECT_TRUE(asked.empty());
}

INSTANTIATE_TEST_SUITE_P(Removes, RemoveTest, ::testing::ValuesIn(kRemoveCases),
                         [](const auto& info) { return std::string(info.param.label); });

// Entries before the first removed one are left as they are, even when a
// rebuild would now give them another proposal.
TEST_F(ListEditingTest, RemoveRebuildsOnlyFromTheFirstRemovedPosition) {
    fill("ABCDE", Numbering::InForce);
    optionsWindow->previewModeGroup->setItemIndex(1);  // the new start value is not previewed yet
    type("Edit8", QStringLiteral("5"));
    selectRows({1});

    mainWindow->removeSelected();

    EXPECT_EQ(list(), (std::vector<std::string>{"A=A1", "C=C6", "D=D7", "E=E8"}));
}

TEST_F(ListEditingTest, RemovingEveryEntryDisablesTheRenameButton) {
    fill("ABC", Numbering::InForce);
    selectRows({0, 1, 2});

    mainWindow->removeSelected();

    EXPECT_EQ(session->entryCount(), 0);
    EXPECT_FALSE(mainWindow->applyButton->isEnabled());

    // On an empty list remove still makes sure the button is off.
    mainWindow->applyButton->setEnabled(true);
    mainWindow->removeSelected();
    EXPECT_FALSE(mainWindow->applyButton->isEnabled());
}

TEST_F(ListEditingTest, ClearingAsksNothingAndKeepsTheRuleSummary) {
    fill("ABC", Numbering::InForce);
    QStringList summary;
    for (int i = 0; i < mainWindow->ruleSummaryList->count(); ++i)
        summary << mainWindow->ruleSummaryList->item(i)->text();
    ASSERT_FALSE(summary.isEmpty());

    mainWindow->clearList();

    EXPECT_EQ(session->entryCount(), 0);
    EXPECT_FALSE(mainWindow->applyButton->isEnabled());
    EXPECT_TRUE(asked.empty());
    QStringList after;
    for (int i = 0; i < mainWindow->ruleSummaryList->count(); ++i)
        after << mainWindow->ruleSummaryList->item(i)->text();
    EXPECT_EQ(after, summary);
}

// Choosing either item switches to the other view; the marks always show the view in force.
TEST_F(ListEditingTest, ViewItemsSwitchTheViewAndTheirMarks) {
    struct Case {
        const char* label;
        std::vector<QAction*> chosen;
        int mode;
    };
    const Case cases[] = {
        {"Names", {mainWindow->nameOnlyViewAction}, 1},
        {"NamesTwiceBackToPaths", {mainWindow->nameOnlyViewAction, mainWindow->nameOnlyViewAction}, 0},
        {"PathsWhilePathsAreShown", {mainWindow->fullPathViewAction}, 1},
        {"NamesThenPaths", {mainWindow->nameOnlyViewAction, mainWindow->fullPathViewAction}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        mainWindow->nameOnlyViewAction->setChecked(false);
        mainWindow->fullPathViewAction->setChecked(true);
        mainWindow->setListViewMode(0);
        for (QAction* item : c.chosen) item->trigger();  // the menu toggles the mark, then runs the handler
        EXPECT_EQ(mainWindow->listViewMode(), c.mode);
        EXPECT_EQ(mainWindow->fullPathViewAction->isChecked(), c.mode == 0);
        EXPECT_EQ(mainWindow->nameOnlyViewAction->isChecked(), c.mode != 0);
    }
}

// Ctrl+Q, Ctrl+W and Del act while the list has the keyboard focus, and only then.
TEST_F(ListEditingTest, ShortcutsActWhileTheListHasTheFocus) {
    fill("KLM", Numbering::InForce);
    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    mainWindow->fileListView->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->fileListView->hasFocus(); }));
    selectRows({1});
    setCurrentRow(1);

    QTest::keyClick(mainWindow->fileListView, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(list(), (std::vector<std::string>{"L=L1", "K=K2", "M=M3"}));
    QTest::keyClick(mainWindow->fileListView, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(list(), (std::vector<std::string>{"K=K1", "L=L2", "M=M3"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{1}));
    QTest::keyClick(mainWindow->fileListView, Qt::Key_Delete);
    EXPECT_EQ(list(), (std::vector<std::string>{"K=K1", "M=M2"}));

    mainWindow->ruleSummaryList->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->ruleSummaryList->hasFocus(); }));
    selectRows({0});
    QTest::keyClick(mainWindow->ruleSummaryList, Qt::Key_Delete);
    QTest::keyClick(mainWindow->ruleSummaryList, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(list(), (std::vector<std::string>{"K=K1", "M=M2"}));
}

}  // namespace
