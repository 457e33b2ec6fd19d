// Applying the renames on real temporary folders. Every file holds its own
// content, so the whole content-to-name map afterwards shows that nothing was
// lost or overwritten.
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gui_fixture.h"
#include "platform/disk_steps.h"
#include "platform/rename.h"
#include "session/apply_seams.h"
#include "ui/progress_gauge.h"

namespace {

namespace fs = std::filesystem;

const QString kQuestion = QStringLiteral("Czy zastosować wybrane zmiany dla plików z listy ?");

class ApplyTest : public GuiTest {
protected:
    void TearDown() override {
        kestrix::session::resetApplySeams();
        kestrix::platform::resetRenameWays();
        kestrix::platform::SetDiskStepHook(nullptr);
        GuiTest::TearDown();
    }

    void lowerCase() { check("CheckBox1"); }
    // Numbering from `start`, counting up, the number at the end of the name.
    void numberAtEnd(const QString& start) {
        check("CheckBox7");
        type("Edit8", start);
        check("RadioButton8");
    }
    void reload(bool on) { check("CheckBox13", on); }

    std::string base() const { return tempDir.path().toStdString() + "/"; }

    // Files with content of their own ("<name>"), folders ending with '/'.
    void makeTree(const std::vector<std::string>& items) {
        for (const std::string& item : items) {
            if (item.back() == '/') {
                makeFolder(item);
            } else {
                makeFile(item, "<" + item + ">");
            }
        }
    }

    // An entry as a drop adds it: proposed from the options as they stand.
    void add(const std::string& relative) { session->addPath(base() + relative); }
    // An entry with a given proposed path (relative to the folder of the test).
    void add(const std::string& relative, const std::string& proposed) {
        session->entryList().append(kestrix::ListEntry{base() + relative, base() + proposed});
    }

    void apply(QMessageBox::StandardButton answer = QMessageBox::Yes) {
        answers.push_back(answer);
        mainWindow->applyRenames();
    }

    // Relative path -> content for files, "/" for folders.
    std::map<std::string, std::string> tree() const {
        std::map<std::string, std::string> items;
        const std::string root = base();
        for (const fs::directory_entry& item :
             fs::recursive_directory_iterator(tempDir.path().toStdString())) {
            const std::string relative = item.path().native().substr(root.size());
            if (item.is_directory()) {
                items[relative + "/"] = "/";
            } else {
                std::ifstream in(item.path(), std::ios::binary);
                std::ostringstream content;
                content << in.rdbuf();
                items[relative] = content.str();
            }
        }
        return items;
    }

    std::vector<std::string> relative(const std::vector<std::string>& paths) const {
        std::vector<std::string> result;
        for (const std::string& p : paths)
            result.push_back(p.substr(0, base().size()) == base() ? p.substr(base().size()) : p);
        return result;
    }

    // The failure report, or an empty text when none was shown.
    QString failureReport() const {
        QString report;
        for (const Asked& a : asked) {
            if (a.caption == QStringLiteral("Błąd")) {
                EXPECT_TRUE(report.isEmpty()) << "more than one failure report";
                EXPECT_EQ(a.owner, mainWindow);
                EXPECT_EQ(a.buttons, QMessageBox::Ok);
                report = a.text;
            }
        }
        return report;
    }
};

TEST_F(ApplyTest, ReloadedFolderStillHasNoExtension) {
    makeTree({"a.b/", "c.d"});
    check("RadioGroup2Item1");  // name only
    check("CheckBox9");
    check("RadioButton5");
    type("Edit3", "X");
    add("a.b");
    add("c.d");
    ASSERT_EQ(relative(proposedPaths()), (std::vector<std::string>{"a.bX", "cX.d"}));
    reload(true);
    apply();
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"a.bX", "cX.d"}));
    EXPECT_EQ(relative(proposedPaths()), (std::vector<std::string>{"a.bXX", "cXX.d"}));
}

TEST_F(ApplyTest, AnsweringNoChangesNothing) {
    makeTree({"A.TXT", "B.TXT"});
    lowerCase();
    add("A.TXT");
    add("B.TXT");
    const auto before = tree();
    const auto entries = session->entryList().entries();
    std::vector<int> gauge;
    kestrix::session::applySeams().gaugeSet = [&](int value) { gauge.push_back(value); };

    apply(QMessageBox::No);

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].owner, mainWindow);
    EXPECT_EQ(asked[0].icon, QMessageBox::Information);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Pytanie"));
    EXPECT_EQ(asked[0].text, kQuestion);
    EXPECT_EQ(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(session->entryList().entries(), entries);
    EXPECT_TRUE(gauge.empty());
    EXPECT_TRUE(mainWindow->progressGauge->isHidden());
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
    EXPECT_TRUE(mainWindow->isEnabled());
}

// The gauge at every step, and the window disabled while it is shown.
TEST_F(ApplyTest, GaugeRisesWhileTheMainWindowIsDisabled) {
    struct Case {
        int entries;
        std::vector<int> gaugeSet;
    };
    for (const Case& c : {Case{3, {0, 33, 66, 100, 100}}, Case{1, {0, 100, 100}}}) {
        SCOPED_TRACE(c.entries);
        mainWindow->clearList();
        asked.clear();
        struct Seen {
            int progress;
            bool gaugeShown;
            bool mainEnabled;
            bool optionsEnabled;
        };
        std::vector<int> gauge;
        std::vector<Seen> seen;
        kestrix::session::applySeams().frameMilliseconds = 0;
        kestrix::session::applySeams().gaugeSet = [&](int value) { gauge.push_back(value); };
        kestrix::session::applySeams().eventsProcessed = [&] {
            seen.push_back({mainWindow->progressGauge->progress(), !mainWindow->progressGauge->isHidden(),
                            mainWindow->isEnabled(),
                            optionsWindow->isEnabled() && optionsWindow->reloadAfterApplyBox->isEnabled()});
        };
        for (int i = 0; i < c.entries; ++i) {
            const std::string name = "g" + std::to_string(c.entries) + "_" + std::to_string(i);
            makeTree({name});
            add(name, name + "x");
        }

        apply();

        EXPECT_EQ(gauge, c.gaugeSet);
        // After each entry, then with the window enabled again, then hidden.
        ASSERT_EQ(seen.size(), static_cast<size_t>(c.entries) + 2);
        for (int i = 0; i < c.entries; ++i) {
            EXPECT_EQ(seen[i].progress, c.gaugeSet[i + 1]) << i;
            EXPECT_TRUE(seen[i].gaugeShown) << i;
            EXPECT_FALSE(seen[i].mainEnabled) << i;
            EXPECT_TRUE(seen[i].optionsEnabled) << i;
        }
        EXPECT_EQ(seen[c.entries].progress, 100);
        EXPECT_TRUE(seen[c.entries].gaugeShown);
        EXPECT_TRUE(seen[c.entries].mainEnabled);
        EXPECT_FALSE(seen.back().gaugeShown);
        EXPECT_TRUE(mainWindow->isEnabled());
        EXPECT_TRUE(failureReport().isEmpty());
    }
}

// With many entries the pending events are processed about once per frame,
// not once per entry, and still after the last entry.
TEST_F(ApplyTest, EventsAreProcessedAtMostOncePerFrame) {
    constexpr int kEntries = 400;
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = std::string("p") += std::to_string(i);
        makeTree({name});
        add(name, name + "x");
    }
    int processed = 0;
    int lastSet = -1;
    bool gaugeMatched = true;
    kestrix::session::applySeams().gaugeSet = [&](int value) { lastSet = value; };
    kestrix::session::applySeams().eventsProcessed = [&] {
        ++processed;
        gaugeMatched = gaugeMatched && mainWindow->progressGauge->progress() == lastSet;
    };
    QElapsedTimer timer;
    timer.start();

    apply();

    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(processed, 3);  // the last entry, and the two at the end
    EXPECT_LE(processed, elapsed / 16 + 3);
    EXPECT_TRUE(gaugeMatched);
    EXPECT_EQ(tree().size(), static_cast<size_t>(kEntries));
    EXPECT_TRUE(failureReport().isEmpty());
}

// The options window stays usable during a run: what is changed there takes
// effect for the entries that follow, and CheckBox13 is read after each entry.
TEST_F(ApplyTest, OptionsChangedDuringTheRunApplyToTheEntriesThatFollow) {
    makeTree({"Ab", "Cd", "Ef"});
    lowerCase();
    add("Ab");
    add("Cd");
    add("Ef");
    int processed = 0;
    kestrix::session::applySeams().frameMilliseconds = 0;
    kestrix::session::applySeams().eventsProcessed = [&] {
        ++processed;
        if (processed == 1) check("CheckBox4");  // upper case from now on
        if (processed == 2) check("CheckBox13", false);
        if (processed == 3) check("CheckBox13", true);
    };

    apply();

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"ab", "<Ab>"}, {"CD", "<Cd>"}, {"EF", "<Ef>"}}));
    // The second entry was not reloaded: the box was unticked right after it.
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"ab", "Cd", "EF"}));
    EXPECT_EQ(relative(proposedPaths())[0], "AB");
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
}

// Input to the main window goes nowhere while the gauge is shown.
TEST_F(ApplyTest, MainWindowTakesNoInputDuringTheRun) {
    makeTree({"a", "b"});
    add("a", "a1");
    add("b", "b1");
    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    mainWindow->fileListView->setFocus();
    mainWindow->fileListView->selectAll();
    int processed = 0;
    kestrix::session::applySeams().frameMilliseconds = 0;
    kestrix::session::applySeams().eventsProcessed = [&] {
        if (++processed != 1) return;
        QTest::keyClick(mainWindow->fileListView, Qt::Key_Delete);
        QTest::mouseClick(mainWindow->clearButton, Qt::LeftButton);
    };

    apply();

    EXPECT_EQ(session->entryCount(), 2);
    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"a1", "<a>"}, {"b1", "<b>"}}));
}

TEST_F(ApplyTest, NumberingWithReloadRenamesAndProposesAgain) {
    makeTree({"x", "y", "z"});
    numberAtEnd(QStringLiteral("1"));
    add("x");
    add("y");
    add("z");
    ASSERT_EQ(relative(proposedPaths()), (std::vector<std::string>{"x1", "y2", "z3"}));
    selectRows({0, 1, 2});

    apply();

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"x1", "<x>"}, {"y2", "<y>"}, {"z3", "<z>"}}));
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"x1", "y2", "z3"}));
    EXPECT_EQ(relative(proposedPaths()), (std::vector<std::string>{"x11", "y22", "z33"}));
    EXPECT_TRUE(selectedRows().empty());  // every entry was replaced
    EXPECT_TRUE(mainWindow->applyButton->isEnabled());
    EXPECT_TRUE(failureReport().isEmpty());
}

TEST_F(ApplyTest, WithoutReloadTheListIsEmptied) {
    makeTree({"a"});
    reload(false);
    add("a", "b");

    apply();

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"b", "<a>"}}));
    EXPECT_EQ(session->entryCount(), 0);
    EXPECT_FALSE(mainWindow->applyButton->isEnabled());
}

// One run over a prepared folder: the entries (current -> proposed, both
// relative), what the folder holds afterwards, and which renames fail.
struct Scenario {
    const char* label;
    std::vector<std::string> tree;                             // files, and folders ending with '/'
    std::vector<std::pair<std::string, std::string>> entries;  // proposed kByRules: from the lower-case rule
    std::map<std::string, std::string> after;                  // the whole folder afterwards
    std::vector<std::string> failed;                           // current paths reported as failed
    std::vector<std::string> currentAfter;  // the list's current paths afterwards (reload on)
};

const std::string kLongName(NAME_MAX + 1, 'n');
const std::string kByRules = "<rules>";

const Scenario kScenarios[] = {
    {"LetterCaseOnly", {"a.txt"}, {{"a.txt", "A.txt"}}, {{"A.txt", "<a.txt>"}}, {}, {"A.txt"}},
    {"UnchangedNeedsNoRename", {"a"}, {{"a", "a"}}, {{"a", "<a>"}}, {}, {"a"}},
    // The first fails because 2.txt exists; the second goes through.
    {"Chain",
     {"1.txt", "2.txt"},
     {{"1.txt", "2.txt"}, {"2.txt", "3.txt"}},
     {{"1.txt", "<1.txt>"}, {"3.txt", "<2.txt>"}},
     {"1.txt"},
     {"1.txt", "3.txt"}},
    {"TargetExistsOutsideTheList", {"a", "b"}, {{"a", "b"}}, {{"a", "<a>"}, {"b", "<b>"}}, {"a"}, {"a"}},
    {"TwoEntriesToOneName",
     {"a", "b"},
     {{"a", "x"}, {"b", "x"}},
     {{"x", "<a>"}, {"b", "<b>"}},
     {"b"},
     {"x", "b"}},
    // Refused before the disk is touched; "e/f" would move the file into e/.
    {"RefusedNames",
     {"a", "b", "c", "d", "e/", "g", "h"},
     {{"a", ""}, {"b", "."}, {"c", ".."}, {"d", "e/f"}, {"g", kLongName}, {"h", std::string("x\0y", 3)}},
     {{"a", "<a>"}, {"b", "<b>"}, {"c", "<c>"}, {"d", "<d>"}, {"e/", "/"}, {"g", "<g>"}, {"h", "<h>"}},
     {"a", "b", "c", "d", "g", "h"},
     {"a", "b", "c", "d", "g", "h"}},
    // Added with the folder first, as the folder chooser adds them.
    {"FolderAndItsContents",
     {"Dir/", "Dir/A.TXT", "Dir/Sub/", "Dir/Sub/B.TXT"},
     {{"Dir", kByRules}, {"Dir/A.TXT", kByRules}, {"Dir/Sub", kByRules}, {"Dir/Sub/B.TXT", kByRules}},
     {{"dir/", "/"}, {"dir/a.txt", "<Dir/A.TXT>"}, {"dir/sub/", "/"}, {"dir/sub/b.txt", "<Dir/Sub/B.TXT>"}},
     {},
     {"dir", "dir/a.txt", "dir/sub", "dir/sub/b.txt"}},
    {"ContentsBeforeTheirFolder",
     {"Dir/", "Dir/A.TXT"},
     {{"Dir/A.TXT", kByRules}, {"Dir", kByRules}},
     {{"dir/", "/"}, {"dir/a.txt", "<Dir/A.TXT>"}},
     {},
     {"dir/a.txt", "dir"}},
    // Bytes that are not UTF-8 pass through untouched.
    {"InvalidUtf8Name",
     {"caf\xE9-\xFF.TXT"},
     {{"caf\xE9-\xFF.TXT", kByRules}},
     {{"caf\xE9-\xFF.txt", "<caf\xE9-\xFF.TXT>"}},
     {},
     {"caf\xE9-\xFF.txt"}},
};

class ApplyScenarioTest : public ApplyTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(ApplyScenarioTest, NothingIsLostOrOverwritten) {
    const Scenario& s = GetParam();
    makeTree(s.tree);
    lowerCase();
    for (const auto& [current, proposed] : s.entries) {
        if (proposed == kByRules) {
            add(current);
        } else {
            add(current, proposed);
        }
    }

    apply();

    EXPECT_EQ(tree(), s.after);
    EXPECT_EQ(relative(currentPaths()), s.currentAfter);
    const QString report = failureReport();
    if (s.failed.empty()) {
        EXPECT_TRUE(report.isEmpty()) << report.toStdString();
    } else {
        const QString head =
            s.failed.size() == 1
                ? QStringLiteral("Nie udało się zmienić nazwy 1 pliku:")
                : QStringLiteral("Nie udało się zmienić nazwy %1 plików:").arg(s.failed.size());
        EXPECT_TRUE(report.startsWith(head)) << report.toStdString();
        for (const std::string& failed : s.failed) {
            EXPECT_TRUE(report.contains(QString::fromStdString(base() + failed) + QStringLiteral(" → ")))
                << failed << "\n"
                << report.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, ApplyScenarioTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.label); });

// Names as people on Linux expect them, on disk: every letter changes case,
// no rule leaves a trailing dot, and a hidden file stays hidden.
struct OnDiskCase {
    const char* label;
    std::vector<const char*> ticked;                         // check boxes and radio buttons, in order
    std::vector<std::pair<const char*, const char*>> typed;  // edits and their texts
    std::vector<std::string> tree;                           // added in this order
    std::map<std::string, std::string> after;
};

const OnDiskCase kOnDiskCases[] = {
    {"LowerCase",
     {"CheckBox1"},
     {},
     {"ZDJĘCIE ŚLUBNE.JPG", "ŁÓDŹ.TXT"},
     {{"zdjęcie ślubne.jpg", "<ZDJĘCIE ŚLUBNE.JPG>"}, {"łódź.txt", "<ŁÓDŹ.TXT>"}}},
    {"UpperCase", {"CheckBox1", "CheckBox4"}, {}, {"źródło.txt"}, {{"ŹRÓDŁO.TXT", "<źródło.txt>"}}},
    {"NamesOnlyWithoutExtension",
     {"RadioGroup2Item1", "CheckBox2"},
     {},
     {"bez rozszerzenia", "kraków 2024/"},
     {{"bez_rozszerzenia", "<bez rozszerzenia>"}, {"kraków_2024/", "/"}}},
    {"HiddenNumberedAtEnd",
     {"RadioGroup2Item1", "CheckBox7", "RadioButton8"},
     {{"Edit8", "1"}},
     {".ukryty_plik", "notatka.txt"},
     {{".ukryty_plik1", "<.ukryty_plik>"}, {"notatka2.txt", "<notatka.txt>"}}},
    {"HiddenWithNewExtension",
     {"CheckBox12"},
     {{"Edit6", "jpg"}},
     {".ukryty_plik"},
     {{".ukryty_plik.jpg", "<.ukryty_plik>"}}},
};

void PrintTo(const OnDiskCase& c, std::ostream* out) { *out << c.label; }

class ApplyOnDiskTest : public ApplyTest, public ::testing::WithParamInterface<OnDiskCase> {};

TEST_P(ApplyOnDiskTest, RenamesAsTheUserExpects) {
    const OnDiskCase& c = GetParam();
    makeTree(c.tree);
    for (const char* control : c.ticked) check(control);
    for (const auto& [edit, text] : c.typed) type(edit, QString::fromUtf8(text));
    for (const std::string& item : c.tree) add(item.back() == '/' ? item.substr(0, item.size() - 1) : item);

    apply();

    EXPECT_EQ(tree(), c.after);
    EXPECT_TRUE(failureReport().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Names, ApplyOnDiskTest, ::testing::ValuesIn(kOnDiskCases),
                         [](const auto& info) { return std::string(info.param.label); });

// The reason the system gave is part of the report; a failed entry is
// reloaded from where the file still is.
TEST_F(ApplyTest, SourceDeletedAfterItWasAdded) {
    makeTree({"gone", "kept"});
    add("gone", "gone2");
    add("kept", "kept2");
    std::remove(path("gone").c_str());

    apply();

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"kept2", "<kept>"}}));
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"gone", "kept2"}));
    const QString report = failureReport();
    EXPECT_TRUE(report.contains(QString::fromStdString(path("gone")) +
                                QStringLiteral(" → gone2: nie ma takiego pliku ani katalogu")))
        << report.toStdString();
}

// Two names of one file: renaming one onto the other is a conflict, not a
// silent success that leaves both names in place.
TEST_F(ApplyTest, HardLinkPair) {
    makeTree({"L.txt", "a"});
    ASSERT_EQ(link(path("L.txt").c_str(), path("l.txt").c_str()), 0);
    ASSERT_EQ(link(path("a").c_str(), path("b").c_str()), 0);
    lowerCase();
    add("L.txt");  // proposes l.txt, the other name of the same file
    add("a", "b");

    apply();

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{
                          {"L.txt", "<L.txt>"}, {"l.txt", "<L.txt>"}, {"a", "<a>"}, {"b", "<a>"}}));
    const QString report = failureReport();
    EXPECT_TRUE(report.startsWith(QStringLiteral("Nie udało się zmienić nazwy 2 plików:")))
        << report.toStdString();
}

TEST_F(ApplyTest, ReadOnlyFolder) {
    makeTree({"ro/", "ro/A"});
    const std::string folder = path("ro");
    // Root ignores permission bits, so only the immutable attribute makes a
    // folder read-only for root; another user takes away the write bits of
    // the folder and of the one holding it.
    const bool root = geteuid() == 0;
    const bool locked = root ? std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str()) == 0
                             : chmod(folder.c_str(), 0555) == 0 && chmod(base().c_str(), 0555) == 0;
    if (!locked) {
        GTEST_SKIP() << "chattr +i is not available here (it needs chattr, root's CAP_LINUX_IMMUTABLE and a "
                        "file system with the attribute, such as ext4)";
    }
    lowerCase();
    add("ro/A");
    add("ro", "rw");

    apply();
    if (root) {
        std::system(("chattr -i '" + folder + "'").c_str());
    } else {
        chmod(base().c_str(), 0755);
        chmod(folder.c_str(), 0755);
    }

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"ro/", "/"}, {"ro/A", "<ro/A>"}}));
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"ro/A", "ro"}));
    const QString report = failureReport();
    EXPECT_TRUE(report.startsWith(QStringLiteral("Nie udało się zmienić nazwy 2 plików:")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral(": brak uprawnień"))) << report.toStdString();
}

// Many failures: one message, the first ten listed, the rest counted.
TEST_F(ApplyTest, ManyFailuresMakeOneShortReport) {
    constexpr int kEntries = 13;
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = "f" + std::to_string(i);
        makeTree({name, name + "-taken"});
        add(name, name + "-taken");
    }

    apply();

    ASSERT_EQ(asked.size(), 2u);
    const QString report = failureReport();
    EXPECT_TRUE(report.startsWith(QStringLiteral("Nie udało się zmienić nazwy 13 plików:")))
        << report.toStdString();
    EXPECT_EQ(report.count(QStringLiteral(" → ")), 10);
    EXPECT_TRUE(report.endsWith(QStringLiteral("… i jeszcze 3."))) << report.toStdString();
    EXPECT_EQ(tree().size(), static_cast<size_t>(2 * kEntries));
}

// A rename that changes only letter case steps aside under a temporary name
// first where the file system folds case. Here another program takes the new
// name between the two steps: the item goes back under its old name, nothing
// stays under a temporary name, and the report names the item where it is.
std::string caseOnlyItem;
std::string caseOnlyTarget;

TEST_F(ApplyTest, ACaseOnlyRenameWhoseSecondStepFailsGoesBack) {
    makeTree({"Foto.JPG"});
    kestrix::platform::renameWays().caseOnlyThroughTemporary = true;
    lowerCase();
    add("Foto.JPG");
    caseOnlyItem = path("Foto.JPG");
    caseOnlyTarget = path("foto.jpg");
    // After each step on disk: the first one that finds the item gone (parked
    // under its temporary name) takes the new name.
    kestrix::platform::SetDiskStepHook([](long) {
        if (!caseOnlyTarget.empty() && !fs::exists(caseOnlyItem)) {
            std::ofstream(caseOnlyTarget) << "<another program>";
            caseOnlyTarget.clear();
        }
    });

    apply();

    ASSERT_TRUE(caseOnlyTarget.empty()) << "the item never left its name";
    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"Foto.JPG", "<Foto.JPG>"},
                                                          {"foto.jpg", "<another program>"}}));
    EXPECT_EQ(relative(currentPaths()), (std::vector<std::string>{"Foto.JPG"}));
    const QString report = failureReport();
    EXPECT_TRUE(report.contains(QString::fromStdString(path("Foto.JPG")) +
                                QStringLiteral(" → foto.jpg: nazwa jest już zajęta")))
        << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral(".kestrix-"))) << report.toStdString();
}

// Folder A becomes C, then folder B takes the name A, with items inside both
// renamed before and after; last, D/k and then its folder D are renamed. A
// reloaded entry follows only the folder renames that came after its own
// turn: the one for B/g, whose turn came when B already was A, follows D's
// rename but not the earlier one of A to C.
TEST_F(ApplyTest, ReloadedEntriesFollowOnlyTheFolderRenamesAfterTheirTurn) {
    makeTree({"A/", "A/f", "B/", "B/g", "B/h", "D/", "D/k"});
    add("A/f", "A/f2");  // then inside C
    add("B/h", "B/h2");  // then inside A: B became A, after A had become C
    add("A", "C");
    add("B", "A");
    add("B/g", "B/g2");  // its turn comes when B already is A
    add("D/k", "D/k2");
    add("D", "E");

    apply();

    const std::map<std::string, std::string> expected = {
        {"A/", "/"},       {"A/g2", "<B/g>"}, {"A/h2", "<B/h>"}, {"C/", "/"},
        {"C/f2", "<A/f>"}, {"E/", "/"},       {"E/k2", "<D/k>"}};
    EXPECT_EQ(tree(), expected);
    EXPECT_EQ(relative(currentPaths()),
              (std::vector<std::string>{"C/f2", "A/h2", "C", "A", "A/g2", "E/k2", "E"}));
    for (const std::string& current : currentPaths()) EXPECT_TRUE(fs::exists(current)) << current;
    EXPECT_TRUE(failureReport().isEmpty()) << failureReport().toStdString();
}

}  // namespace
