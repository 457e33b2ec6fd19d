// A long list is proposed anew with the rows on screen first and the rest on a
// worker: what the user sees changes at once, and the marks, a run and every
// later change of the list see a complete, current preview.
#include <functional>
#include <string>
#include <vector>

#include <QTest>

#include "gui_fixture.h"

namespace {

// Just over the length from which the rows on screen come first.
constexpr int kEntries = 20'100;

class LongListPreviewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        check("CheckBox9");     // insertion
        check("RadioButton5");  // at the end of the name
        std::vector<kestrix::ListEntry> entries;
        entries.reserve(kEntries);
        for (int i = 0; i + 1 < kEntries; ++i) {
            const std::string name = "f" + std::to_string(100000 + i);
            makeFile(name);
            entries.push_back({path(name), path(name)});
        }
        // The last entry, far below the screen, lists the item of the one before again.
        entries.push_back(entries.back());
        session->entryList().setEntries(std::move(entries));
        mainWindow->show();
        waitForMarks();
    }

    void waitForMarks() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return session->conflictsSettled(); }, 20'000));
        QCoreApplication::processEvents();
    }

    // The rows whose proposed path is not their current one with `suffix` appended.
    std::vector<int> rowsNotFollowing(const std::string& suffix) const {
        std::vector<int> rows;
        for (int row = 0; row < session->entryCount(); ++row) {
            const kestrix::ListEntry& entry = session->entryList().at(row);
            if (entry.proposed != entry.current + suffix) rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(LongListPreviewTest, ShowsTheRowsOnScreenAtOnceAndTheRestBeforeTheMarks) {
    ASSERT_EQ(session->conflictCount(), 0);
    type("Edit3", QStringLiteral("x"));
    EXPECT_EQ(session->entryList().at(0).proposed, session->entryList().at(0).current + "x");
    EXPECT_NE(session->entryList().at(kEntries - 2).proposed,
              session->entryList().at(kEntries - 2).current + "x");
    EXPECT_FALSE(session->conflictsSettled());

    waitForMarks();
    EXPECT_EQ(rowsNotFollowing("x"), std::vector<int>{});
    // Only a preview complete down to its last entry shows it renaming an item renamed before.
    EXPECT_EQ(session->conflictCount(), 1);
    EXPECT_TRUE(session->entryList().markAt(kEntries - 1).failing());
}

TEST_F(LongListPreviewTest, TheNextKeyAbandonsTheRest) {
    type("Edit3", QStringLiteral("a"));
    type("Edit3", QStringLiteral("ab"));
    type("Edit3", QStringLiteral("abc"));
    waitForMarks();
    EXPECT_EQ(rowsNotFollowing("abc"), std::vector<int>{});
}

TEST_F(LongListPreviewTest, SettlingTheMarksCompletesThePreviewAtOnce) {
    type("Edit3", QStringLiteral("z"));
    ASSERT_FALSE(session->previewComplete());
    session->settleConflicts();
    EXPECT_TRUE(session->previewComplete());
    EXPECT_TRUE(session->conflictsSettled());
    EXPECT_EQ(rowsNotFollowing("z"), std::vector<int>{});
}

// Rows removed, added or put in another order while the worker proposes: its
// work on the list as it was must not land on the wrong rows.
TEST_F(LongListPreviewTest, AChangeOfTheRowsMeanwhileLandsNoPathOnAnotherEntry) {
    struct Change {
        const char* name;
        std::function<void()> apply;
        int count;
    };
    const std::vector<Change> changes = {
        {"removed",
         [this] {
             session->removeRows({0, 1, 2});
         },
         kEntries - 3},
        {"reversed", [this] { session->reverseEntries(); }, kEntries - 3},
        {"added",
         [this] {
             session->entryList().append(kestrix::ListEntry{path("new"), path("new")});
         },
         kEntries - 2},
    };
    std::string suffix = "q";
    for (const Change& change : changes) {
        suffix += "q";
        type("Edit3", QString::fromStdString(suffix));
        ASSERT_FALSE(session->previewComplete()) << change.name;
        change.apply();
        waitForMarks();
        EXPECT_EQ(session->entryCount(), change.count) << change.name;
        EXPECT_EQ(rowsNotFollowing(suffix), std::vector<int>{}) << change.name;
    }
}

}  // namespace
