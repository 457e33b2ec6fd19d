// The journal of runs through the real main window: a run that cannot be
// journaled, undo from the list's menu, and the question after a run that
// was cut off. Every file holds its own content, so the content-to-name map
// shows that nothing was lost or overwritten.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QListView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include "crash_child.h"
#include "gui_fixture.h"
#include "platform/rename.h"
#include "run/rename_run.h"
#include "ui/progress_gauge.h"

namespace {

namespace fs = std::filesystem;
using Map = std::map<std::string, std::string>;

class JournalTest : public GuiTest {
protected:
    void TearDown() override {
        kestrix::platform::resetRenameWays();
        GuiTest::TearDown();
    }

    std::string base() const { return path(""); }

    void makeTree(const std::vector<std::string>& items) {
        for (const std::string& item : items) {
            if (item.back() == '/') {
                makeFolder(item);
            } else {
                makeFile(item, "<" + item + ">");
            }
        }
    }

    Map tree() const {
        Map items;
        const std::string root = base();
        for (const fs::directory_entry& item : fs::recursive_directory_iterator(root)) {
            const std::string relative = item.path().native().substr(root.size());
            if (item.is_directory()) {
                items[relative + "/"].assign(1, '/');
            } else {
                std::ifstream in(item.path(), std::ios::binary);
                std::ostringstream content;
                content << in.rdbuf();
                items[relative] = content.str();
            }
        }
        return items;
    }

    // Entries as a drop adds them, with lower case on.
    void addLowerCased(const std::vector<std::string>& relatives) {
        check("CheckBox1");
        for (const std::string& relative : relatives) session->addPath(base() + relative);
    }

    std::vector<std::string> relative(const std::vector<std::string>& paths) const {
        std::vector<std::string> result;
        for (const std::string& p : paths)
            result.push_back(p.substr(0, base().size()) == base() ? p.substr(base().size()) : p);
        return result;
    }

    const Asked* askedWith(const QString& caption) const {
        for (const Asked& a : asked) {
            if (a.caption == caption) return &a;
        }
        return nullptr;
    }

    // A run over `pairs` (relative paths) in a process of its own, cut off
    // right after the first change on disk after which `cutWhen` holds.
    void crashedRun(const std::vector<std::pair<std::string, std::string>>& pairs,
                    const std::function<bool()>& cutWhen) {
        std::vector<kestrix::ListEntry> list;
        for (const auto& [from, to] : pairs) list.push_back(kestrix::ListEntry{base() + from, base() + to});
        const std::string journals = journalFolder();
        ASSERT_TRUE(kestrix::testing::RunKilledWhen(cutWhen, [&] {
            kestrix::run::RenameRun run(journals);
            if (!run.beginListRun(list)) return;
            struct Quiet : kestrix::run::RunListener {
                void entryDone(std::int64_t, const kestrix::run::EntryOutcome&) override {}
            } quiet;
            run.execute(quiet);
        }));
    }

    // A finished run over `pairs`, then its undo in a process of its own, cut
    // off like crashedRun().
    void crashedUndo(const std::vector<std::pair<std::string, std::string>>& pairs,
                     const std::function<bool()>& cutWhen) {
        std::vector<kestrix::ListEntry> list;
        for (const auto& [from, to] : pairs) list.push_back(kestrix::ListEntry{base() + from, base() + to});
        const std::string journals = journalFolder();
        struct Quiet : kestrix::run::RunListener {
            void entryDone(std::int64_t, const kestrix::run::EntryOutcome&) override {}
        } quiet;
        {
            kestrix::run::RenameRun run(journals);
            ASSERT_TRUE(run.beginListRun(list));
            run.execute(quiet);
        }
        ASSERT_TRUE(kestrix::testing::RunKilledWhen(cutWhen, [&] {
            kestrix::run::RenameRun undo(journals);
            if (!undo.beginUndoOfLastRun()) return;
            undo.execute(quiet);
        }));
    }

    // Shows the main window, as the program starts, and waits for its question.
    void startAndWaitForTheQuestion() {
        mainWindow->show();
        // The question is answered at once, so the settling is over when it has been asked.
        ASSERT_TRUE(QTest::qWaitFor([&] { return askedWith(QStringLiteral("Zapytanie")) != nullptr; }, 5000));
    }

    std::vector<std::string> unfinishedJournals() const {
        std::vector<std::string> names;
        if (!fs::exists(journalFolder())) return names;
        for (const auto& item : fs::directory_iterator(journalFolder())) {
            if (item.path().extension() == ".journal") names.push_back(item.path().filename());
        }
        return names;
    }
};

TEST_F(JournalTest, ARunThatCannotBeJournaledRenamesNothing) {
    makeTree({"A.TXT"});
    addLowerCased({"A.TXT"});
    const auto entries = session->entryList().entries();
    // The state folder cannot be made: a file stands where it would be.
    ASSERT_TRUE(QFile(stateDir.path() + QStringLiteral("/Kestrix")).open(QIODevice::WriteOnly));

    mainWindow->applyRenames();

    waitForRun();

    EXPECT_EQ(tree(), (Map{{"A.TXT", "<A.TXT>"}}));
    EXPECT_EQ(session->entryList().entries(), entries);
    const Asked* error = askedWith(QStringLiteral("Błąd"));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->owner, mainWindow);
    EXPECT_EQ(error->icon, QMessageBox::Critical);
    EXPECT_TRUE(error->text.startsWith(QStringLiteral("Nie można zapisać dziennika zmian nazw w katalogu ") +
                                       stateDir.path() + QStringLiteral("/Kestrix/")))
        << error->text.toStdString();
    EXPECT_TRUE(error->text.endsWith(QStringLiteral("Nie zmieniono nazwy żadnego pliku.")))
        << error->text.toStdString();
    EXPECT_TRUE(mainWindow->isEnabled());
    EXPECT_TRUE(mainWindow->progressGauge->isHidden());
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
}

// Ctrl+Z in the list takes the last run back; the entries that named the
// renamed items name their old paths again and propose anew.
TEST_F(JournalTest, UndoFromTheListTakesTheLastRunBack) {
    makeTree({"Dir/", "Dir/A.TXT", "IMG.JPG"});
    addLowerCased({"Dir", "Dir/A.TXT", "IMG.JPG"});
    const QDateTime ran = QDateTime::currentDateTime();
    mainWindow->applyRenames();
    waitForRun();
    ASSERT_EQ(tree(), (Map{{"dir/", "/"}, {"dir/a.txt", "<Dir/A.TXT>"}, {"img.jpg", "<IMG.JPG>"}}));
    ASSERT_EQ(relative(currentPaths()), (std::vector<std::string>{"dir", "dir/a.txt", "img.jpg"}));
    ASSERT_TRUE(mainWindow->undoAction->isEnabled());
    check("CheckBox4");  // upper case now
    asked.clear();

    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    mainWindow->fileListView->setFocus();
    QTest::keyClick(mainWindow->fileListView, Qt::Key_Z, Qt::ControlModifier);
    waitForRun();

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Pytanie"));
    // The question names the run: what it renamed, when and where (the first item's folder).
    const QString question =
        QStringLiteral("Cofnąć zmianę nazw 3 plików z %1 w folderze ") + tempDir.path() + QStringLiteral("?");
    EXPECT_TRUE(asked[0].text == question.arg(ran.toString(QStringLiteral("HH:mm"))) ||
                asked[0].text == question.arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm"))))
        << asked[0].text.toStdString();
    EXPECT_EQ(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(tree(), (Map{{"Dir/", "/"}, {"Dir/A.TXT", "<Dir/A.TXT>"}, {"IMG.JPG", "<IMG.JPG>"}}));
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"Dir", "Dir/A.TXT", "IMG.JPG"}));
    EXPECT_EQ(relative(proposedPaths()), (std::vector<std::string>{"DIR", "Dir/A.TXT", "IMG.JPG"}));
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
    EXPECT_TRUE(mainWindow->isEnabled());
    EXPECT_TRUE(mainWindow->progressGauge->isHidden());
}

// The program was closed and started again: the last run can still be taken
// back; an item whose old name is taken now stays, and the report says so.
TEST_F(JournalTest, UndoAfterARestartReportsWhatItCannotTakeBack) {
    makeTree({"A.TXT", "B.TXT"});
    addLowerCased({"A.TXT", "B.TXT"});
    mainWindow->applyRenames();
    waitForRun();
    makeFile("A.TXT", "a new file");
    restartProgram();
    ASSERT_TRUE(mainWindow->undoAction->isEnabled());
    asked.clear();

    mainWindow->undoAction->trigger();

    waitForRun();

    EXPECT_EQ(tree(), (Map{{"A.TXT", "a new file"}, {"a.txt", "<A.TXT>"}, {"B.TXT", "<B.TXT>"}}));
    const Asked* report = askedWith(QStringLiteral("Błąd"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->owner, mainWindow);
    EXPECT_TRUE(report->text.startsWith(QStringLiteral("Nie udało się cofnąć zmiany nazwy 1 pliku:\n\n") +
                                        QFile::decodeName(QByteArray::fromStdString(path("a.txt"))) +
                                        QStringLiteral(" → A.TXT: ")))
        << report->text.toStdString();
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
}

// Cut off after two of three renames: Yes takes them back.
TEST_F(JournalTest, AnInterruptedRunIsTakenBackOnYes) {
    makeTree({"a", "b", "c"});
    crashedRun({{"a", "a1"}, {"b", "b1"}, {"c", "c1"}}, [&] { return fs::exists(path("b1")); });
    ASSERT_EQ(tree(), (Map{{"a1", "<a>"}, {"b1", "<b>"}, {"c", "<c>"}}));
    answers = {QMessageBox::Yes};

    startAndWaitForTheQuestion();

    const Asked* question = askedWith(QStringLiteral("Zapytanie"));
    EXPECT_EQ(question->owner, mainWindow);
    EXPECT_EQ(question->buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(
        question->text,
        QStringLiteral("Poprzednia zmiana nazw plików została przerwana przed końcem (nowe nazwy otrzymało "
                       "już 2 z 3 plików).\n\n"
                       "Tak – cofnij przerwaną zmianę: wszystkie pliki wrócą do poprzednich nazw.\n"
                       "Nie – zachowaj nowe nazwy plików, które zdążyły je otrzymać."));
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}, {"b", "<b>"}, {"c", "<c>"}}));
    EXPECT_EQ(askedWith(QStringLiteral("Błąd")), nullptr);
    EXPECT_TRUE(unfinishedJournals().empty());
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
}

// No keeps the new names, and the kept run is the one undo takes back.
TEST_F(JournalTest, AnInterruptedRunIsKeptOnNoAndCanBeUndone) {
    makeTree({"a", "b", "c"});
    crashedRun({{"a", "a1"}, {"b", "b1"}, {"c", "c1"}}, [&] { return fs::exists(path("b1")); });
    answers = {QMessageBox::No};

    startAndWaitForTheQuestion();

    EXPECT_EQ(tree(), (Map{{"a1", "<a>"}, {"b1", "<b>"}, {"c", "<c>"}}));
    EXPECT_TRUE(unfinishedJournals().empty());
    ASSERT_TRUE(mainWindow->undoAction->isEnabled());
    mainWindow->undoAction->trigger();
    waitForRun();
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}, {"b", "<b>"}, {"c", "<c>"}}));
}

// An undo cut off after one of three: Yes finishes taking the run back.
TEST_F(JournalTest, AnInterruptedUndoIsFinishedOnYes) {
    makeTree({"a", "b", "c"});
    crashedUndo({{"a", "a1"}, {"b", "b1"}, {"c", "c1"}}, [&] { return fs::exists(path("c")); });
    ASSERT_EQ(tree(), (Map{{"a1", "<a>"}, {"b1", "<b>"}, {"c", "<c>"}}));
    answers = {QMessageBox::Yes};

    startAndWaitForTheQuestion();

    EXPECT_EQ(
        askedWith(QStringLiteral("Zapytanie"))->text,
        QStringLiteral("Poprzednie cofanie zmiany nazw plików zostało przerwane przed końcem (poprzednie "
                       "nazwy odzyskało już 1 z 3 plików).\n\n"
                       "Tak – dokończ cofanie: wszystkie pliki wrócą do poprzednich nazw.\n"
                       "Nie – zostaw pliki tak, jak są; resztę zmiany nazw nadal będzie można cofnąć."));
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}, {"b", "<b>"}, {"c", "<c>"}}));
    EXPECT_EQ(askedWith(QStringLiteral("Błąd")), nullptr);
    EXPECT_TRUE(unfinishedJournals().empty());
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
}

// No leaves the items as they are, and undo still takes back the rest.
TEST_F(JournalTest, AnInterruptedUndoIsKeptOnNoAndTheRestCanBeUndone) {
    makeTree({"a", "b", "c"});
    crashedUndo({{"a", "a1"}, {"b", "b1"}, {"c", "c1"}}, [&] { return fs::exists(path("c")); });
    answers = {QMessageBox::No};

    startAndWaitForTheQuestion();

    EXPECT_EQ(tree(), (Map{{"a1", "<a>"}, {"b1", "<b>"}, {"c", "<c>"}}));
    EXPECT_TRUE(unfinishedJournals().empty());
    ASSERT_TRUE(mainWindow->undoAction->isEnabled());
    mainWindow->undoAction->trigger();
    waitForRun();
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}, {"b", "<b>"}, {"c", "<c>"}}));
    EXPECT_EQ(askedWith(QStringLiteral("Błąd")), nullptr);
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
}

// The item was cut off under its temporary name, and both its names are
// taken meanwhile: one report names it, and the journal stays for the next
// start.
TEST_F(JournalTest, WhatCannotBeSettledIsReportedAndKeptForLater) {
    makeTree({"a"});
    kestrix::platform::renameWays().caseOnlyThroughTemporary = true;
    const auto parked = [&] {
        for (const auto& item : fs::directory_iterator(base())) {
            if (item.path().filename().native().rfind(".kestrix-", 0) == 0) return true;
        }
        return false;
    };
    crashedRun({{"a", "A"}}, parked);
    ASSERT_TRUE(parked());
    makeFile("a", "taken meanwhile");
    answers = {QMessageBox::Yes};

    startAndWaitForTheQuestion();

    const Asked* report = askedWith(QStringLiteral("Błąd"));
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->text.startsWith(
        QStringLiteral("Nie udało się uporządkować 1 pliku po przerwanej zmianie nazw:\n\n") +
        QFile::decodeName(QByteArray::fromStdString(base() + ".kestrix-"))))
        << report->text.toStdString();
    EXPECT_TRUE(parked());
    EXPECT_EQ(tree().size(), 2u);
    EXPECT_EQ(unfinishedJournals().size(), 1u);
}

}  // namespace

namespace {

// The journal of a run cut off with its item under a temporary name is
// damaged (a byte of its plan flipped): the start asks nothing, puts the item
// back under its name, keeps the journal aside and says so in Polish.
TEST_F(JournalTest, ADamagedJournalIsSetAsideSaidAndItsItemSettled) {
    makeTree({"a"});
    kestrix::platform::renameWays().caseOnlyThroughTemporary = true;
    const auto parked = [&] {
        for (const auto& item : fs::directory_iterator(base())) {
            if (item.path().filename().native().rfind(".kestrix-", 0) == 0) return true;
        }
        return false;
    };
    crashedRun({{"a", "A"}}, parked);
    ASSERT_TRUE(parked());
    const std::vector<std::string> journals = unfinishedJournals();
    ASSERT_EQ(journals.size(), 1u);
    const std::string journal = journalFolder() + journals[0];
    {
        std::fstream file(journal, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(0, std::ios::end);
        const std::streamoff size = file.tellg();
        // Inside the plan, which follows a header of well under 100 bytes.
        const std::streamoff at = std::min<std::streamoff>(size - 1, 110);
        file.seekg(at);
        char byte = 0;
        file.read(&byte, 1);
        byte ^= 0x10;
        file.seekp(at);
        file.write(&byte, 1);
    }

    mainWindow->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return askedWith(QStringLiteral("Błąd")) != nullptr; }, 5000));

    EXPECT_EQ(askedWith(QStringLiteral("Zapytanie")), nullptr);
    const QString text = askedWith(QStringLiteral("Błąd"))->text;
    const QString name = QFile::decodeName(QByteArray::fromStdString(journal));
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Dziennik przerwanej zmiany nazw %1 jest uszkodzony").arg(name)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Dziennik zachowano jako %1.damaged.").arg(name)))
        << text.toStdString();
    EXPECT_FALSE(parked());
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}}));
    EXPECT_TRUE(unfinishedJournals().empty());
    EXPECT_TRUE(fs::exists(journal + ".damaged"));
}

}  // namespace

namespace {

// Journals a start leaves alone, each said once in Polish: one of a later
// format version, and one of another user.
TEST_F(JournalTest, JournalsLeftAloneAreSaid) {
    fs::create_directories(journalFolder());
    const std::string later = journalFolder() + "0000000000000100ab.journal";
    {
        // A header record of version 3: magic, then the version.
        std::string payload = std::string(1, 19) + "KESTRIX-RUN-JOURNAL" + std::string(1, 3) + "x";
        std::string record(4, '\0');
        for (int i = 0; i < 4; ++i) record[i] = static_cast<char>((payload.size() >> (8 * i)) & 0xFF);
        const std::string checked = record + '\x01' + payload;
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(checked.data()), 4);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(checked.data() + 4),
                    static_cast<uInt>(1 + payload.size()));
        for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
        std::ofstream(later, std::ios::binary) << record << '\x01' << payload;
    }
    const std::string others = journalFolder() + "0000000000000200ab.done";
    const bool root = geteuid() == 0;
    if (root) {
        std::ofstream(others, std::ios::binary) << "another user's";
        ASSERT_EQ(chown(others.c_str(), 65534, 65534), 0);
    }

    mainWindow->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return askedWith(QStringLiteral("Błąd")) != nullptr; }, 5000));

    const QString text = askedWith(QStringLiteral("Błąd"))->text;
    EXPECT_TRUE(
        text.contains(QStringLiteral("Dziennik przerwanej zmiany nazw %1 zapisała nowsza wersja programu.")
                          .arg(QFile::decodeName(QByteArray::fromStdString(later)))))
        << text.toStdString();
    if (root) {
        EXPECT_TRUE(
            text.startsWith(QStringLiteral("Pominięto dzienniki zmian nazw, które nie należą do Ciebie")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QFile::decodeName(QByteArray::fromStdString(others))))
            << text.toStdString();
        EXPECT_TRUE(fs::exists(others));
    }
    EXPECT_TRUE(fs::exists(later));
    EXPECT_EQ(std::count_if(asked.begin(), asked.end(), [](const Asked& a) { return a.caption == "Błąd"; }),
              1);
}

}  // namespace
