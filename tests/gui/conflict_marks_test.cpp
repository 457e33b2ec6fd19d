// The renames that will fail are marked in the list before anything moves:
// drawn red and struck out, explained in the tooltip, counted in the rule
// summary and under the question before the run.
#include <string>
#include <vector>

#include <QHeaderView>
#include <QImage>
#include <QListView>
#include <QListWidget>
#include <QTest>

#include "gui_fixture.h"
#include "options/up_down_spinner.h"
#include "platform/folder_names.h"

namespace {

const QString kQuestion = QStringLiteral("Czy zastosować wybrane zmiany dla plików z listy ?");

bool IsRed(const QColor& c) { return c.red() >= 200 && c.green() <= 80 && c.blue() <= 80; }
bool IsMaroon(const QColor& c) {
    return c.red() >= 100 && c.red() <= 170 && c.green() <= 60 && c.blue() <= 60;
}

class ConflictMarksTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        // Every name gets "1" at its end.
        check("CheckBox9");
        type("Edit3", QStringLiteral("1"));
        check("RadioButton5");
    }

    void add(const std::string& name) { session->addPath(path(name)); }

    // Waits until the marks follow the last change, the disk included.
    void waitForMarks() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return session->conflictsSettled(); }, 5000));
        QCoreApplication::processEvents();
    }

    std::vector<int> markedRows() const {
        std::vector<int> rows;
        for (int row = 0; row < session->entryCount(); ++row)
            if (session->entryList().markAt(row).failing()) rows.push_back(row);
        return rows;
    }

    QStringList summary() const {
        QStringList lines;
        for (int i = 0; i < mainWindow->ruleSummaryList->count(); ++i)
            lines << mainWindow->ruleSummaryList->item(i)->text();
        return lines;
    }

    QString toolTip(int row) const {
        return session->entryList().index(row).data(Qt::ToolTipRole).toString();
    }

    QImage grabList() const {
        QCoreApplication::processEvents();
        return mainWindow->fileListView->viewport()->grab().toImage();
    }

    static bool SameRow(const QImage& a, const QImage& b, int row, int x0, int x1) {
        for (int y = row * 16; y < row * 16 + 16; ++y)
            for (int x = x0; x < x1; ++x)
                if (a.pixelColor(x, y) != b.pixelColor(x, y)) return false;
        return true;
    }
    static bool Any(const QImage& image, int row, int x0, bool (*test)(const QColor&)) {
        for (int y = row * 16; y < row * 16 + 16; ++y)
            for (int x = x0; x < image.width(); ++x)
                if (test(image.pixelColor(x, y))) return true;
        return false;
    }
    // The longest horizontal run of pixels that pass `test` in the row: a
    // line struck through a name is far longer than any stroke of a letter.
    static int LongestRun(const QImage& image, int row, int x0, bool (*test)(const QColor&)) {
        int longest = 0;
        for (int y = row * 16; y < row * 16 + 16; ++y) {
            int run = 0;
            for (int x = x0; x < image.width(); ++x) {
                run = test(image.pixelColor(x, y)) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    }
};

TEST_F(ConflictMarksTest, AFailingRowIsRedAndStruckOutAndOthersAreDrawnAsBefore) {
    mainWindow->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
    makeFile("a");
    makeFile("b");
    add("a");
    add("b");
    waitForMarks();
    ASSERT_EQ(markedRows(), std::vector<int>{});
    const QImage before = grabList();

    makeFile("b1");  // now b's new name is taken
    add("c");        // any change of the list checks again
    waitForMarks();
    ASSERT_EQ(markedRows(), (std::vector<int>{1, 2}));  // c does not exist
    const QImage after = grabList();

    const int split = mainWindow->columnHeader->sectionSize(0);
    EXPECT_TRUE(SameRow(before, after, 0, 0, after.width())) << "a row that succeeds is drawn as before";
    EXPECT_TRUE(SameRow(before, after, 1, 0, split - 10)) << "the current name stays as it was";
    EXPECT_TRUE(Any(before, 1, split, IsMaroon));
    EXPECT_FALSE(Any(before, 1, split, IsRed));
    EXPECT_LT(LongestRun(before, 1, split, IsMaroon), 30);
    EXPECT_FALSE(Any(after, 1, split, IsMaroon)) << "the proposed name is no longer maroon";
    EXPECT_GE(LongestRun(after, 1, split, IsRed), 60) << "a red line strikes the proposed name out";
}

TEST_F(ConflictMarksTest, TheTooltipAndTheSummaryTellTheConflicts) {
    makeFile("a");
    makeFile("b");
    makeFile("b1");
    add("a");
    add("b");
    waitForMarks();

    EXPECT_EQ(toolTip(0), QString::fromStdString(path("a") + "\n→ " + path("a1")));
    EXPECT_EQ(toolTip(1),
              QString::fromStdString(path("b") + "\n→ " + path("b1")) +
                  QStringLiteral("\nNie uda się zmienić nazwy: nazwę ma już plik lub katalog spoza listy"));
    EXPECT_EQ(summary(), (QStringList{QStringLiteral("Dodawanie ciągu znaków : \"1\" na końcu nazwy"),
                                      QStringLiteral("Konflikty : 1")}));

    // Another text leaves every name free: the marks and the line go.
    type("Edit3", QStringLiteral("2"));
    waitForMarks();
    EXPECT_EQ(markedRows(), std::vector<int>{});
    EXPECT_EQ(summary(), QStringList{QStringLiteral("Dodawanie ciągu znaków : \"2\" na końcu nazwy")});

    // Back to a taken name, then the entry that takes it leaves the list.
    type("Edit3", QStringLiteral("1"));
    waitForMarks();
    EXPECT_EQ(markedRows(), std::vector<int>{1});
    session->removeRows({1});
    waitForMarks();
    EXPECT_EQ(markedRows(), std::vector<int>{});
    EXPECT_EQ(summary(), QStringList{QStringLiteral("Dodawanie ciągu znaków : \"1\" na końcu nazwy")});
}

// The marked rows are exactly the renames that fail; the question says how
// many, the report after the run says why, and the reloaded list is marked anew.
TEST_F(ConflictMarksTest, TheQuestionCountsTheConflictsAndTheRunFailsExactlyThere) {
    makeFile("a");
    makeFile("b");
    makeFile("c");
    makeFile("b1");
    add("a");
    add("b");
    add("c");
    session->entryList().append(kestrix::ListEntry{path("c"), path("a1")});
    waitForMarks();
    ASSERT_EQ(markedRows(), (std::vector<int>{1, 3}));

    answers = {QMessageBox::Yes};
    mainWindow->applyRenames();
    waitForRun();

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, kQuestion);
    EXPECT_EQ(asked[0].informative,
              QStringLiteral(
                  "Nie uda się zmienić nazwy 2 plików (konflikty są zaznaczone na liście na czerwono)."));
    EXPECT_EQ(asked[1].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(asked[1].text,
              QStringLiteral("Nie udało się zmienić nazwy 2 plików:\n") +
                  QString::fromStdString("\n" + path("b") + " → b1: nazwa jest już zajęta") +
                  QString::fromStdString("\n" + path("c") + " → a1: nie ma takiego pliku ani katalogu"));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path("a1"))));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path("c1"))));

    // Reloaded: a1 -> a11, b -> b1 (still taken), c1 -> c11, c -> c1 (c is gone).
    waitForMarks();
    EXPECT_EQ(markedRows(), (std::vector<int>{1, 3}));
}

TEST_F(ConflictMarksTest, WithoutConflictsTheQuestionAddsNothing) {
    makeFile("a");
    add("a");
    waitForMarks();
    answers = {QMessageBox::No};
    mainWindow->applyRenames();
    waitForRun();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, kQuestion);
    EXPECT_EQ(asked[0].informative, QString());
}

TEST_F(ConflictMarksTest, AnItemListedTwiceIsMarkedOnItsLaterEntry) {
    check("CheckBox9", false);
    check("CheckBox7");
    type("Edit8", QStringLiteral("1"));
    check("RadioButton8");
    makeFile("f/d");
    dialogFiles = {QString::fromStdString(path("f/d"))};
    mainWindow->addFilesFromDialog();
    session->addFolderContents(path("f"), kestrix::session::FolderContents{false, false, true});
    waitForMarks();

    ASSERT_EQ(session->entryCount(), 2);
    EXPECT_EQ(markedRows(), std::vector<int>{1});
    EXPECT_TRUE(toolTip(1).endsWith(QStringLiteral(
        "\nNie uda się zmienić nazwy: ten sam element jest wyżej na liście i wcześniej zmieni nazwę")));
}

// The watch keeps the folders it listed from keystroke to keystroke; a change
// on disk between two keystrokes, by another program or by a run of this one,
// still shows in the marks. The folder is first left to age, as a user's
// folders are, so that its listing is kept at all.
TEST_F(ConflictMarksTest, AFolderChangedBetweenTwoKeystrokesGivesNewMarks) {
    makeFile("a");
    makeFile("b");
    const std::string folder = path("a").substr(0, path("a").size() - 1);
    if (!QTest::qWaitFor([&] { return kestrix::platform::ReadFolderNames(folder).lasting; }, 10000))
        GTEST_SKIP() << "the folder's times cannot tell changes on this file system";
    add("a");
    add("b");
    waitForMarks();
    ASSERT_EQ(markedRows(), std::vector<int>{});

    makeFile("a1");  // by another program
    type("Edit3", QStringLiteral("2"));
    waitForMarks();
    EXPECT_EQ(markedRows(), std::vector<int>{});
    type("Edit3", QStringLiteral("1"));
    waitForMarks();
    EXPECT_EQ(markedRows(), std::vector<int>{0});

    // A run of this program renames b to b1 (a1 is taken); the reloaded list
    // names a and b1, and b, listed again, is gone.
    answers = {QMessageBox::Yes};
    mainWindow->applyRenames();
    waitForRun();
    add("b");
    waitForMarks();
    EXPECT_EQ(markedRows(), (std::vector<int>{0, 2}));
}

// Forty entries whose new names come in turn from two: the first entry to
// get each name renames, every later one is marked, from the first marks
// shown after the change (before the disk has been read) to the settled ones.
TEST_F(ConflictMarksTest, OfEntriesTakingTwoNamesInTurnOnlyTheLaterOnesAreMarkedAtOnce) {
    std::vector<int> later;
    for (int i = 0; i < 40; ++i) {
        const std::string name = (i < 10 ? "0" : "") + std::to_string(i) + (i % 2 == 0 ? "x" : "y");
        makeFile(name);
        add(name);
        if (i >= 2) later.push_back(i);
    }
    waitForMarks();
    ASSERT_TRUE(markedRows().empty());

    std::vector<std::vector<int>> beforeTheDisk;
    const QObject listening;  // the connection ends with it
    QObject::connect(session.get(), &kestrix::session::Session::conflictsChanged, &listening, [&] {
        if (!session->conflictsSettled()) beforeTheDisk.push_back(markedRows());
    });
    // The two digits go: "00x" and "01y" become "x1" and "y1", and so on.
    check("CheckBox10");
    check("RadioButton1");
    optionsWindow->deleteCountSpinner->userStep(2);
    ASSERT_FALSE(beforeTheDisk.empty());
    EXPECT_EQ(beforeTheDisk.front(), later);
    waitForMarks();
    EXPECT_EQ(markedRows(), later);
    const std::vector<std::string> proposed = proposedPaths();
    EXPECT_EQ(std::vector<std::string>(proposed.begin(), proposed.begin() + 3),
              (std::vector<std::string>{path("x1"), path("y1"), path("x1")}));
}

}  // namespace
