// Adding files through the dialog, by dropping them, and a folder's contents.
#include <unistd.h>

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QToolButton>
#include <QTest>
#include <QUrl>

#include "filelist/file_list_model.h"
#include "gui_fixture.h"
#include "platform/folders.h"

namespace {

class AddingTest : public GuiTest {
protected:
    void drop(const std::vector<std::string>& paths) {
        QList<QUrl> urls;
        for (const auto& p : paths) urls.append(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(p))));
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form1, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropEvent(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form1, &dropEvent);
    }

    // A small tree: A/f, A/B/g, A/.hidden, A/C/ (empty folder).
    void makeTree() {
        makeFile("A/f");
        makeFile("A/B/g");
        makeFile("A/.hidden");
        makeFolder("A/C");
    }

    std::vector<std::string> relativeCurrentPaths() const {
        std::vector<std::string> relative;
        const std::string root = path("");  // ends with "/"
        for (const auto& p : currentPaths()) relative.push_back(p.substr(0, root.size()) == root ? p.substr(root.size()) : p);
        return relative;
    }
};

TEST_F(AddingTest, DialogAppendsTheChosenFilesAtTheEndAndMovesTheCurrentFolder) {
    for (const char* name : {"a", "b", "c", "d", "e"}) makeFile(std::string("in/") + name);
    form1->AddDroppedFiles({path("in/a"), path("in/b"), path("in/c")});
    dialogFiles = {QString::fromStdString(path("in/d")), QString::fromStdString(path("in/e"))};
    QTest::mouseClick(form1->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"in/a", "in/b", "in/c", "in/d", "in/e"}));
    EXPECT_TRUE(form1->ToolButton4->isEnabled());
    EXPECT_EQ(QDir(QString::fromStdString(kestrix::platform::CurrentFolder())).canonicalPath(),
              QDir(QString::fromStdString(path("in"))).canonicalPath());
}

TEST_F(AddingTest, CancelledDialogChangesNothing) {
    dialogFiles = {};
    QTest::mouseClick(form1->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(form1->entryCount(), 0);
    EXPECT_FALSE(form1->ToolButton4->isEnabled());
}

TEST_F(AddingTest, DialogRemovesLaterEqualEntriesAcrossTheWholeList) {
    makeFile("x");
    makeFile("y");
    // Dropped twice: equal entries stay until the dialog next adds files.
    form1->AddDroppedFiles({path("x"), path("y"), path("x")});
    EXPECT_EQ(form1->entryCount(), 3);
    dialogFiles = {QString::fromStdString(path("y"))};
    QTest::mouseClick(form1->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"x", "y"}));
}

TEST_F(AddingTest, DroppedFolderAnsweredNoAddsOnlyItsOwnEntry) {
    makeTree();
    answers = {QMessageBox::No};
    drop({path("A")});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Zapytanie"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Do dodania na listę wybrano katalog, czy dodać też jego zawartość ?"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Information);
    EXPECT_EQ(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked[0].owner, form1);
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"A"}));
    EXPECT_TRUE(form1->ToolButton4->isEnabled());
}

TEST_F(AddingTest, DroppedFolderAnsweredYesAddsItsTreeFolderFirstThenItself) {
    makeTree();
    makeFile("loose.txt");
    answers = {QMessageBox::Yes};
    drop({path("loose.txt"), path("A")});
    EXPECT_EQ(asked.size(), 1u) << "one question, for the folder only";
    EXPECT_EQ(relativeCurrentPaths(),
              (std::vector<std::string>{"loose.txt", "A/.hidden", "A/B", "A/B/g", "A/C", "A/f", "A"}));
    EXPECT_TRUE(form1->RecurseFolders && form1->AddFolders && form1->AddFiles);
}

TEST_F(AddingTest, FolderContentsFollowTheThreeFlags) {
    makeTree();
    struct Case {
        bool recurse, folders, files;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {false, false, true, {"A/.hidden", "A/f"}},
        {true, false, true, {"A/.hidden", "A/B/g", "A/f"}},
        {false, true, false, {"A/B", "A/C"}},
        {true, true, false, {"A/B", "A/C"}},
        {true, true, true, {"A/.hidden", "A/B", "A/B/g", "A/C", "A/f"}},
        {true, false, false, {}},
    };
    for (const Case& c : cases) {
        form1->ToolButton5Click();
        form1->RecurseFolders = c.recurse;
        form1->AddFolders = c.folders;
        form1->AddFiles = c.files;
        form1->AddFolderContents(path("A") + "/");
        EXPECT_EQ(relativeCurrentPaths(), c.expected) << c.recurse << c.folders << c.files;
    }
}

TEST_F(AddingTest, LinkLoopsGetAnEntryButAreNeverDescendedInto) {
    makeFile("A/f");
    ASSERT_EQ(symlink("..", path("A/loop").c_str()), 0);
    form1->RecurseFolders = form1->AddFolders = form1->AddFiles = true;
    form1->AddFolderContents(path("A") + "/");
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"A/f", "A/loop"}));
}

TEST_F(AddingTest, FolderThatCannotBeReadAddsNothing) {
    form1->RecurseFolders = form1->AddFolders = form1->AddFiles = true;
    form1->AddFolderContents(path("missing") + "/");
    EXPECT_EQ(form1->entryCount(), 0);
    // A dropped folder that vanished is no folder any more: it gets its entry, no question.
    form1->AddDroppedFiles({path("gone")});
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(form1->entryCount(), 1);
}

TEST_F(AddingTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string name = std::string("bad\xff\xfe") + "name";
    makeFile("A/" + name);
    form1->AddFiles = true;
    form1->RecurseFolders = form1->AddFolders = false;
    form1->AddFolderContents(path("A/"));
    ASSERT_EQ(form1->entryCount(), 1);
    EXPECT_EQ(currentPaths()[0], path("A/") + name);
    EXPECT_EQ(proposedPaths()[0], path("A/") + name);
}

}  // namespace
