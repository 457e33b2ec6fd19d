// The history of runs through the real windows: "Historia zmian…" in the
// list's menu lists the runs of every window of the user, newest first, and
// "Cofnij" takes back the chosen one, after a question that names it; Ctrl+Z
// then takes back the newest run not yet taken back.
#include <filesystem>
#include <string>
#include <vector>

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gui_fixture.h"
#include "history/run_history_window.h"
#include "run/rename_run.h"

namespace {

namespace fs = std::filesystem;

class RunHistoryTest : public GuiTest {
protected:
    // Renames each of `pairs` (relative paths) in a run of its own, here or
    // in another process of the program.
    void runOver(const std::vector<std::pair<std::string, std::string>>& pairs, bool elsewhere = false) {
        std::vector<kestrix::ListEntry> list;
        for (const auto& [from, to] : pairs) list.push_back(kestrix::ListEntry{path(from), path(to)});
        const auto run = [&] {
            kestrix::run::RenameRun renameRun(journalFolder());
            struct Quiet : kestrix::run::RunListener {
                void entryDone(std::int64_t, const kestrix::run::EntryOutcome&) override {}
            } quiet;
            return renameRun.beginListRun(list) &&
                   renameRun.execute(quiet).renamed == static_cast<std::int64_t>(pairs.size());
        };
        if (!elsewhere) {
            ASSERT_TRUE(run());
            return;
        }
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(run() ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    QString cell(int row, int column) const {
        const QTableWidgetItem* item = mainWindow->runHistoryWindow->historyTable->item(row, column);
        return item ? item->text() : QString();
    }
    std::vector<QString> row(int row) const {
        std::vector<QString> cells;
        for (int column = 0; column < 6; ++column) cells.push_back(cell(row, column));
        return cells;
    }

    QString folder(const std::string& relative) const {
        return QFile::decodeName(QByteArray::fromStdString(path(relative)));
    }
    // The time of day the runs were made at, as the history shows it.
    QString when() const { return began_.toString(QStringLiteral("HH:mm")); }

    void SetUp() override {
        GuiTest::SetUp();
        began_ = QDateTime::currentDateTime();
    }

private:
    QDateTime began_;
};

TEST_F(RunHistoryTest, ListsTheRunsAndTakesBackTheChosenOne) {
    for (const char* item : {"Zdjęcia/", "Zdjęcia/a.jpg", "Zdjęcia/b.jpg", "Muzyka/", "Muzyka/c.mp3"})
        std::string(item).back() == '/' ? makeFolder(item) : makeFile(item);
    runOver({{"Zdjęcia/a.jpg", "Zdjęcia/a1.jpg"}, {"Zdjęcia/b.jpg", "Zdjęcia/b1.jpg"}});
    runOver({{"Muzyka/c.mp3", "Muzyka/c1.mp3"}}, true);
    if (when() != QDateTime::currentDateTime().toString(QStringLiteral("HH:mm"))) {
        GTEST_SKIP() << "the minute turned while the runs were made";
    }

    mainWindow->runHistoryAction->trigger();

    RunHistoryWindow* window = mainWindow->runHistoryWindow;
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Historia zmian"));
    ASSERT_EQ(window->historyTable->rowCount(), 2);
    EXPECT_EQ(row(0), (std::vector<QString>{when(), QStringLiteral("zmiana nazw"), QStringLiteral("1"),
                                            folder("Muzyka"), QStringLiteral("inne okno"), QString()}));
    EXPECT_EQ(row(1), (std::vector<QString>{when(), QStringLiteral("zmiana nazw"), QStringLiteral("2"),
                                            folder("Zdjęcia"), QStringLiteral("to okno"), QString()}));
    ASSERT_NE(window->takeBackButtons[1], nullptr);
    EXPECT_EQ(window->takeBackButtons[1]->text(), QStringLiteral("Cofnij"));

    // The older run, though a newer one of another window stands.
    asked.clear();
    window->takeBackButtons[1]->click();
    waitForRun();

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Cofnąć zmianę nazw 2 plików z ") + when() +
                                 QStringLiteral(" w folderze ") + folder("Zdjęcia") + QStringLiteral("?"));
    EXPECT_TRUE(fs::exists(path("Zdjęcia/a.jpg")));
    EXPECT_TRUE(fs::exists(path("Zdjęcia/b.jpg")));
    EXPECT_TRUE(fs::exists(path("Muzyka/c1.mp3")));
    // The window follows: the undo on top, the run it took back shown as such.
    ASSERT_EQ(window->historyTable->rowCount(), 3);
    EXPECT_EQ(row(0), (std::vector<QString>{when(), QStringLiteral("cofnięcie"), QStringLiteral("2"),
                                            folder("Zdjęcia"), QStringLiteral("to okno"), QString()}));
    EXPECT_EQ(window->takeBackButtons[0], nullptr);
    EXPECT_NE(window->takeBackButtons[1], nullptr);
    EXPECT_EQ(cell(2, 5), QStringLiteral("cofnięta"));
    EXPECT_EQ(window->takeBackButtons[2], nullptr);

    // Ctrl+Z names the run it takes back: the other window's.
    asked.clear();
    ASSERT_TRUE(mainWindow->undoAction->isEnabled());
    mainWindow->undoAction->trigger();
    waitForRun();

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Cofnąć zmianę nazw 1 pliku z ") + when() +
                                 QStringLiteral(" w folderze ") + folder("Muzyka") +
                                 QStringLiteral("?\n\nTej zmiany nazw dokonano w innym oknie programu."));
    EXPECT_TRUE(fs::exists(path("Muzyka/c.mp3")));
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
    ASSERT_EQ(window->historyTable->rowCount(), 4);
    for (const QPushButton* button : window->takeBackButtons) EXPECT_EQ(button, nullptr);
}

// A run Ctrl+Z was offered and that another window took back meanwhile is
// not taken back twice: the report says why, nothing is renamed.
TEST_F(RunHistoryTest, ARunTakenBackElsewhereMeanwhileIsReported) {
    makeFile("a");
    runOver({{"a", "a1"}});
    mainWindow->runHistoryAction->trigger();
    RunHistoryWindow* window = mainWindow->runHistoryWindow;
    ASSERT_NE(window->takeBackButtons.at(0), nullptr);
    {
        kestrix::run::RenameRun undo(journalFolder());
        struct Quiet : kestrix::run::RunListener {
            void entryDone(std::int64_t, const kestrix::run::EntryOutcome&) override {}
        } quiet;
        ASSERT_TRUE(undo.beginUndoOfLastRun());
        undo.execute(quiet);
    }
    makeFile("a1", "another file");
    asked.clear();

    window->takeBackButtons[0]->click();
    waitForRun();

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].caption, QStringLiteral("Błąd"));
    EXPECT_TRUE(asked[1].text.startsWith(QStringLiteral("Tej zmiany nazw nie można już cofnąć")))
        << asked[1].text.toStdString();
    EXPECT_TRUE(fs::exists(path("a")));
    EXPECT_TRUE(fs::exists(path("a1")));
}

// Ctrl+Z follows the runs of other windows: a run made elsewhere while this
// window was open can be taken back once it is active again.
TEST_F(RunHistoryTest, UndoFollowsTheRunsOfOtherWindows) {
    makeFile("a");
    mainWindow->show();
    ASSERT_FALSE(mainWindow->undoAction->isEnabled());
    runOver({{"a", "a1"}}, true);
    mainWindow->runHistoryAction->trigger();

    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));

    EXPECT_TRUE(mainWindow->undoAction->isEnabled());
}

}  // namespace
