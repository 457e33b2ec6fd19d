// Stopping a run from the main window: Escape or the close button asks
// first; on Yes the run ends after the entry it is on, and the report says
// how far it came.
#include <filesystem>
#include <string>
#include <vector>

#include <QAction>
#include <QListView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "gui_fixture.h"
#include "session/apply_seams.h"

namespace {

namespace fs = std::filesystem;

class StopRunTest : public GuiTest {
protected:
    void TearDown() override {
        kestrix::session::resetApplySeams();
        GuiTest::TearDown();
    }

    // Ten files, each to be renamed; the run takes each outcome as it comes.
    void listTenFiles() {
        for (int i = 0; i < 10; ++i) {
            makeFile("f" + std::to_string(i));
            session->entryList().append(
                kestrix::ListEntry{path("f" + std::to_string(i)), path("g" + std::to_string(i))});
        }
        kestrix::session::applySeams().frameMilliseconds = 0;
        mainWindow->show();
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    }

    int renamedOnDisk() const {
        int renamed = 0;
        for (int i = 0; i < 10; ++i) renamed += fs::exists(path("g" + std::to_string(i)));
        return renamed;
    }

    const Asked* askedWith(const QString& caption) const {
        for (const Asked& a : asked) {
            if (a.caption == caption) return &a;
        }
        return nullptr;
    }
};

TEST_F(StopRunTest, EscapeAsksAndYesStopsAfterTheEntryAtHand) {
    listTenFiles();
    int taken = 0;
    kestrix::session::applySeams().eventsProcessed = [&] {
        if (++taken == 3) QTest::keyClick(mainWindow, Qt::Key_Escape);
    };
    answers = {QMessageBox::Yes, QMessageBox::Yes};

    mainWindow->applyRenames();
    waitForRun();

    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[1].caption, QStringLiteral("Pytanie"));
    EXPECT_EQ(asked[1].text, QStringLiteral("Przerwać zmianę nazw?"));
    EXPECT_EQ(asked[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked[2].caption, QStringLiteral("Informacja"));
    EXPECT_EQ(asked[2].text,
              QStringLiteral("Zmiana nazw została przerwana. Zmieniono nazwy: 3, bez zmian pozostało: 7."));
    EXPECT_EQ(renamedOnDisk(), 3);
    EXPECT_EQ(askedWith(QStringLiteral("Błąd")), nullptr);
    EXPECT_TRUE(mainWindow->fileListView->isEnabled());
    // The part done can be taken back.
    EXPECT_TRUE(mainWindow->undoAction->isEnabled());
    mainWindow->undoAction->trigger();
    waitForRun();
    EXPECT_EQ(renamedOnDisk(), 0);
}

TEST_F(StopRunTest, NoLetsTheRunGoOn) {
    listTenFiles();
    int taken = 0;
    kestrix::session::applySeams().eventsProcessed = [&] {
        if (++taken == 3) QTest::keyClick(mainWindow, Qt::Key_Escape);
    };
    answers = {QMessageBox::Yes, QMessageBox::No};

    mainWindow->applyRenames();
    waitForRun();

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].text, QStringLiteral("Przerwać zmianę nazw?"));
    EXPECT_EQ(renamedOnDisk(), 10);
}

// The close button during a run asks the same; on Yes the window closes once
// the run has stopped.
TEST_F(StopRunTest, TheCloseButtonStopsTheRunThenCloses) {
    listTenFiles();
    int taken = 0;
    kestrix::session::applySeams().eventsProcessed = [&] {
        if (++taken == 5) QTest::mouseClick(mainWindow->closeButton, Qt::LeftButton);
    };
    answers = {QMessageBox::Yes, QMessageBox::Yes};

    mainWindow->applyRenames();
    waitForRun();

    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[1].text, QStringLiteral("Przerwać zmianę nazw?"));
    EXPECT_EQ(renamedOnDisk(), 5);
    EXPECT_FALSE(mainWindow->isVisible());
}

}  // namespace
