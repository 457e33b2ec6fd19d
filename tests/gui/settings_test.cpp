// The settings file on real files: what a start makes of the stored values,
// and what a close writes back.
#include <fstream>
#include <iterator>
#include <sstream>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../platform/test_support.h"
#include "app/main_window.h"
#include "app/screen_fit.h"
#include "app/settings_location.h"
#include "session/session.h"
#include "ui/dialogs.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        iniPath = QDir(dir.path()).filePath(QStringLiteral("kestrix.ini")).toStdString();
        kestrix::settings::SetPathOverride(iniPath);
        kestrix::ui::dialogSeams().messageBox = [this](QWidget* owner, QMessageBox::Icon icon,
                                                       const QString& caption, const QString& text,
                                                       QMessageBox::StandardButtons) {
            messages.push_back({owner, icon, caption, text});
            return QMessageBox::Ok;
        };
    }

    void TearDown() override {
        delete form;
        kestrix::settings::SetPathOverride({});
        kestrix::ui::resetDialogSeams();
    }

    // Starts the main window as the program does: created, then shown.
    void start() {
        form = new MainWindow(session);
        form->show();
        frame = form->frameGeometry().size() - form->geometry().size();
    }

    void writeFile(const std::string& text) const { std::ofstream(iniPath, std::ios::binary) << text; }

    std::string fileText() const {
        std::ifstream in(iniPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The value of `key` in section "Wyglad" as the file holds it now ("" when missing).
    std::string stored(const std::string& key) const {
        std::istringstream lines(fileText());
        bool inside = false;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind('[', 0) == 0) inside = line == "[Wyglad]";
            if (inside && line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
        }
        return {};
    }

    static QSize screen() { return QGuiApplication::primaryScreen()->geometry().size(); }

    struct Message {
        QWidget* owner;
        QMessageBox::Icon icon;
        QString caption;
        QString text;
    };

    QTemporaryDir dir;
    std::string iniPath;
    kestrix::session::Session session;
    MainWindow* form = nullptr;
    QSize frame;  // what the window frame adds to the client area
    std::vector<Message> messages;
};

TEST_F(SettingsTest, WithoutAFileTheWindowOpensAtItsDesignedSizeCentredAndWritesEveryKey) {
    start();
    // The designed client area with the frame, or the smallest outer size.
    const QSize outer(std::max(632 + frame.width(), 640), std::max(507 + frame.height(), 541));
    EXPECT_EQ(form->frameGeometry().size(), outer);
    EXPECT_EQ(form->frameGeometry().topLeft(),
              QPoint((screen().width() - outer.width()) / 2, (screen().height() - outer.height()) / 2));
    EXPECT_EQ(form->previewPanel->height(), 124);
    EXPECT_EQ(form->columnHeader->sectionSize(0), form->columnHeader->width() / 2);
    EXPECT_EQ(form->listViewMode(), 0);
    EXPECT_TRUE(form->fullPathViewAction->isChecked());
    EXPECT_FALSE(form->nameOnlyViewAction->isChecked());
    // The window cannot be made smaller than 640 x 541 outside.
    EXPECT_EQ(form->minimumSize() + frame, QSize(640, 541));

    form->close();
    EXPECT_FALSE(form->isVisible());
    const QRect at = form->frameGeometry();
    std::ostringstream expected;
    expected << "[Wyglad]\nWys=" << at.height() << "\nSzer=" << at.width() << "\nPolY=" << at.y()
             << "\nPolX=" << at.x() << "\nPodglWys=124\nSzerKol=" << form->columnHeader->sectionSize(0)
             << "\nWyglListy=0\n";
    EXPECT_EQ(fileText(), expected.str());
    EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsTest, StoredValuesAreAppliedAndWrittenBackUnchanged) {
    writeFile("[Wyglad]\nWys=600\nSzer=700\nPolY=30\nPolX=-40\nPodglWys=200\nSzerKol=100\nWyglListy=2\n");
    start();
    EXPECT_EQ(form->frameGeometry(), QRect(-40, 30, 700, 600));
    EXPECT_EQ(form->previewPanel->height(), 200);
    EXPECT_EQ(form->columnHeader->sectionSize(0), 100);
    EXPECT_EQ(form->listViewMode(), 2);
    EXPECT_FALSE(form->fullPathViewAction->isChecked());
    EXPECT_TRUE(form->nameOnlyViewAction->isChecked());

    form->close();
    EXPECT_EQ(fileText(),
              "[Wyglad]\nWys=600\nSzer=700\nPolY=30\nPolX=-40\nPodglWys=200\nSzerKol=100\nWyglListy=2\n");
}

TEST_F(SettingsTest, EachValueIsReadAsDecimalOrHexadecimalOrFallsBackToItsDefault) {
    struct Case {
        const char* file;
        const char* key;
        // What the close writes for `key`; -1: the key's default, computed
        // by the test from the window it sees.
        int written;
    };
    const Case cases[] = {
        {"[Wyglad]\nPolX=0x20\n", "PolX", 32},      {"[Wyglad]\nPolX=$20\n", "PolX", 32},
        {"[Wyglad]\nPolX=abc\n", "PolX", -1},       {"[Wyglad]\nPolX=\n", "PolX", -1},
        {"[Wyglad]\nPolX=12abc\n", "PolX", -1},     {"[Wyglad]\nSzerKol=0x20\n", "SzerKol", 32},
        {"[Wyglad]\nSzerKol=abc\n", "SzerKol", -1}, {"[Wyglad]\nWys=100\n", "Wys", 541},
        {"[Wyglad]\nSzer=100\n", "Szer", 640},      {"[Inne]\nWys=700\n", "Wys", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(c.file);
        start();
        form->close();
        const QSize outer(std::max(632 + frame.width(), 640), std::max(507 + frame.height(), 541));
        int written = c.written;
        if (written == -1) {
            const std::string key = c.key;
            if (key == "PolX") written = (screen().width() - outer.width()) / 2;
            if (key == "SzerKol") written = form->columnHeader->width() / 2;
            if (key == "Wys") written = outer.height();
        }
        EXPECT_EQ(stored(c.key), std::to_string(written));
        delete form;
        form = nullptr;
    }
}

TEST_F(SettingsTest, AGeometryBeyondTheScreenOpensAWindowThatFitsAndCanBeReached) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const std::string huge = std::to_string(available.height() * 3);
    const std::string wide = std::to_string(available.width() * 3);
    const std::string files[] = {
        "[Wyglad]\nWys=" + huge + "\nSzer=" + wide + "\nPolY=-5000\nPolX=9000\n",
        "[Wyglad]\nWys=" + huge + "\nSzer=" + wide + "\n",  // centred on the screen
        "[Wyglad]\nWys=600\nSzer=700\nPolY=99999\nPolX=-99999\n",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        writeFile(file);
        start();
        // Where the title bar cannot be reached, the window comes whole onto the screen.
        const QRect at = form->frameGeometry();
        EXPECT_TRUE(available.contains(at))
            << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();

        form->close();
        EXPECT_EQ(stored("Wys"), std::to_string(at.height()));
        EXPECT_EQ(stored("Szer"), std::to_string(at.width()));
        EXPECT_EQ(stored("PolY"), std::to_string(at.y()));
        EXPECT_EQ(stored("PolX"), std::to_string(at.x()));
        delete form;
        form = nullptr;
    }
}

TEST_F(SettingsTest, OtherSectionsKeysAndCommentsSurviveAWrite) {
    writeFile("; kept\n[Inne]\nKlucz=1\n\n[Wyglad]\nWys=600\nObcy=7\n[Dalej]\nA=b\n");
    start();
    form->close();
    const QRect at = form->frameGeometry();
    std::ostringstream expected;
    expected << "; kept\n[Inne]\nKlucz=1\n\n[Wyglad]\nWys=600\nObcy=7\nSzer=" << at.width()
             << "\nPolY=" << at.y() << "\nPolX=" << at.x()
             << "\nPodglWys=124\nSzerKol=" << form->columnHeader->sectionSize(0)
             << "\nWyglListy=0\n[Dalej]\nA=b\n";
    EXPECT_EQ(fileText(), expected.str());
}

TEST_F(SettingsTest, UnwritableFileIsReportedAndTheWindowStillCloses) {
    // Tests run as root, whom permissions do not stop: a folder that does not
    // exist cannot take the file.
    iniPath = QDir(dir.path()).filePath(QStringLiteral("missing/kestrix.ini")).toStdString();
    kestrix::settings::SetPathOverride(iniPath);
    start();
    form->close();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].owner, form);
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages[0].text, QStringLiteral("Unable to write to ") + QString::fromStdString(iniPath));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(iniPath)));
}

TEST_F(SettingsTest, FileLivesBesideTheProgram) {
    kestrix::settings::SetPathOverride({});
    // The test binary's folder is writable, so the file is kept there.
    EXPECT_EQ(
        kestrix::settings::SettingsPath(),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrix.ini")).toStdString());
}

TEST_F(SettingsTest, ALinkOfAnotherUserIsLeftAloneAndTheCloseSaysSo) {
    const std::string victim = QDir(dir.path()).filePath(QStringLiteral("victim.txt")).toStdString();
    std::ofstream(victim, std::ios::binary) << "[Wyglad]\nWys=700\n";
    ASSERT_EQ(symlink(victim.c_str(), iniPath.c_str()), 0);
    if (lchown(iniPath.c_str(), 65534, 65534) != 0) {
        GTEST_SKIP() << "cannot give the link to another user (that needs root); not covered: a link of "
                        "another user's in place of the settings file";
    }

    start();
    EXPECT_NE(form->frameGeometry().height(), 700);
    form->close();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Unable to write to ") + QString::fromStdString(iniPath));
    std::ifstream in(victim, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[Wyglad]\nWys=700\n");
    struct stat st;
    ASSERT_EQ(lstat(iniPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(SettingsTest, AnOwnDanglingLinkIsSavedThrough) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dotfiles")));
    ASSERT_EQ(symlink("dotfiles/kestrix.ini", iniPath.c_str()), 0);
    start();
    form->close();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(stored("WyglListy"), "0");  // read through the link
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/dotfiles/kestrix.ini")).isFile());
}

TEST_F(SettingsTest, AFileTheUserMayNotReadIsNeverWritten) {
    const std::string original = "[Wyglad]\nWys=600\n; the user's own notes\n";
    writeFile(original);
    ASSERT_EQ(chmod(iniPath.c_str(), 0222), 0);
    ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0777), 0);
    // Root reads any file whatever its mode: the window opens and closes in a
    // child process that has given up that power.
    const int outcome = kestrix::platform::testing::RunUnprivileged([this] {
        start();
        form->close();
        return messages.size() == 1 ? 0 : 1;
    });
    if (outcome < 0) GTEST_SKIP() << "cannot run a child process without root's file access";
    EXPECT_EQ(outcome, 0) << "the close must say the file cannot be written";
    EXPECT_EQ(fileText(), original);
}

TEST_F(SettingsTest, LinesAnotherCopyWroteWhileTheProgramRanSurviveItsClose) {
    writeFile("[Wyglad]\nWys=600\n");
    start();
    writeFile("; written by hand meanwhile\n[Wyglad]\nWys=600\nObcy=1\n[Inna]\nk=v\n");
    form->close();
    const std::string text = fileText();
    EXPECT_EQ(text.rfind("; written by hand meanwhile\n[Wyglad]\nWys=", 0), 0u) << text;
    EXPECT_NE(text.find("\nObcy=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n[Inna]\nk=v\n"), std::string::npos) << text;
}

TEST(SettingsLocation, AnInstalledCopyIsKnownByItsFolderStagedOrNot) {
    const std::vector<std::string> installed = {"/usr/local/bin", "/usr/bin"};
    struct Case {
        const char* folder;
        bool isInstalled;
    };
    for (const Case& c :
         {Case{"/usr/local/bin", true}, Case{"/usr/bin/", true},
          Case{"/tmp/stage/usr/bin", true},  // a DESTDIR install
          Case{"/tmp/stage/usr/local/bin", true}, Case{"/home/u/kestrix/build/release", false},
          Case{"/tmp/xusr/bin", false}, Case{"/usr/bin/extra", false}}) {
        EXPECT_EQ(kestrix::settings::IsInstalledCopy(c.folder, installed), c.isInstalled) << c.folder;
    }

    // Installed under another prefix: the desktop entry lies beside it.
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const std::string bin = prefix.path().toStdString() + "/bin";
    EXPECT_FALSE(kestrix::settings::IsInstalledCopy(bin, installed));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/applications")));
    std::ofstream(prefix.path().toStdString() + "/share/applications/kestrix.desktop") << "[Desktop Entry]\n";
    EXPECT_TRUE(kestrix::settings::IsInstalledCopy(bin, installed));
}

// A portable copy whose folder its user may not write to keeps its settings in
// the user's configuration folder instead. Root may write anywhere, so the
// path is asked for in a child process that has given up that power.
TEST(SettingsLocation, APortableCopyThatCannotWriteBesideItselfUsesTheConfigurationFolder) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to ask as another user who may not write to the test program's folder "
                        "(the folder choice for an unwritable folder is not covered)";
    }
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    ASSERT_EQ(chmod(config.path().toLocal8Bit().constData(), 0777), 0);
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    kestrix::settings::SetPathOverride({});
    const std::string expected = config.path().toStdString() + "/Kestrix/kestrix.ini";
    const int outcome = kestrix::platform::testing::RunUnprivileged(
        [&] { return kestrix::settings::SettingsPath() == expected ? 0 : 1; });
    qputenv("XDG_CONFIG_HOME", saved);
    if (outcome < 0) GTEST_SKIP() << "cannot run a child process without root's file access";
    EXPECT_EQ(outcome, 0) << "the settings path is not " << expected;
    EXPECT_TRUE(QFileInfo(config.path() + QStringLiteral("/Kestrix")).isDir());
}

TEST(ScreenFit, AReachablePositionStaysAnyOtherBringsTheWindowWholeOntoTheScreen) {
    const QRect available(0, 0, 800, 600);
    struct Case {
        QRect outer;
        QPoint expected;
    };
    const Case cases[] = {
        {{-40, 30, 700, 600}, {-40, 30}},    // partly off the screen, its title bar within reach
        {{700, 568, 300, 200}, {700, 568}},  // 100 pixels of the title bar, 32 of its height
        {{9000, -3000, 800, 600}, {0, 0}},   // far off
        {{-650, 100, 700, 400}, {0, 100}},   // only 50 pixels of the title bar on the screen
        {{100, 580, 300, 200}, {100, 400}},  // the title bar too low to grab
        {{100, -1, 300, 200}, {100, 0}},     // the title bar above the screen
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kestrix::ui::ReachablePosition(c.outer, available), c.expected)
            << c.outer.x() << "," << c.outer.y();
    }
}

}  // namespace
