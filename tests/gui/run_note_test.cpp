// After a run whose every rename succeeded, a passive note over the file list
// says so and goes by itself; never a box, never a new window title. A run
// with failures keeps its "Błąd" box and shows no note.
#include <string>

#include <QAction>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "gui_fixture.h"
#include "ui/passive_note.h"

namespace {

class RunNoteTest : public GuiTest {
protected:
    void addRenames(int count) {
        for (int i = 0; i < count; ++i) {
            makeFile("f" + std::to_string(i));
            session->entryList().append(
                kestrix::ListEntry{path("f" + std::to_string(i)), path("g" + std::to_string(i))});
        }
    }
};

TEST_F(RunNoteTest, ARunThatWentWellSaysSoAndTheNoteGoesByItself) {
    addRenames(3);
    mainWindow->show();
    const QString title = mainWindow->windowTitle();

    mainWindow->applyRenames();
    waitForRun();

    ASSERT_EQ(asked.size(), 1u);  // the question before the run, no box after it
    EXPECT_FALSE(mainWindow->runNote->isHidden());
    EXPECT_EQ(mainWindow->runNote->text(), QStringLiteral("Zmieniono nazwy 3 plików."));
    EXPECT_EQ(mainWindow->windowTitle(), title);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return mainWindow->runNote->isHidden(); }, PassiveNote::kShownFor + 2000));

    mainWindow->undoAction->trigger();
    waitForRun();
    EXPECT_EQ(mainWindow->runNote->text(), QStringLiteral("Przywrócono poprzednie nazwy 3 plików."));
    EXPECT_FALSE(mainWindow->runNote->isHidden());
}

TEST_F(RunNoteTest, OneFileTakesTheSingular) {
    addRenames(1);
    mainWindow->show();
    mainWindow->applyRenames();
    waitForRun();
    EXPECT_EQ(mainWindow->runNote->text(), QStringLiteral("Zmieniono nazwy 1 pliku."));
}

TEST_F(RunNoteTest, ARunWithAFailureShowsTheBoxAndNoNote) {
    addRenames(2);
    makeFile("g1", "in the way");
    mainWindow->show();

    mainWindow->applyRenames();
    waitForRun();

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].caption, QStringLiteral("Błąd"));
    EXPECT_TRUE(mainWindow->runNote->isHidden());
}

}  // namespace
