// Adding files through the dialog, by dropping them, and a folder's contents.
#include <cstring>
#include <string>
#include <vector>

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "../platform/test_support.h"
#include "../support/raw_uri_list.h"
#include "gui_fixture.h"
#include "platform/folders.h"

namespace {

class AddingTest : public GuiTest {
protected:
    // A drop as a file manager makes it: the raw "text/uri-list" bytes, each
    // path percent-encoded byte by byte (so names that are not UTF-8 keep
    // theirs). The drop handler must return before the question is asked and
    // anything is added; both follow as soon as the event loop runs.
    void drop(const std::vector<std::string>& paths) {
        QByteArray list;
        for (const auto& p : paths) {
            list += "file://" + QByteArray::fromStdString(p).toPercentEncoding("/") + "\r\n";
        }
        RawUriList mime(list);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mainWindow, &enter);
        ASSERT_TRUE(enter.isAccepted());
        const int before = session->entryCount();
        QDropEvent dropEvent(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mainWindow, &dropEvent);
        ASSERT_TRUE(dropEvent.isAccepted());
        ASSERT_TRUE(asked.empty()) << "asked inside the drop handler";
        ASSERT_EQ(session->entryCount(), before) << "added inside the drop handler";
        QCoreApplication::sendPostedEvents(mainWindow, QEvent::MetaCall);
    }

    // A small tree: A/f, A/B/g, A/.hidden, A/C/ (empty folder).
    void makeTree() {
        makeFile("A/f");
        makeFile("A/B/g");
        makeFile("A/.hidden");
        makeFolder("A/C");
    }

    std::vector<std::string> relative(const std::vector<std::string>& paths) const {
        std::vector<std::string> result;
        const std::string root = path("");  // ends with "/"
        for (const auto& p : paths)
            result.push_back(p.substr(0, root.size()) == root ? p.substr(root.size()) : p);
        return result;
    }
    std::vector<std::string> relativeCurrentPaths() const { return relative(currentPaths()); }
};

TEST_F(AddingTest, DialogAppendsTheChosenFilesAtTheEndAndMovesTheCurrentFolder) {
    for (const char* name : {"a", "b", "c", "d", "e"}) makeFile(std::string("in/") + name);
    mainWindow->addDroppedPaths({path("in/a"), path("in/b"), path("in/c")});
    dialogFiles = {QString::fromStdString(path("in/d")), QString::fromStdString(path("in/e"))};
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"in/a", "in/b", "in/c", "in/d", "in/e"}));
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
    EXPECT_EQ(QDir(QString::fromStdString(kestrix::platform::CurrentFolder())).canonicalPath(),
              QDir(QString::fromStdString(path("in"))).canonicalPath());
}

TEST_F(AddingTest, CancelledDialogChangesNothing) {
    dialogFiles = {};
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);
    EXPECT_EQ(session->entryCount(), 0);
    EXPECT_FALSE(mainWindow->applyButton->isEnabled());
}

TEST_F(AddingTest, DialogRemovesLaterEqualEntriesAcrossTheWholeList) {
    makeFile("x");
    makeFile("y");
    // Dropped twice: equal entries stay until the dialog next adds files.
    mainWindow->addDroppedPaths({path("x"), path("y"), path("x")});
    EXPECT_EQ(session->entryCount(), 3);
    dialogFiles = {QString::fromStdString(path("y"))};
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"x", "y"}));
}

// The entries behind a removed duplicate take the numbers of their new places
// at once, even while the preview waits for the options window to close.
TEST_F(AddingTest, DialogRenumbersWhatFollowsARemovedDuplicate) {
    for (const char* name : {"x", "y", "z"}) makeFile(name);
    check("RadioGroup1Item1");  // the preview follows the closing of the options window
    mainWindow->addDroppedPaths({path("x"), path("y"), path("x")});
    check("CheckBox7");
    type("Edit8", QStringLiteral("1"));
    check("RadioButton8");
    ASSERT_EQ(relative(proposedPaths()), (std::vector<std::string>{"x", "y", "x"})) << "not previewed yet";

    dialogFiles = {QString::fromStdString(path("z"))};
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);

    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(relative(proposedPaths()), (std::vector<std::string>{"x1", "y2", "z3"}));
}

TEST_F(AddingTest, DroppedFolderAnsweredNoAddsOnlyItsOwnEntry) {
    makeTree();
    answers = {QMessageBox::No};
    drop({path("A")});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Zapytanie"));
    EXPECT_EQ(asked[0].text,
              QStringLiteral("Do dodania na listę wybrano katalog, czy dodać też jego zawartość ?"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Information);
    EXPECT_EQ(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked[0].owner, mainWindow);
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"A"}));
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
}

TEST_F(AddingTest, DroppedFolderAnsweredYesAddsItsTreeFolderFirstThenItself) {
    makeTree();
    makeFile("loose.txt");
    answers = {QMessageBox::Yes};
    drop({path("loose.txt"), path("A")});
    EXPECT_EQ(asked.size(), 1u) << "one question, for the folder only";
    EXPECT_EQ(relativeCurrentPaths(),
              (std::vector<std::string>{"loose.txt", "A/.hidden", "A/B", "A/B/g", "A/C", "A/f", "A"}));
    EXPECT_EQ(
        folderContentsAdded,
        (std::vector<kestrix::session::FolderContents>{{.recurse = true, .folders = true, .files = true}}));
}

TEST_F(AddingTest, AddedFoldersHaveNoExtensionInThePreview) {
    makeFile("D. Podsiadło - Małomiasteczkowy/CD.1/01. Nim zajdzie słońce.flac");
    kestrix::RenameOptions options;
    options.ChangeExtension = true;
    options.NewExtension = "mp3";
    session->setOptions(options);
    const std::vector<std::string> expected{
        "D. Podsiadło - Małomiasteczkowy/CD.1",
        "D. Podsiadło - Małomiasteczkowy/CD.1/01. Nim zajdzie słońce.mp3",
        "D. Podsiadło - Małomiasteczkowy",
    };
    answers = {QMessageBox::Yes};
    drop({path("D. Podsiadło - Małomiasteczkowy")});
    EXPECT_EQ(relative(proposedPaths()), expected) << "as added";
    session->refreshPreview();
    EXPECT_EQ(relative(proposedPaths()), expected) << "refreshed";
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
        mainWindow->clearList();
        session->addFolderContents(path("A") + "/",
                                   {.recurse = c.recurse, .folders = c.folders, .files = c.files});
        EXPECT_EQ(relativeCurrentPaths(), c.expected) << c.recurse << c.folders << c.files;
    }
}

TEST_F(AddingTest, LinkLoopsGetAnEntryButAreNeverDescendedInto) {
    makeFile("A/f");
    ASSERT_EQ(symlink("..", path("A/loop").c_str()), 0);
    session->addFolderContents(path("A") + "/", {.recurse = true, .folders = true, .files = true});
    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"A/f", "A/loop"}));
}

TEST_F(AddingTest, FolderThatCannotBeReadAddsNothing) {
    session->addFolderContents(path("missing") + "/", {.recurse = true, .folders = true, .files = true});
    EXPECT_EQ(session->entryCount(), 0);
    // A dropped folder that vanished is no folder any more: it gets its entry, no question.
    mainWindow->addDroppedPaths({path("gone")});
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(session->entryCount(), 1);
}

TEST_F(AddingTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string name = std::string("bad\xff\xfe") + "name";
    makeFile("A/" + name);
    session->addFolderContents(path("A/"), {.recurse = false, .folders = false, .files = true});
    ASSERT_EQ(session->entryCount(), 1);
    EXPECT_EQ(currentPaths()[0], path("A/") + name);
    EXPECT_EQ(proposedPaths()[0], path("A/") + name);
}

// A name that is not UTF-8 and its look-alike: the same name spelled with
// U+FFFD, which is how text shows the first one.
const std::string kLatin1Name = "caf\xE9.TXT";
const std::string kLookAlikeName = "caf\xEF\xBF\xBD.TXT";

TEST_F(AddingTest, ADroppedNameThatIsNotUtf8NamesItsOwnFileAndRenamesOnlyThat) {
    makeFile(kLatin1Name, "latin-1");
    makeFile(kLookAlikeName, "look-alike");
    drop({path(kLatin1Name)});
    EXPECT_EQ(currentPaths(), (std::vector<std::string>{path(kLatin1Name)}));

    check("CheckBox1");  // lower case
    answers = {QMessageBox::Yes};
    mainWindow->applyRenames();
    waitForRun();
    EXPECT_EQ(kestrix::platform::testing::ReadFile(path("caf\xE9.txt")), "latin-1");
    EXPECT_FALSE(kestrix::platform::Exists(path(kLatin1Name)));
    EXPECT_EQ(kestrix::platform::testing::ReadFile(path(kLookAlikeName)), "look-alike");
}

TEST_F(AddingTest, ADialogNameThatIsNotUtf8IsFoundAgainInItsFolderAndRenamed) {
    // The folder's own name is not UTF-8 either.
    const std::string folder = "n\xFFo/";
    makeFile(folder + kLatin1Name, "latin-1");
    makeFile(folder + "other.TXT", "other");
    dialogFiles = {QFile::decodeName(QByteArray::fromStdString(path(folder + kLatin1Name)))};
    ASSERT_TRUE(dialogFiles[0].contains(QChar(QChar::ReplacementCharacter)));
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);
    EXPECT_EQ(currentPaths(), (std::vector<std::string>{path(folder + kLatin1Name)}));
    EXPECT_TRUE(asked.empty());

    check("CheckBox1");
    answers = {QMessageBox::Yes};
    mainWindow->applyRenames();
    waitForRun();
    EXPECT_EQ(kestrix::platform::testing::ReadFile(path(folder + "caf\xE9.txt")), "latin-1");
    EXPECT_EQ(kestrix::platform::testing::ReadFile(path(folder + "other.TXT")), "other");
}

TEST_F(AddingTest, ADialogNameThatFitsTwoFilesAddsNeitherAndSaysSo) {
    makeFile(kLatin1Name, "latin-1");
    makeFile(kLookAlikeName, "look-alike");
    makeFile("plain.txt");
    // Both read as this text; the dialog cannot say which one was picked.
    const QString ambiguous = QFile::decodeName(QByteArray::fromStdString(path(kLatin1Name)));
    dialogFiles = {ambiguous, QString::fromStdString(path("plain.txt"))};
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);

    EXPECT_EQ(currentPaths(), (std::vector<std::string>{path("plain.txt")}));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].owner, mainWindow);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Błąd"));
    EXPECT_TRUE(asked[0].text.startsWith(QStringLiteral("Tych plików nie dodano do listy")));
    EXPECT_TRUE(asked[0].text.endsWith(QLatin1Char('\n') + ambiguous));
    EXPECT_EQ(kestrix::platform::testing::ReadFile(path(kLatin1Name)), "latin-1");
    EXPECT_EQ(kestrix::platform::testing::ReadFile(path(kLookAlikeName)), "look-alike");
}

TEST_F(AddingTest, ANameSpelledWithTheReplacementCharacterItselfIsAddedWhenAlone) {
    makeFile(kLookAlikeName);
    dialogFiles = {QString::fromStdString(path(kLookAlikeName))};
    QTest::mouseClick(mainWindow->addFilesButton, Qt::LeftButton);
    EXPECT_EQ(currentPaths(), (std::vector<std::string>{path(kLookAlikeName)}));
    EXPECT_TRUE(asked.empty());
}

// Removes a tree of any depth, one folder at a time relative to its parent.
void RemoveTree(int parent, const char* name) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        for (const auto& item : kestrix::platform::ListFolderAt(fd)) {
            if (item.isFolder && !item.isLink) {
                RemoveTree(fd, item.name.c_str());
            } else {
                unlinkat(fd, item.name.c_str(), 0);
            }
        }
        close(fd);
    }
    unlinkat(parent, name, AT_REMOVEDIR);
}

TEST_F(AddingTest, ATreeDeeperThanTheLongestPathIsListedOrReportedItemByItem) {
    // 50 folders of 100-byte names, one inside the other, each holding a file
    // "f": a hundred items below T, the deeper ones too long to rename.
    constexpr int kDepth = 50;
    const std::string name(100, 'd');
    makeFolder("T");
    int fd = open(path("T").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < kDepth; ++level) {
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0) << level;
        const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(child, 0) << level;
        close(fd);
        fd = child;
        const int file = openat(fd, "f", O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(file, 0) << level;
        close(file);
    }
    close(fd);

    // Walked folder first, its contents, then its file; the dropped folder last.
    std::vector<std::string> all;
    std::string folder = path("T");
    for (int level = 0; level < kDepth; ++level) all.push_back(folder += "/" + name);
    for (int level = kDepth; level > 0; --level) {
        all.push_back(all[level - 1] + "/f");
    }
    all.push_back(path("T"));
    std::vector<std::string> renamable;
    for (const std::string& p : all) {
        if (p.size() <= 4095) renamable.push_back(p);
    }
    const std::size_t tooLong = all.size() - renamable.size();
    ASSERT_GT(tooLong, 0u);

    answers = {QMessageBox::Yes};
    drop({path("T")});
    EXPECT_EQ(currentPaths(), renamable);
    ASSERT_EQ(asked.size(), 2u) << "the folder question, then one report";
    EXPECT_EQ(asked[1].owner, mainWindow);
    EXPECT_EQ(asked[1].caption, QStringLiteral("Błąd"));
    EXPECT_TRUE(asked[1].text.contains(QStringLiteral("dłuższa niż 4095 bajtów")));
    EXPECT_TRUE(asked[1].text.contains(QStringLiteral("(razem: %1)").arg(tooLong)))
        << asked[1].text.toStdString();

    const int temp = open(QFile::encodeName(tempDir.path()).constData(), O_RDONLY | O_DIRECTORY);
    RemoveTree(temp, "T");
    close(temp);
}

// Folders dropped together: each question offers its answer for the folders
// still to come, so that an answer for all is the last question.
TEST_F(AddingTest, SeveralDroppedFoldersAreAskedAboutOnceWhenAnsweredForAll) {
    const auto Yes = QMessageBox::Yes, No = QMessageBox::No;
    struct Case {
        const char* label;
        std::vector<QMessageBox::StandardButton> answers;
        std::size_t questions;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"yes to all", {QMessageBox::YesToAll}, 1, {"P/p", "P", "Q/q", "Q", "R/r", "R"}},
        {"no to all", {QMessageBox::NoToAll}, 1, {"P", "Q", "R"}},
        {"one by one", {Yes, No, Yes}, 3, {"P/p", "P", "Q", "R/r", "R"}},
        {"the first alone, then no to all", {Yes, QMessageBox::NoToAll}, 2, {"P/p", "P", "Q", "R"}},
    };
    for (const char* name : {"P/p", "Q/q", "R/r"}) makeFile(name);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        mainWindow->clearList();
        asked.clear();
        answers = c.answers;
        drop({path("P"), path("Q"), path("R")});
        EXPECT_EQ(relativeCurrentPaths(), c.entries);
        ASSERT_EQ(asked.size(), c.questions);
        EXPECT_EQ(
            asked[0].text,
            QStringLiteral("Do dodania na listę wybrano 3 katalogi, czy dodać też zawartość katalogu „P” ?"));
        EXPECT_EQ(asked[0].buttons,
                  QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll);
        if (c.questions == 3) {
            EXPECT_EQ(asked[2].buttons, QMessageBox::Yes | QMessageBox::No)
                << "nothing left for an answer for all";
        }
    }
}

// FIFOs, sockets and device nodes are no items to rename: whether dropped or
// met inside a dropped folder, they are left out and named in one message.
TEST_F(AddingTest, LeavesOutFifosSocketsAndDevicesAndNamesThemOnce) {
    makeFile("A/f");
    ASSERT_EQ(mkfifo(path("A/pipe").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(path("loose pipe").c_str(), 0644), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = path("A/socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path)
        << "the test folder's path is too long for a socket";
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    answers = {QMessageBox::Yes};
    drop({path("A"), path("loose pipe"), "/dev/null"});
    close(listener);

    EXPECT_EQ(relativeCurrentPaths(), (std::vector<std::string>{"A/f", "A"}));
    ASSERT_EQ(asked.size(), 2u) << "the folder question, then one report";
    EXPECT_EQ(asked[1].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(asked[1].text,
              QStringLiteral(
                  "Tych elementów nie dodano do listy, bo są potokami, gniazdami lub plikami urządzeń, a "
                  "nie zwykłymi plikami ani katalogami (razem: 4):\n\n") +
                  QString::fromStdString(path("A/pipe") + "\n" + path("A/socket") + "\n" +
                                         path("loose pipe") + "\n/dev/null"));
}

}  // namespace
