// The rows of the file list and of the rule summary, checked on real pixels.
#include <QHeaderView>
#include <QImage>
#include <QListView>
#include <QListWidget>
#include <QTest>

#include "gui_fixture.h"

namespace {

bool IsNavy(const QColor& c);
bool IsMaroon(const QColor& c);

class DrawingTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        mainWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
    }

    // The views lay out their rows from the event loop; let them, then grab.
    static QImage Grab(QAbstractItemView* view) {
        QCoreApplication::processEvents();
        return view->viewport()->grab().toImage();
    }
    QImage grabList() const { return Grab(mainWindow->fileListView); }

    static QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

    // Whether any pixel of row `row` between x0 and x1 (exclusive) passes `test`.
    static bool AnyPixel(const QImage& image, int row, int x0, int x1, bool (*test)(const QColor&)) {
        for (int y = row * 16; y < row * 16 + 16; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (test(image.pixelColor(x, y))) return true;
            }
        }
        return false;
    }

    // Inside the row, clear of a focus rectangle on its edges.
    static bool OnlyColour(const QImage& image, int row, int x0, int x1, const QColor& colour) {
        for (int y = row * 16 + 2; y < row * 16 + 14; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (image.pixelColor(x, y) != colour) return false;
            }
        }
        return true;
    }
};

// Text is anti-aliased over the row colour: a navy pixel is one where blue
// clearly dominates, a maroon one where red does.
bool IsNavy(const QColor& c) { return c.blue() > c.red() + 60 && c.blue() > c.green() + 60; }
bool IsMaroon(const QColor& c) { return c.red() > c.blue() + 60 && c.red() > c.green() + 60; }

TEST_F(DrawingTest, FileListRowsAreShadedAndSelectedRowsTakeTheListsOwnColours) {
    mainWindow->addDroppedPaths({"/a/x", "/a/y", "/a/z"});
    struct Case {
        std::vector<int> selected;
        QColor row0, row1;
    };
    const Case cases[] = {
        {{}, QColor(249, 249, 245), QColor(255, 255, 251)},
        {{0, 1}, QColor(211, 242, 249), QColor(217, 248, 255)},
    };
    for (const Case& c : cases) {
        selectRows(c.selected);
        const QImage image = grabList();
        const int x = image.width() - 4;
        EXPECT_EQ(At(image, x, 8), c.row0);
        EXPECT_EQ(At(image, x, 16 + 8), c.row1);
        // Beneath the entries the list shows its own background.
        EXPECT_EQ(At(image, x, 3 * 16 + 20), QColor(255, 255, 251));
    }
}

TEST_F(DrawingTest, ProposedNameStartsAtTheColumnSplitAndCoversTheCurrentName) {
    // A current path long enough to run past the split.
    const std::string longPath = "/" + std::string(80, 'W');
    mainWindow->addDroppedPaths({longPath});
    mainWindow->columnHeader->resizeSection(0, 250);
    const QImage image = grabList();
    const QColor background(249, 249, 245);
    EXPECT_TRUE(AnyPixel(image, 0, 200, 240, IsNavy)) << "the current name runs up to the covered part";
    EXPECT_TRUE(OnlyColour(image, 0, 240, 248, background)) << "its hidden part does not show through";
    EXPECT_FALSE(AnyPixel(image, 0, 240, 600, IsNavy));
    EXPECT_TRUE(AnyPixel(image, 0, 248, 260, IsMaroon)) << "the proposed name starts at the split - 2";
}

TEST_F(DrawingTest, DraggingTheHeaderDividerMovesTheSplit) {
    mainWindow->addDroppedPaths({"/" + std::string(80, 'W')});
    mainWindow->columnHeader->resizeSection(0, 300);
    const QImage image = grabList();
    EXPECT_TRUE(AnyPixel(image, 0, 250, 290, IsNavy));
    EXPECT_TRUE(OnlyColour(image, 0, 290, 298, QColor(249, 249, 245)));
    EXPECT_TRUE(AnyPixel(image, 0, 298, 310, IsMaroon));
}

TEST_F(DrawingTest, NamesOnlyViewShowsTheTextAfterTheLastSlash) {
    mainWindow->addDroppedPaths({"/photos/deep/a.txt"});
    const QImage pathView = grabList();
    mainWindow->setListViewMode(1);
    const QImage nameView = grabList();
    // The path view draws text further to the right than "a.txt" alone reaches.
    EXPECT_TRUE(AnyPixel(pathView, 0, 60, 120, IsNavy));
    EXPECT_FALSE(AnyPixel(nameView, 0, 60, 120, IsNavy));
    EXPECT_TRUE(AnyPixel(nameView, 0, 2, 40, IsNavy));
}

TEST_F(DrawingTest, SummaryRowsAreShadedBehindTheirMark) {
    mainWindow->ruleSummaryList->addItems(
        {QStringLiteral("Zamiana na małe litery"), QStringLiteral("druga")});
    const QImage image = Grab(mainWindow->ruleSummaryList);
    const int x = image.width() - 4;
    EXPECT_EQ(At(image, x, 9), QColor(249, 249, 249));
    EXPECT_EQ(At(image, x, 18 + 9), QColor(255, 255, 255));
    // The mark image sits at (2, 1) and is not the row colour.
    bool markDrawn = false;
    for (int y = 1; y < 17 && !markDrawn; ++y) {
        for (int mx = 2; mx < 18 && !markDrawn; ++mx) markDrawn = At(image, mx, y) != QColor(249, 249, 249);
    }
    EXPECT_TRUE(markDrawn);
    mainWindow->ruleSummaryList->setCurrentRow(0);
    const QImage selected = Grab(mainWindow->ruleSummaryList);
    EXPECT_EQ(At(selected, x, 9), QColor(209, 228, 249));
}

}  // namespace
