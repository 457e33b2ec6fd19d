// The folder chooser on a real folder tree: its lists, walking the tree, and
// what OK adds to the main window's list.
#include <filesystem>
#include <functional>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "folderchooser/drive_combo_box.h"
#include "folderchooser/folder_chooser.h"
#include "gui_fixture.h"
#include "platform/folders.h"

namespace {

QString Shown(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

class ChooserTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        startFolder_ = kestrix::platform::CurrentFolder();
        // The process's current folder is the physical path: compare with that.
        base = std::filesystem::canonical(path("")).string() + "/";
        ASSERT_TRUE(kestrix::platform::SetCurrentFolder(base));
    }

    void TearDown() override {
        kestrix::platform::SetCurrentFolder(startFolder_);
        GuiTest::TearDown();
    }

    static std::vector<std::string> rows(const FolderChooser& chooser) {
        std::vector<std::string> names;
        for (int row = 0; row < chooser.folderList->count(); ++row)
            names.push_back(chooser.folderRowName(row));
        return names;
    }

    static int rowOf(const FolderChooser& chooser, const std::string& name) {
        for (int row = 0; row < chooser.folderList->count(); ++row) {
            if (chooser.folderRowName(row) == name) return row;
        }
        return -1;
    }

    // A real double click on the row of `name` in a shown chooser.
    static void doubleClick(FolderChooser& chooser, const std::string& name) {
        const int row = rowOf(chooser, name);
        ASSERT_GE(row, 0) << name;
        const QRect box = chooser.folderList->visualItemRect(chooser.folderList->item(row));
        QTest::mouseClick(chooser.folderList->viewport(), Qt::LeftButton, {}, box.center());
        QTest::mouseDClick(chooser.folderList->viewport(), Qt::LeftButton, {}, box.center());
    }

    // The chooser the main window has open, if any.
    FolderChooser* openedChooser() const { return mainWindow->findChild<FolderChooser*>(); }

    // Presses ToolButton2 and runs `operate` on the modal chooser once it is
    // open; the chooser is cancelled afterwards if `operate` left it open.
    void openChooser(const std::function<void(FolderChooser&)>& operate) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            FolderChooser* opened = openedChooser();
            ASSERT_NE(opened, nullptr);
            EXPECT_TRUE(opened->isVisible());
            operate(*opened);
            if (opened->isVisible()) opened->cancelClicked();
        });
        mainWindow->openFolderChooser();
        EXPECT_TRUE(ran);
        EXPECT_EQ(openedChooser(), nullptr) << "gone once it has closed";
    }

    std::string base;  // the temporary folder, as the process sees it, ending with '/'

private:
    std::string startFolder_;
};

TEST_F(ChooserTest, StartsInTheCurrentFolderListingItsSubfoldersWithoutRegardToCase) {
    // Made by bytes: a name that is not valid UTF-8 would not survive a QString.
    for (const char* folder : {"beta", "Alpha", ".hidden", "gamma", "Zeta", "zażółć", "bad\xff"}) {
        std::filesystem::create_directory(base + folder);
    }
    makeFile("file.txt");
    std::filesystem::create_directory_symlink(base + "beta", base + "link-to-beta");
    std::filesystem::create_symlink(base + "file.txt", base + "link-to-file");

    FolderChooser chooser(*session, mainWindow);
    EXPECT_EQ(rows(chooser), (std::vector<std::string>{"..", ".hidden", "Alpha", "bad\xff", "beta", "gamma",
                                                       "link-to-beta", "zażółć", "Zeta"}));
    EXPECT_EQ(chooser.folderList->item(7)->text(), QStringLiteral("zażółć"));
    EXPECT_EQ(chooser.folderList->currentRow(), 0);
    EXPECT_TRUE(chooser.folderList->item(0)->isSelected());
    EXPECT_EQ(chooser.currentFolder(), base);
    EXPECT_EQ(chooser.chosenFolder(), base);
    EXPECT_EQ(chooser.chosenFolderEdit->text(), Shown(base));
    EXPECT_EQ(chooser.chosenFolderEdit->toolTip(), Shown(base));
    // "/" is always a listed disk.
    EXPECT_GE(chooser.diskBox->findText(QStringLiteral("/")), 0);
}

TEST_F(ChooserTest, ClickChoosesAFolderAndDoubleClickWalksTheTree) {
    makeFolder("beta/inner");
    std::filesystem::create_directories(base + "bad\xff/x");
    FolderChooser chooser(*session, mainWindow);
    chooser.show();

    // One click chooses the subfolder without entering it.
    const int beta = rowOf(chooser, "beta");
    QTest::mouseClick(chooser.folderList->viewport(), Qt::LeftButton, {},
                      chooser.folderList->visualItemRect(chooser.folderList->item(beta)).center());
    EXPECT_EQ(chooser.chosenFolder(), base + "beta/");
    EXPECT_EQ(chooser.chosenFolderEdit->toolTip(), Shown(base + "beta/"));
    EXPECT_EQ(chooser.currentFolder(), base);
    EXPECT_EQ(kestrix::platform::CurrentFolder() + "/", base);

    doubleClick(chooser, "beta");
    EXPECT_EQ(chooser.currentFolder(), base + "beta/");
    EXPECT_EQ(kestrix::platform::CurrentFolder() + "/", base + "beta/");
    EXPECT_EQ(chooser.chosenFolderEdit->text(), Shown(base + "beta/"));
    EXPECT_EQ(rows(chooser), (std::vector<std::string>{"..", "inner"}));
    EXPECT_EQ(chooser.folderList->currentRow(), 0);

    doubleClick(chooser, "..");
    EXPECT_EQ(chooser.currentFolder(), base);
    EXPECT_EQ(kestrix::platform::CurrentFolder() + "/", base);

    // A name that is not valid UTF-8 is entered by its bytes.
    doubleClick(chooser, "bad\xff");
    EXPECT_EQ(chooser.currentFolder(), base + "bad\xff/");
    EXPECT_EQ(rows(chooser), (std::vector<std::string>{"..", "x"}));
}

TEST_F(ChooserTest, ParentOfTheRootIsTheRoot) {
    FolderChooser chooser(*session, mainWindow);
    const int root = chooser.diskBox->findText(QStringLiteral("/"));
    ASSERT_GE(root, 0);
    chooser.diskBox->setCurrentIndex(root);
    emit chooser.diskBox->activated(root);
    EXPECT_EQ(chooser.currentFolder(), "/");
    EXPECT_EQ(kestrix::platform::CurrentFolder(), "/");
    EXPECT_EQ(chooser.chosenFolderEdit->text(), QStringLiteral("/"));
    EXPECT_GE(rowOf(chooser, "tmp"), 1);

    chooser.folderList->setCurrentRow(0);
    chooser.folderDoubleClicked();
    EXPECT_EQ(chooser.currentFolder(), "/");
    EXPECT_EQ(kestrix::platform::CurrentFolder(), "/");
    EXPECT_EQ(chooser.chosenFolderEdit->text(), QStringLiteral("/"));
    EXPECT_GE(rowOf(chooser, "tmp"), 1);
}

TEST_F(ChooserTest, FolderThatCannotBeEnteredLeavesTheChooserWhereItWas) {
    // Tests run as root, whom no permission stops: the folder disappears
    // between listing and entering instead.
    makeFolder("gone");
    makeFolder("stays");
    FolderChooser chooser(*session, mainWindow);
    ASSERT_GE(rowOf(chooser, "gone"), 1);
    std::filesystem::remove(base + "gone");

    chooser.folderList->setCurrentRow(rowOf(chooser, "gone"));
    EXPECT_EQ(chooser.chosenFolder(), base + "gone/");
    chooser.folderDoubleClicked();
    EXPECT_EQ(chooser.currentFolder(), base);
    EXPECT_EQ(kestrix::platform::CurrentFolder() + "/", base);
    EXPECT_EQ(chooser.chosenFolder(), base);
    EXPECT_EQ(rows(chooser), (std::vector<std::string>{"..", "stays"}));
}

TEST_F(ChooserTest, OkAddsWhatTheCheckBoxesAsk) {
    makeFile("top.txt");
    makeFile("pick/a.txt");
    makeFile("pick/sub/b.txt");
    makeFile("pick/sub/deeper/c.txt");

    struct Case {
        const char* row;  // the row chosen before OK
        bool recurse, folders, files;
        std::vector<std::string> added;  // relative to the temporary folder; empty with the warning
    };
    const Case cases[] = {
        {"pick", false, false, true, {"pick/a.txt"}},
        {"pick", false, true, false, {"pick/sub"}},
        {"pick", false, true, true, {"pick/a.txt", "pick/sub"}},
        {"pick", true, false, true, {"pick/a.txt", "pick/sub/b.txt", "pick/sub/deeper/c.txt"}},
        {"pick", true, true, false, {"pick/sub", "pick/sub/deeper"}},
        {"pick",
         true,
         true,
         true,
         {"pick/a.txt", "pick/sub", "pick/sub/b.txt", "pick/sub/deeper", "pick/sub/deeper/c.txt"}},
        {"..", false, false, true, {"top.txt"}},
        {"pick", true, false, false, {}},
        {"pick", false, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " recurse " << c.recurse << " folders " << c.folders
                                        << " files " << c.files);
        session->entryList().setEntries({});
        mainWindow->applyButton->setEnabled(false);
        asked.clear();
        folderContentsAdded.clear();
        answers = {QMessageBox::Ok};
        const bool warned = c.added.empty();
        FolderChooser* chooser = nullptr;
        openChooser([&](FolderChooser& form) {
            chooser = &form;
            form.folderList->setCurrentRow(rowOf(form, c.row));
            form.recursiveBox->setChecked(c.recurse);
            form.addFoldersBox->setChecked(c.folders);
            form.addFilesBox->setChecked(c.files);
            QTest::mouseClick(form.okButton, Qt::LeftButton);
            EXPECT_EQ(form.isVisible(), warned);
        });

        std::vector<std::string> expected;
        for (const std::string& relative : c.added) expected.push_back(base + relative);
        EXPECT_EQ(currentPaths(), expected);
        EXPECT_EQ(mainWindow->applyButton->isEnabled(), !warned);
        if (warned) {
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].owner, chooser);
            EXPECT_EQ(asked[0].icon, QMessageBox::Warning);
            EXPECT_EQ(asked[0].caption, QStringLiteral("Informacja"));
            EXPECT_EQ(asked[0].text, QStringLiteral("Nie zaznaczono co dodać do listy"));
            EXPECT_EQ(asked[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        } else {
            EXPECT_TRUE(asked.empty());
            EXPECT_EQ(folderContentsAdded,
                      (std::vector<kestrix::session::FolderContents>{
                          {.recurse = c.recurse, .folders = c.folders, .files = c.files}}));
        }
    }
}

TEST_F(ChooserTest, NextOpeningStartsWhereTheLastWasLeftWithTheCheckBoxesReset) {
    makeFile("pick/a.txt");
    openChooser([&](FolderChooser& form) {
        doubleClick(form, "pick");
        form.recursiveBox->setChecked(true);
        form.addFoldersBox->setChecked(true);
        form.addFilesBox->setChecked(false);
        form.close();  // the title bar's close button
    });
    EXPECT_EQ(session->entryCount(), 0);
    EXPECT_FALSE(mainWindow->applyButton->isEnabled());

    mainWindow->addDroppedPaths({base + "pick/a.txt"});
    openChooser([&](FolderChooser& form) {
        EXPECT_EQ(form.currentFolder(), base + "pick/");
        EXPECT_EQ(form.chosenFolderEdit->text(), Shown(base + "pick/"));
        EXPECT_FALSE(form.recursiveBox->isChecked());
        EXPECT_FALSE(form.addFoldersBox->isChecked());
        EXPECT_TRUE(form.addFilesBox->isChecked());
        QTest::mouseClick(form.cancelButton, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
    });
    // Cancelling adds nothing and leaves the rename button as it was.
    EXPECT_EQ(session->entryCount(), 1);
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
}

TEST_F(ChooserTest, LayoutCaptionsAndTabOrder) {
    FolderChooser chooser(*session, mainWindow);
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Wybierz katalog z plikami"));
    EXPECT_EQ(chooser.minimumSize(), QSize(347, 407));
    EXPECT_EQ(chooser.maximumSize(), QSize(347, 407));
    EXPECT_TRUE(chooser.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(chooser.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    struct Control {
        QWidget* widget;
        QRect box;
        const char* caption;
        bool growsToItsText;  // in whatever font the desktop gives
    };
    const Control controls[] = {
        {chooser.chosenFolderLabel, {168, 8, 89, 13}, "Wybrany katalog : ", true},
        {chooser.diskBox, {8, 24, 153, 24}, "", false},
        {chooser.chosenFolderEdit, {168, 24, 161, 21}, "", false},
        {chooser.folderList, {8, 56, 321, 217}, "", false},
        {chooser.cancelButton, {8, 288, 113, 25}, "Anuluj", false},
        {chooser.okButton, {216, 288, 115, 25}, "OK", false},
        {chooser.optionsGroup, {16, 320, 313, 73}, "Opcje :", false},
        {chooser.recursiveBox, {16, 16, 97, 17}, "rekurencyjnie", true},
        {chooser.addFilesBox, {160, 16, 97, 17}, "dodaj pliki", true},
        {chooser.addFoldersBox, {160, 40, 105, 17}, "dodaj katalogi", true},
    };
    for (const Control& control : controls) {
        SCOPED_TRACE(control.widget->objectName().toStdString());
        QRect box = control.box;
        if (control.growsToItsText) box.setSize(box.size().expandedTo(control.widget->sizeHint()));
        EXPECT_EQ(control.widget->geometry(), box);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(control.widget)) caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) caption = button->text();
        if (auto* group = qobject_cast<QGroupBox*>(control.widget)) caption = group->title();
        EXPECT_EQ(caption, QString::fromUtf8(control.caption));
    }
    EXPECT_EQ(chooser.recursiveBox->parentWidget(), chooser.optionsGroup);
    EXPECT_TRUE(chooser.chosenFolderEdit->isReadOnly());

    std::vector<QWidget*> order;
    QWidget* widget = chooser.diskBox;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) order.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != chooser.diskBox);
    EXPECT_EQ(order, (std::vector<QWidget*>{chooser.diskBox, chooser.recursiveBox, chooser.addFoldersBox,
                                            chooser.addFilesBox, chooser.okButton, chooser.cancelButton,
                                            chooser.chosenFolderEdit, chooser.folderList}));
}

TEST_F(ChooserTest, RowsAreDrawnByTheChooserAndKeysPressNoButton) {
    makeFolder("one");
    mainWindow->show();
    FolderChooser chooser(*session, mainWindow);
    chooser.show();

    // Centred over the main window.
    mainWindow->move(40, 30);
    FolderChooser centred(*session, mainWindow);
    centred.show();
    const QRect main = mainWindow->frameGeometry();
    const QRect outer = centred.frameGeometry();
    EXPECT_EQ(outer.topLeft(), main.topLeft() + QPoint((main.width() - outer.width()) / 2,
                                                       (main.height() - outer.height()) / 2));

    EXPECT_EQ(chooser.folderList->visualItemRect(chooser.folderList->item(0)).height(), 16);
    EXPECT_EQ(chooser.diskBox->view()->sizeHintForRow(0), 18);
    const QImage rows = chooser.folderList->viewport()->grab().toImage();
    EXPECT_EQ(QColor(rows.pixel(200, 8)), QColor(215, 234, 255));  // ".." is selected
    EXPECT_EQ(QColor(rows.pixel(200, 24)), chooser.folderList->palette().color(QPalette::Base));

    // Neither Escape nor Enter closes the chooser or presses a button.
    chooser.addFilesBox->setChecked(false);
    chooser.okButton->setFocus();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(&chooser, key);
        QTest::keyClick(chooser.okButton, key);
    }
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_TRUE(asked.empty());
}

TEST_F(ChooserTest, ReturnEntersBackspaceGoesUpAndTypingFindsAName) {
    for (const char* folder : {"alfa", "beta", "bravo", "beta/inner"})
        std::filesystem::create_directory(base + folder);
    mainWindow->show();
    FolderChooser chooser(*session, mainWindow);
    chooser.show();
    chooser.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chooser));
    chooser.folderList->setFocus();

    QTest::keyClicks(chooser.folderList, "br");
    EXPECT_EQ(chooser.folderRowName(chooser.folderList->currentRow()), "bravo");
    EXPECT_EQ(chooser.chosenFolder(), base + "bravo/");
    EXPECT_EQ(chooser.currentFolder(), base) << "found, not entered";

    QTest::keyClick(chooser.folderList, Qt::Key_Up);
    QTest::keyClick(chooser.folderList, Qt::Key_Return);
    EXPECT_EQ(chooser.currentFolder(), base + "beta/");
    EXPECT_EQ(rows(chooser), (std::vector<std::string>{"..", "inner"}));

    QTest::keyClick(chooser.folderList, Qt::Key_Down);
    QTest::keyClick(chooser.folderList, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(chooser.currentFolder(), base + "beta/inner/");

    QTest::keyClick(chooser.folderList, Qt::Key_Backspace);
    QTest::keyClick(chooser.folderList, Qt::Key_Backspace);
    EXPECT_EQ(chooser.currentFolder(), base);
    EXPECT_EQ(chooser.chosenFolder(), base);
    EXPECT_TRUE(chooser.isVisible()) << "no key closes the chooser";
    EXPECT_TRUE(asked.empty());
}

}  // namespace
