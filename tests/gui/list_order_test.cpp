// Putting the file list in order and picking entries in it: sorting and
// dragging (numbering and conflict marks follow the new order), the
// selections of the list's menu, and the width of zero-padded numbers once
// entries are added.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "filelist/file_list_view.h"
#include "gui_fixture.h"
#include "media_files.h"
#include "ui/mask_dialog.h"

namespace {

class ListOrderTest : public GuiTest {
protected:
    // Numbers from 1 at the start of every name.
    void numberFromOne() {
        check("CheckBox7");
        type("Edit8", QStringLiteral("1"));
        check("RadioButton7");
    }

    // A file of `size` bytes, last modified at `seconds` after the epoch.
    void makeFile(const std::string& name, int size, std::int64_t seconds) {
        GuiTest::makeFile(name, std::string(static_cast<size_t>(size), 'x'));
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path(name).c_str(), times, 0), 0);
    }

    void trigger(const char* name) {
        auto* action = mainWindow->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
        // Sorting by the date taken reads the dates first, with the window going on.
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->metadataRead() == nullptr; }));
    }

    // Each entry as "<name>=<proposed name>", separated by spaces.
    std::string list() const {
        std::string result;
        for (const auto& entry : session->entryList().entries()) {
            if (!result.empty()) result += ' ';
            result += entry.current.substr(entry.current.rfind('/') + 1) + "=" +
                      entry.proposed.substr(entry.proposed.rfind('/') + 1);
        }
        return result;
    }

    std::vector<int> markedRows() const {
        std::vector<int> rows;
        for (int row = 0; row < session->entryCount(); ++row)
            if (session->entryList().markAt(row).failing()) rows.push_back(row);
        return rows;
    }

    void waitForMarks() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return session->conflictsSettled(); }, 5000));
        QCoreApplication::processEvents();
    }
};

// --- Sorting.

TEST_F(ListOrderTest, MenusOfSortingAndSelecting) {
    auto captions = [](const QMenu* menu) {
        QStringList texts;
        for (const QAction* action : menu->actions()) texts << (action->isSeparator() ? "-" : action->text());
        return texts;
    };
    EXPECT_EQ(mainWindow->sortMenu->title(), QStringLiteral("Sortuj"));
    EXPECT_EQ(captions(mainWindow->sortMenu),
              (QStringList{"według nazwy", "według daty modyfikacji", "według daty wykonania zdjęcia",
                           "według rozmiaru", "według rozszerzenia", "-", "Odwróć kolejność"}));
    EXPECT_EQ(mainWindow->selectMenu->title(), QStringLiteral("Zaznacz"));
    EXPECT_EQ(captions(mainWindow->selectMenu),
              (QStringList{"według maski…", "ukryte", "foldery", "z konfliktem", "wszystko",
                           "odwróć zaznaczenie"}));
    EXPECT_EQ(mainWindow->selectAllAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
}

struct SortCase {
    const char* label;
    std::vector<const char*> actions;  // triggered in turn
    const char* after;
};

// The files, added in this order: name, size, modification time; the dates
// taken come from the reader the test sets.
// clang-format off
const SortCase kSortCases[] = {
    {"ByName", {"wedugnazwy1"},
     "Ąkra.txt=1Ąkra.txt IMG_2.jpg=2IMG_2.jpg IMG_10.jpg=3IMG_10.jpg zebra.JPG=4zebra.JPG Żaba.png=5Żaba.png"},
    {"ByNameAgainDescends", {"wedugnazwy1", "wedugnazwy1"},
     "Żaba.png=1Żaba.png zebra.JPG=2zebra.JPG IMG_10.jpg=3IMG_10.jpg IMG_2.jpg=4IMG_2.jpg Ąkra.txt=5Ąkra.txt"},
    {"ByNameThirdTimeAscends", {"wedugnazwy1", "wedugnazwy1", "wedugnazwy1"},
     "Ąkra.txt=1Ąkra.txt IMG_2.jpg=2IMG_2.jpg IMG_10.jpg=3IMG_10.jpg zebra.JPG=4zebra.JPG Żaba.png=5Żaba.png"},
    {"BySize", {"wedugrozmiaru1"},
     "IMG_2.jpg=1IMG_2.jpg Żaba.png=2Żaba.png IMG_10.jpg=3IMG_10.jpg zebra.JPG=4zebra.JPG Ąkra.txt=5Ąkra.txt"},
    {"ByModificationTime", {"wedugdatymodyfikacji1"},
     "Żaba.png=1Żaba.png IMG_10.jpg=2IMG_10.jpg IMG_2.jpg=3IMG_2.jpg zebra.JPG=4zebra.JPG Ąkra.txt=5Ąkra.txt"},
    {"ByExtensionKeepsOrderWithinOne", {"wedugrozszerzenia1"},
     "zebra.JPG=1zebra.JPG IMG_10.jpg=2IMG_10.jpg IMG_2.jpg=3IMG_2.jpg Żaba.png=4Żaba.png Ąkra.txt=5Ąkra.txt"},
    {"ByDateTakenUndatedLastByName", {"wedugdatywykonaniazdjcia1"},
     "zebra.JPG=1zebra.JPG IMG_2.jpg=2IMG_2.jpg IMG_10.jpg=3IMG_10.jpg Ąkra.txt=4Ąkra.txt Żaba.png=5Żaba.png"},
    {"ByDateTakenAgainUndatedStillLast", {"wedugdatywykonaniazdjcia1", "wedugdatywykonaniazdjcia1"},
     "IMG_10.jpg=1IMG_10.jpg IMG_2.jpg=2IMG_2.jpg zebra.JPG=3zebra.JPG Ąkra.txt=4Ąkra.txt Żaba.png=5Żaba.png"},
    {"Reversed", {"Odwrkolejno1"},
     "Ąkra.txt=1Ąkra.txt IMG_2.jpg=2IMG_2.jpg Żaba.png=3Żaba.png IMG_10.jpg=4IMG_10.jpg zebra.JPG=5zebra.JPG"},
    {"NameThenReversedThenNameAscends", {"wedugnazwy1", "Odwrkolejno1", "wedugnazwy1"},
     "Ąkra.txt=1Ąkra.txt IMG_2.jpg=2IMG_2.jpg IMG_10.jpg=3IMG_10.jpg zebra.JPG=4zebra.JPG Żaba.png=5Żaba.png"},
};
// clang-format on

class SortTest : public ListOrderTest, public testing::WithParamInterface<SortCase> {};

TEST_P(SortTest, RenumbersInTheNewOrder) {
    numberFromOne();
    makeFile("zebra.JPG", 4, 4000);
    makeFile("IMG_10.jpg", 3, 2000);
    makeFile("Żaba.png", 2, 1000);
    makeFile("IMG_2.jpg", 1, 3000);
    makeFile("Ąkra.txt", 5, 5000);
    for (const char* name : {"zebra.JPG", "IMG_10.jpg", "Żaba.png", "IMG_2.jpg", "Ąkra.txt"}) {
        session->addPath(path(name));
    }
    session->setDatesTakenReader([this](const std::vector<std::string>& paths) {
        std::vector<std::optional<std::string>> dates;
        for (const std::string& item : paths) {
            if (item == path("IMG_10.jpg")) {
                dates.emplace_back("2024:07:15 10:31:02");
            } else if (item == path("IMG_2.jpg")) {
                dates.emplace_back("2024:07:15 09:00:00");
            } else if (item == path("zebra.JPG")) {
                dates.emplace_back("2023:01:01 00:00:00");
            } else {
                dates.emplace_back(std::nullopt);
            }
        }
        return std::optional(dates);
    });

    for (const char* action : GetParam().actions) trigger(action);

    EXPECT_EQ(list(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, SortTest, testing::ValuesIn(kSortCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ListOrderTest, SortsRealPhotosByTheDateTheyWereTakenUndatedLast) {
    numberFromOne();
    media::MakeJpeg(path("late.jpg"), {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:31:02"}});
    media::MakeJpeg(path("a_none.jpg"));
    media::MakeJpeg(path("early.jpg"), {{"Exif.Photo.DateTimeOriginal", "2019:03:01 08:00:00"}});
    media::MakeJpeg(path("mid.jpg"), {{"Exif.Image.DateTime", "2020:01:01 00:00:00"},
                                      {"Exif.Photo.DateTimeDigitized", "2021:05:05 12:00:00"}});
    for (const char* name : {"late.jpg", "a_none.jpg", "early.jpg", "mid.jpg"}) session->addPath(path(name));
    trigger("wedugdatywykonaniazdjcia1");
    EXPECT_EQ(list(), "early.jpg=1early.jpg mid.jpg=2mid.jpg late.jpg=3late.jpg a_none.jpg=4a_none.jpg");
}

TEST_F(ListOrderTest, StoppedReadingOfDatesLeavesTheOrder) {
    numberFromOne();
    for (const char* name : {"b", "a"}) session->addPath(path(name));
    int asked = 0;
    session->setDatesTakenReader([&](const std::vector<std::string>& paths) {
        asked = static_cast<int>(paths.size());
        return std::optional<std::vector<std::optional<std::string>>>();
    });
    trigger("wedugdatywykonaniazdjcia1");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(list(), "b=1b a=2a");
}

// Dates read while the user changed the list belong to another list.
TEST_F(ListOrderTest, DatesReadWhileTheListChangedAreNotUsed) {
    numberFromOne();
    for (const char* name : {"b", "a"}) session->addPath(path(name));
    session->setDatesTakenReader([&](const std::vector<std::string>&) {
        selectRows({1});
        trigger("Przesudogry1");
        return std::optional(std::vector<std::optional<std::string>>{std::nullopt, "2024:01:01 00:00:00"});
    });
    trigger("wedugdatywykonaniazdjcia1");
    EXPECT_EQ(list(), "a=1a b=2b");
}

// A list with an entry added since its last sort is no longer in that order:
// the same sort goes up again.
TEST_F(ListOrderTest, SortAfterAddingAscendsAgain) {
    numberFromOne();
    for (const char* name : {"b", "c"}) session->addPath(path(name));
    trigger("wedugnazwy1");
    session->addPath(path("a"));
    trigger("wedugnazwy1");
    EXPECT_EQ(list(), "a=1a b=2b c=3c");
}

// Renaming "a" to "a1" fails while "a1" is still there, not once it has gone.
TEST_F(ListOrderTest, ConflictMarksFollowTheSortedOrder) {
    check("CheckBox9");
    type("Edit3", QStringLiteral("1"));
    check("RadioButton5");
    makeFile("a1", 1, 1000);
    makeFile("a", 1, 1000);
    session->addPath(path("a1"));
    session->addPath(path("a"));
    waitForMarks();
    ASSERT_EQ(markedRows(), std::vector<int>{});
    selectRows({1});

    trigger("wedugnazwy1");
    waitForMarks();
    EXPECT_EQ(list(), "a=a1 a1=a11");
    EXPECT_EQ(markedRows(), std::vector<int>{0});
    // The selection moved with its entry.
    EXPECT_EQ(selectedRows(), std::vector<int>{0});

    trigger("wedugnazwy1");
    waitForMarks();
    EXPECT_EQ(list(), "a1=a11 a=a1");
    EXPECT_EQ(markedRows(), std::vector<int>{});
}

// --- Dragging within the list.

struct DragCase {
    const char* label;
    std::vector<int> selected;
    int dropOn;      // the row the drop lands on
    bool lowerHalf;  // in the lower half of that row
    const char* after;
    std::vector<int> selectedAfter;
};

// clang-format off
const DragCase kDragCases[] = {
    {"BlockUp", {3, 4}, 1, false, "K=1K N=2N O=3O L=4L M=5M", {1, 2}},
    {"ScatteredDown", {0, 2}, 3, true, "L=1L N=2N K=3K M=4M O=5O", {2, 3}},
    {"ToTheEnd", {0}, 4, true, "L=1L M=2M N=3N O=4O K=5K", {4}},
    {"OntoItselfStays", {2}, 2, false, "K=1K L=2L M=3M N=4N O=5O", {2}},
};
// clang-format on

class DragTest : public ListOrderTest, public testing::WithParamInterface<DragCase> {};

TEST_P(DragTest, MovesTheSelectionAsABlock) {
    const DragCase& c = GetParam();
    numberFromOne();
    for (const char* name : {"K", "L", "M", "N", "O"}) session->addPath(path(name));
    mainWindow->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
    selectRows(c.selected);

    FileListView* view = mainWindow->fileListView;
    const QRect row = view->visualRect(session->entryList().index(c.dropOn));
    const QPoint at(row.left() + 5, c.lowerHalf ? row.bottom() - 1 : row.top() + 1);
    const std::unique_ptr<QMimeData> data(view->selectionDragData());
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);

    EXPECT_EQ(list(), c.after);
    EXPECT_EQ(selectedRows(), c.selectedAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, DragTest, testing::ValuesIn(kDragCases),
                         [](const auto& info) { return std::string(info.param.label); });

// Items dragged in from another program are not the list's to move: the view
// leaves them to the window, which takes them to add them; the rows of
// another view are nobody's here.
TEST_F(ListOrderTest, ForeignDragIsLeftToTheWindow) {
    session->addPath(path("K"));
    QWidget* viewport = mainWindow->fileListView->viewport();
    QMimeData uris;
    uris.setData(QStringLiteral("text/uri-list"), QByteArray("file:///tmp/x\r\n"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());

    FileListView other;
    const std::unique_ptr<QMimeData> otherData(other.selectionDragData());
    QDragEnterEvent otherEnter(QPoint(5, 5), Qt::MoveAction, otherData.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &otherEnter);
    EXPECT_FALSE(otherEnter.isAccepted());
}

// --- Selecting.

struct SelectCase {
    const char* label;
    const char* action;
    std::vector<int> selectedBefore;
    std::vector<QString> masks;  // typed in turn into the mask dialog; then cancelled
    std::vector<int> selectedAfter;
    std::vector<QString> messages;  // the messages shown
};

const QString kNoMask = QStringLiteral("Nie podano żadnej maski. Wpisz na przykład *.jpg;*.jpeg");

// The list: .a.swp, b.JPG, c.jpeg, miniatury (a folder), .cache/d.jpg, e.png.
// clang-format off
const SelectCase kSelectCases[] = {
    {"Hidden", "ukryte1", {1}, {}, {0, 4}, {}},
    {"Folders", "foldery1", {}, {}, {3}, {}},
    {"ByMask", "wedugmaski1", {0}, {QStringLiteral("*.JPG;*.jpeg")}, {1, 2, 4}, {}},
    {"ByMaskWithPolishCapitals", "wedugmaski1", {}, {QStringLiteral("MINIATURY")}, {3}, {}},
    {"EmptyMaskExplainedAndAskedAgain", "wedugmaski1", {}, {QStringLiteral(" "), QStringLiteral("?.png")}, {5}, {kNoMask}},
    {"BadMaskExplainedThenCancelled", "wedugmaski1", {2}, {QStringLiteral("x/*.jpg")}, {2},
     {QStringLiteral("Maska „x/*.jpg” zawiera znak „/”, którego nie ma w żadnej nazwie pliku ani katalogu.")}},
    {"All", "wszystko1", {1}, {}, {0, 1, 2, 3, 4, 5}, {}},
    {"Inverted", "odwrzaznaczenie1", {0, 2, 3}, {}, {1, 4, 5}, {}},
};
// clang-format on

class SelectTest : public ListOrderTest, public testing::WithParamInterface<SelectCase> {
protected:
    void SetUp() override {
        ListOrderTest::SetUp();
        for (const char* name : {".a.swp", "b.JPG", "c.jpeg", ".cache/d.jpg", "e.png"})
            GuiTest::makeFile(name);
        makeFolder("miniatury");
        for (const char* name : {".a.swp", "b.JPG", "c.jpeg", "miniatury", ".cache/d.jpg", "e.png"}) {
            session->addPath(path(name));
        }
    }
};

TEST_P(SelectTest, SelectsExactlyThePickedEntries) {
    const SelectCase& c = GetParam();
    std::vector<QString> typed = c.masks;
    std::vector<QString> shown;
    kestrix::ui::dialogSeams().askMasks = [&](QWidget*, const QString& masks) -> std::optional<QString> {
        shown.push_back(masks);
        if (typed.empty()) return std::nullopt;
        const QString next = typed.front();
        typed.erase(typed.begin());
        return next;
    };
    selectRows(c.selectedBefore);

    trigger(c.action);

    EXPECT_EQ(selectedRows(), c.selectedAfter);
    std::vector<QString> messages;
    for (const Asked& question : asked) messages.push_back(question.text);
    EXPECT_EQ(messages, c.messages);
    // The dialog starts from the usual photo masks, and shows again what was typed.
    if (!shown.empty()) EXPECT_EQ(shown.front(), QStringLiteral("*.jpg;*.jpeg"));
    if (shown.size() > 1) EXPECT_EQ(shown[1], c.masks.front());
}

INSTANTIATE_TEST_SUITE_P(Cases, SelectTest, testing::ValuesIn(kSelectCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ListOrderTest, MaskDialogGivesTheMasksTyped) {
    MaskDialog dialog(QStringLiteral("*.jpg;*.jpeg"), mainWindow);
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("*.jpg;*.jpeg"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("Maski nazw, rozdzielone średnikami (np. *.jpg;*.jpeg) :"));
    edit->setText(QStringLiteral("*.png"));
    dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.masks(), QStringLiteral("*.png"));
}

TEST_F(ListOrderTest, SelectedByConflictThenRemoved) {
    check("CheckBox9");
    type("Edit3", QStringLiteral("1"));
    check("RadioButton5");
    for (const char* name : {"a", "a1", "b"}) {
        makeFile(name, 1, 1000);
        session->addPath(path(name));
    }
    waitForMarks();
    trigger("zkonfliktem1");
    EXPECT_EQ(selectedRows(), std::vector<int>{0});
    trigger("Usu1");
    EXPECT_EQ(list(), "a1=a11 b=b1");
}

TEST_F(ListOrderTest, CtrlASelectsAllInTheList) {
    for (const char* name : {"a", "b", "c"}) session->addPath(path(name));
    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    mainWindow->fileListView->setFocus();
    QTest::keyClick(mainWindow->fileListView, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (std::vector<int>{0, 1, 2}));
}

// --- Zero-padded numbers once entries are added.

enum class AddingWay { FileDialog, Drop, DroppedFolder, FolderChooser };

class PaddingTest : public ListOrderTest, public testing::WithParamInterface<AddingWay> {};

// Twelve entries numbered from 0 with zeros: two digits each, as the count of
// 12 says, however the entries came (a dropped folder's own entry comes last).
TEST_P(PaddingTest, NumbersTakeTheWidthOfTheWholeList) {
    check("CheckBox7");
    type("Edit8", QStringLiteral("0"));
    check("RadioButton7");
    check("CheckBox11");
    const std::string names = "abcdefghijkl";
    std::vector<std::string> paths;
    for (char name : names) {
        GuiTest::makeFile(std::string("in/") + name);
        paths.push_back(path(std::string("in/") + name));
    }

    switch (GetParam()) {
        case AddingWay::FileDialog:
            for (const std::string& item : paths) dialogFiles << QString::fromStdString(item);
            mainWindow->addFilesButton->click();
            break;
        case AddingWay::Drop:
            mainWindow->addDroppedPaths(paths);
            break;
        case AddingWay::DroppedFolder:
            answers = {QMessageBox::Yes};
            mainWindow->addDroppedPaths({path("in")});
            break;
        case AddingWay::FolderChooser:
            session->addFolderContents(path("in"), {.recurse = false, .folders = false, .files = true});
            break;
    }

    EXPECT_EQ(list(), GetParam() == AddingWay::DroppedFolder
                          ? "a=00a b=01b c=02c d=03d e=04e f=05f g=06g h=07h i=08i j=09j k=10k l=11l in=12in"
                          : "a=00a b=01b c=02c d=03d e=04e f=05f g=06g h=07h i=08i j=09j k=10k l=11l");
}

// An entry that takes the count to 10 widens the numbers before it.
TEST_F(ListOrderTest, OneMoreEntryWidensTheEarlierNumbers) {
    check("CheckBox7");
    type("Edit8", QStringLiteral("0"));
    check("RadioButton7");
    check("CheckBox11");
    for (char name : std::string("abcdefghi")) session->addPath(path(std::string(1, name)));
    EXPECT_EQ(list(), "a=0a b=1b c=2c d=3d e=4e f=5f g=6g h=7h i=8i");
    session->addPath(path("j"));
    EXPECT_EQ(list(), "a=00a b=01b c=02c d=03d e=04e f=05f g=06g h=07h i=08i j=09j");
}

INSTANTIATE_TEST_SUITE_P(Ways, PaddingTest,
                         testing::Values(AddingWay::FileDialog, AddingWay::Drop, AddingWay::DroppedFolder,
                                         AddingWay::FolderChooser),
                         [](const auto& info) {
                             switch (info.param) {
                                 case AddingWay::FileDialog:
                                     return std::string("FileDialog");
                                 case AddingWay::Drop:
                                     return std::string("Drop");
                                 case AddingWay::DroppedFolder:
                                     return std::string("DroppedFolder");
                                 default:
                                     return std::string("FolderChooser");
                             }
                         });

}  // namespace
