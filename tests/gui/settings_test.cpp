// The settings file on real files: what a start makes of the stored values,
// and what a close writes back.
#include <fstream>
#include <sstream>

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/dialogs.h"
#include "app/form1.h"
#include "app/settings.h"

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
        Form1 = nullptr;
        kestrix::settings::SetPathOverride({});
        kestrix::ui::resetDialogSeams();
    }

    // Starts the main window as the program does: created, then shown.
    void start() {
        form = new TForm1;
        Form1 = form;
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
    TForm1* form = nullptr;
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
    EXPECT_EQ(form->Panel4->height(), 124);
    EXPECT_EQ(form->HeaderControl1->sectionSize(0), form->HeaderControl1->width() / 2);
    EXPECT_EQ(form->listViewMode(), 0);
    EXPECT_TRUE(form->ciekaNazwa1->isChecked());
    EXPECT_FALSE(form->Nazwa1->isChecked());
    // The window cannot be made smaller than 640 x 541 outside.
    EXPECT_EQ(form->minimumSize() + frame, QSize(640, 541));

    form->ToolButton7Click();
    EXPECT_FALSE(form->isVisible());
    const QRect at = form->frameGeometry();
    std::ostringstream expected;
    expected << "[Wyglad]\nWys=" << at.height() << "\nSzer=" << at.width() << "\nPolY=" << at.y()
             << "\nPolX=" << at.x() << "\nPodglWys=124\nSzerKol=" << form->HeaderControl1->sectionSize(0)
             << "\nWyglListy=0\n";
    EXPECT_EQ(fileText(), expected.str());
    EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsTest, StoredValuesAreAppliedAndWrittenBackUnchanged) {
    writeFile("[Wyglad]\nWys=600\nSzer=700\nPolY=30\nPolX=-40\nPodglWys=200\nSzerKol=100\nWyglListy=2\n");
    start();
    EXPECT_EQ(form->frameGeometry(), QRect(-40, 30, 700, 600));
    EXPECT_EQ(form->Panel4->height(), 200);
    EXPECT_EQ(form->HeaderControl1->sectionSize(0), 100);
    EXPECT_EQ(form->listViewMode(), 2);
    EXPECT_FALSE(form->ciekaNazwa1->isChecked());
    EXPECT_TRUE(form->Nazwa1->isChecked());

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
            if (key == "SzerKol") written = form->HeaderControl1->width() / 2;
            if (key == "Wys") written = outer.height();
        }
        EXPECT_EQ(stored(c.key), std::to_string(written));
        delete form;
        form = nullptr;
    }
}

TEST_F(SettingsTest, MissingPositionCentresWithTheStoredSizeRoundedTowardZero) {
    // Taller and wider than the screen by an odd number of pixels: the
    // centring halves a negative odd number.
    const int height = screen().height() + 101;
    const int width = screen().width() + 51;
    writeFile("[Wyglad]\nWys=" + std::to_string(height) + "\nSzer=" + std::to_string(width) + "\n");
    start();
    EXPECT_EQ(form->frameGeometry(), QRect(-25, -50, width, height));
}

TEST_F(SettingsTest, OtherSectionsKeysAndCommentsSurviveAWrite) {
    writeFile("; kept\n[Inne]\nKlucz=1\n\n[Wyglad]\nWys=600\nObcy=7\n[Dalej]\nA=b\n");
    start();
    form->close();
    const QRect at = form->frameGeometry();
    std::ostringstream expected;
    expected << "; kept\n[Inne]\nKlucz=1\n\n[Wyglad]\nWys=600\nObcy=7\nSzer=" << at.width()
             << "\nPolY=" << at.y() << "\nPolX=" << at.x()
             << "\nPodglWys=124\nSzerKol=" << form->HeaderControl1->sectionSize(0)
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
        TForm1::SettingsPath(),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrix.ini")).toStdString());
}

}  // namespace
