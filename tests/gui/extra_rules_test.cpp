// The further rules window: where its button sits, what its rules do to the
// preview, the marks and the run, and the saved rule sets.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "media_files.h"
#include "options/extra_rules_window.h"
#include "options/radio_group.h"
#include "options_fixture.h"

namespace {

class ExtraRulesTest : public OptionsTest {
protected:
    void SetUp() override {
        // Rule sets go to a configuration folder of the test's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir.path()));
        OptionsTest::SetUp();
        kestrix::ui::dialogSeams().askText = [this](QWidget*, const QString&, const QString&,
                                                    const QString&) -> std::optional<QString> {
            if (names.empty()) return std::nullopt;
            QString name = names.front();
            names.erase(names.begin());
            return name;
        };
        click("MoreRulesButton");
        extra = optionsWindow->findChild<ExtraRulesWindow*>();
        ASSERT_NE(extra, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(extra));
    }
    void TearDown() override {
        OptionsTest::TearDown();
        qunsetenv("XDG_CONFIG_HOME");
    }

    template <typename T = QWidget>
    T* extraControl(const char* name) const {
        T* found = extra->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void extraClick(const char* name) const { click(extraControl<QAbstractButton>(name)); }
    void extraType(const char* name, const QString& text) const {
        QLineEdit* target = extraControl<QLineEdit>(name);
        target->setFocus();
        target->end(false);
        target->insert(text);
    }
    std::string setFile(const std::string& name) const {
        return configDir.path().toStdString() + "/Kestrix/zestawy/" + name + ".ini";
    }
    void waitForMarks() const {
        ASSERT_TRUE(QTest::qWaitFor([&] { return session->conflictsSettled(); }));
    }

    QTemporaryDir configDir;
    std::vector<QString> names;  // the answers of the next name questions
    ExtraRulesWindow* extra = nullptr;
};

TEST_F(ExtraRulesTest, OpensModelessFromTheFreeCornerOfTheOptionsWindow) {
    QPushButton* button = control<QPushButton>("MoreRulesButton");
    EXPECT_EQ(button->text(), QStringLiteral("Więcej reguł…"));
    const QRect corner(400, 352, 208, 34);  // right of CheckBox13, below Panel2
    EXPECT_TRUE(corner.contains(button->geometry()))
        << button->geometry().x() << "," << button->geometry().y();
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width());
    for (QWidget* other : optionsWindow->findChildren<QWidget*>()) {
        if (other == button || other->parentWidget() != optionsWindow || other->isWindow()) continue;
        EXPECT_FALSE(other->geometry().intersects(button->geometry())) << other->objectName().toStdString();
    }

    EXPECT_EQ(extra->windowTitle(), QStringLiteral("Reguły dodatkowe"));
    EXPECT_EQ(extra->windowModality(), Qt::NonModal);
    EXPECT_EQ(extra->minimumSize(), extra->maximumSize());
    EXPECT_EQ(extra->font(), optionsWindow->font());  // the designed face, sized in pixels
    EXPECT_EQ(extraControl<QLineEdit>("PatternEdit")->palette().color(QPalette::Base), QColor(242, 255, 245));
    // The options window still answers while the new one is open.
    click("CheckBox1");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(summary(), QStringList{QStringLiteral("Zamiana na małe litery")});
}

TEST_F(ExtraRulesTest, ARegularExpressionRenamesAndAnInvalidOneChangesNothing) {
    addEntries({"/data/IMG 12 z 345.jpg", "/data/zażółć.txt"});
    extraClick("RegexBox");
    extraType("PatternEdit", QStringLiteral("(\\d+)"));
    extraType("RegexReplacementEdit", QStringLiteral("nr$1"));
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/data/IMG nr12 z nr345.jpg", "/data/zażółć.txt"}));
    EXPECT_EQ(summary(),
              QStringList{QStringLiteral("Wyrażenie regularne : \"(\\d+)\" na : \"nr$1\", wszystkie "
                                         "wystąpienia, z uwzględnieniem wielkości liter")});

    extraType("PatternEdit", QStringLiteral("("));
    const QLabel* problem = extraControl<QLabel>("PatternProblemLabel");
    EXPECT_EQ(problem->text(), QStringLiteral("Błędny wzorzec (znak nr 7): brak nawiasu zamykającego \")\""));
    EXPECT_EQ(problem->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    EXPECT_EQ(summary(), QStringList{QStringLiteral(
                             "Wyrażenie regularne : \"(\\d+)(\" jest błędne, nazwy pozostają bez zmian")});
    // Other changes reach no proposed path while the pattern stands.
    click("CheckBox1");
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/data/IMG nr12 z nr345.jpg", "/data/zażółć.txt"}));

    extraControl<QLineEdit>("PatternEdit")->setText(QStringLiteral("^\\w+"));
    extraControl<QLineEdit>("RegexReplacementEdit")->setText(QStringLiteral("X"));
    EXPECT_TRUE(problem->text().isEmpty());
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/data/X 12 z 345.jpg", "/data/X.txt"}));
}

TEST_F(ExtraRulesTest, ATemplateUsesTheFactsSourceAndAnItemLackingOneKeepsItsNameInTheRun) {
    makeFile("a.jpg");
    makeFile("b.jpg");
    session->setItemFactsSource(
        [this](const std::string& item, kestrix::FactKinds wanted, kestrix::ItemFacts& facts) {
            EXPECT_EQ(wanted, kestrix::Bit(kestrix::Fact::DateTaken) | kestrix::Bit(kestrix::Fact::Artist));
            facts.artist = "Niemen";
            if (item == path("a.jpg")) facts.dateTaken = kestrix::DateTime{2024, 7, 5, 9, 3, 7};
        });
    addEntries({path("a.jpg"), path("b.jpg")});
    click("RadioGroup2Item1");
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[data:RRRR-MM-DD_GG-mm-ss] [wykonawca] [nr:2]"));
    waitForMarks();
    EXPECT_EQ(proposedPaths(),
              (std::vector<std::string>{path("2024-07-05_09-03-07 Niemen 01.jpg"), path("b.jpg")}));
    EXPECT_FALSE(session->entryList().markAt(0).failing());
    EXPECT_TRUE(session->entryList().markAt(1).failing());
    EXPECT_TRUE(session->entryList()
                    .index(1)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("Nie uda się zmienić nazwy: brak daty wykonania zdjęcia")));
    EXPECT_EQ(summary(),
              (QStringList{QStringLiteral("Szablon nazwy : \"[data:RRRR-MM-DD_GG-mm-ss] [wykonawca] "
                                          "[nr:2]\", numeracja od : 1"),
                           QStringLiteral("Konflikty : 1")}));

    answers.push_back(QMessageBox::Yes);
    mainWindow->applyRenames();
    waitForRun();
    EXPECT_TRUE(std::filesystem::exists(path("2024-07-05_09-03-07 Niemen 01.jpg")));
    EXPECT_TRUE(std::filesystem::exists(path("b.jpg")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir.path().toStdString()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(ExtraRulesTest, ADateTakenTemplateNamesRealPhotosAndAnUndatedOneKeepsItsName) {
    media::MakeJpeg(path("a.jpg"), {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:31:02"}});
    media::MakeJpeg(path("b.jpg"), {{"Exif.Photo.DateTimeOriginal", "2023:01:02 03:04:05"}});
    media::MakeJpeg(path("c.jpg"));
    addEntries({path("a.jpg"), path("b.jpg"), path("c.jpg")});
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[data:RRRR-MM-DD] [nazwa]"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session->factsPending(); }));
    waitForMarks();
    EXPECT_EQ(proposedPaths(),
              (std::vector<std::string>{path("2024-07-15 a.jpg"), path("2023-01-02 b.jpg"), path("c.jpg")}));
    EXPECT_TRUE(session->entryList()
                    .index(2)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("brak daty wykonania zdjęcia")));
}

// Each keystroke finds the dates of the whole list at once; they must still
// be those of the items the rows hold after a sort, and of a photo changed since.
TEST_F(ExtraRulesTest, DatesFollowTheirPhotosAfterASortAndAChangeOnDisk) {
    media::MakeJpeg(path("a.jpg"), {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:31:02"}});
    media::MakeJpeg(path("b.jpg"), {{"Exif.Photo.DateTimeOriginal", "2023:01:02 03:04:05"}});
    addEntries({path("a.jpg"), path("b.jpg")});
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[data:RRRR-MM-DD] [nazwa]"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session->factsPending(); }));
    ASSERT_EQ(proposedPaths(),
              (std::vector<std::string>{path("2024-07-15 a.jpg"), path("2023-01-02 b.jpg")}));

    session->reverseEntries();
    extraType("TemplateEdit", QStringLiteral("_"));
    EXPECT_EQ(proposedPaths(),
              (std::vector<std::string>{path("2023-01-02 b.jpg_"), path("2024-07-15 a.jpg_")}));

    media::MakeJpeg(path("a.jpg"), {{"Exif.Photo.DateTimeOriginal", "2025:02:03 04:05:06"}});
    extraType("TemplateEdit", QStringLiteral("_"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session->factsPending(); }));
    EXPECT_EQ(proposedPaths(),
              (std::vector<std::string>{path("2023-01-02 b.jpg__"), path("2025-02-03 a.jpg__")}));
}

TEST_F(ExtraRulesTest, ARunStartedWhileDatesAreReadWaitsForThem) {
    media::MakeJpeg(path("a.jpg"), {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:31:02"}});
    media::MakeJpeg(path("c.jpg"));
    addEntries({path("a.jpg"), path("c.jpg")});
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[data:RRRR-MM-DD] [nazwa]"));
    answers.push_back(QMessageBox::Yes);
    mainWindow->applyRenames();
    waitForRun();
    EXPECT_TRUE(std::filesystem::exists(path("2024-07-15 a.jpg")));
    EXPECT_TRUE(std::filesystem::exists(path("c.jpg")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir.path().toStdString()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(ExtraRulesTest, AnAudioTagTokenNamesARealMp3) {
    media::MakeMp3(path("a.mp3"), {.artist = "Niemen", .title = "Dziwny jest ten świat"});
    addEntries({path("a.mp3")});
    click("RadioGroup2Item1");
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[wykonawca] - [tytuł]"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session->factsPending(); }));
    waitForMarks();
    EXPECT_EQ(proposedPaths(), std::vector<std::string>{path("Niemen - Dziwny jest ten świat.mp3")});
}

TEST_F(ExtraRulesTest, WithoutAFactsSourceTheTagsAreMissingAndTheModificationTimeIsRead) {
    makeFile("a.mp3");
    addEntries({path("a.mp3")});
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[wykonawca]"));
    waitForMarks();
    EXPECT_EQ(proposedPaths(), std::vector<std::string>{path("a.mp3")});
    EXPECT_TRUE(session->entryList()
                    .index(0)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("brak znacznika: wykonawca")));

    std::filesystem::last_write_time(path("a.mp3"), std::filesystem::file_time_type::clock::now());
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy"));
    extraControl<QLineEdit>("TemplateEdit")->setText(QStringLiteral("[zmod:RRRR] [folder]"));
    waitForMarks();
    EXPECT_EQ(proposedPaths(), std::vector<std::string>{path(today.toStdString() + " " +
                                                             QDir(tempDir.path()).dirName().toStdString())});
    EXPECT_FALSE(session->entryList().markAt(0).failing());
}

TEST_F(ExtraRulesTest, AnUnknownTokenIsExplainedAndChangesNothing) {
    addEntries({"/data/a.jpg"});
    extraClick("TemplateBox");
    extraType("TemplateEdit", QStringLiteral("[nazwa]_[numer]"));
    EXPECT_EQ(extraControl<QLabel>("TemplateProblemLabel")->text(),
              QStringLiteral("Nieznany znacznik \"[numer]\" (znak nr 9)"));
    EXPECT_EQ(proposedPaths(), std::vector<std::string>{"/data/a.jpg"});
}

TEST_F(ExtraRulesTest, TheTemplatesNumberFollowsTheListWhenEntriesGoOrMove) {
    addEntries({"/data/a.txt", "/data/b.txt", "/data/c.txt"});
    click("RadioGroup2Item1");
    extraClick("TemplateBox");
    extraControl<QLineEdit>("TemplateStartEdit")->setText(QStringLiteral("7"));
    extraType("TemplateEdit", QStringLiteral("[nazwa]_[nr:2]"));
    EXPECT_EQ(proposedPaths(),
              (std::vector<std::string>{"/data/a_07.txt", "/data/b_08.txt", "/data/c_09.txt"}));
    session->removeRows({0});
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/data/b_07.txt", "/data/c_08.txt"}));
    session->moveRows({{false, true}, 1}, -1);
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/data/c_07.txt", "/data/b_08.txt"}));
}

TEST_F(ExtraRulesTest, ASetIsSavedAndLoadedAsTheClicksWouldSetIt) {
    addEntries(3);
    click("CheckBox7");
    click("Button4");  // counting down from the entry count
    click("RadioButton8");
    click("CheckBox10");
    step("UpDown1", 1);
    step("UpDown1", 1);
    extraClick("PlainLettersBox");
    extraClick("WordCaseBox");
    extraClick("EveryWordButton");
    names = {QStringLiteral("Wakacje")};
    extraClick("SaveRuleSetButton");
    ASSERT_TRUE(std::filesystem::exists(setFile("Wakacje")));
    EXPECT_EQ(extraControl<QComboBox>("RuleSetCombo")->currentText(), QStringLiteral("Wakacje"));
    const QStringList saved = summary();

    // Everything back to the start, then the set chosen again.
    click("Button4");
    click("CheckBox7");
    click("CheckBox10");
    extraClick("PlainLettersBox");
    extraClick("WordCaseBox");
    QComboBox* sets = extraControl<QComboBox>("RuleSetCombo");
    sets->setCurrentIndex(-1);
    sets->setCurrentIndex(0);
    EXPECT_TRUE(button("CheckBox7")->isChecked());
    EXPECT_EQ(button("Button4")->text(), QStringLiteral("<"));
    EXPECT_EQ(edit("Edit8")->text(), QStringLiteral("3"));
    EXPECT_TRUE(button("RadioButton8")->isChecked());
    EXPECT_EQ(edit("Edit4")->text(), QStringLiteral("2"));
    EXPECT_TRUE(edit("Edit4")->isEnabled());
    EXPECT_TRUE(extraControl<QCheckBox>("PlainLettersBox")->isChecked());
    EXPECT_TRUE(extraControl<QRadioButton>("EveryWordButton")->isChecked());
    EXPECT_EQ(summary(), saved);
    EXPECT_EQ(extraControl<QLabel>("RuleSetMessage")->text(), QStringLiteral("Wczytano zestaw \"Wakacje\"."));
}

TEST_F(ExtraRulesTest, NamesThatCannotNameASetAreRefusedWithTheReason) {
    struct Refused {
        QString name;
        const char* reason;
    };
    const Refused refused[] = {
        {QString(), "Nazwa zestawu nie może być pusta."},
        {QStringLiteral("a/b"), "Nazwa zestawu nie może zawierać znaku \"/\"."},
        {QStringLiteral("."), "Nazwa zestawu nie może być \".\" ani \"..\"."},
        {QStringLiteral(".."), "Nazwa zestawu nie może być \".\" ani \"..\"."},
        {QString(101, u'ż'), "Nazwa zestawu może mieć najwyżej 100 znaków."},
    };
    for (const Refused& name : refused) {
        asked.clear();
        names = {name.name};
        extraClick("SaveRuleSetButton");
        ASSERT_EQ(asked.size(), 1u) << name.reason;
        EXPECT_EQ(asked[0].text, QString::fromUtf8(name.reason));
    }
    EXPECT_FALSE(std::filesystem::exists(configDir.path().toStdString() + "/Kestrix/zestawy"));

    names = {QString(100, u'ż')};
    extraClick("SaveRuleSetButton");
    EXPECT_EQ(extraControl<QComboBox>("RuleSetCombo")->count(), 1);
}

TEST_F(ExtraRulesTest, AHandEditedSetLoadsWhatIsValidAndSaysWhatWasNot) {
    std::filesystem::create_directories(configDir.path().toStdString() + "/Kestrix/zestawy");
    const std::string content =
        "śmieci bez znaku równości\n[Zestaw]\nZakres=7\nNumerowanie=1\nNumerowanieOd=\"12a\"\nDodawanie=1\n"
        "DodawanieTekst=\" Lato \"\nDodawanieGdzie=2\nDodawaniePozycja=300\nBezPolskichZnakow=tak\n";
    std::ofstream(setFile("ręczny")) << content;
    // Shown again, the window lists the sets anew.
    extra->hide();
    extra->show();
    addEntries({"/data/ab.txt"});
    QComboBox* sets = extraControl<QComboBox>("RuleSetCombo");
    ASSERT_EQ(sets->count(), 1);
    sets->setCurrentIndex(0);

    EXPECT_EQ(control<RadioGroup>("RadioGroup2")->itemIndex(), 0);
    EXPECT_TRUE(button("CheckBox7")->isChecked());
    EXPECT_EQ(edit("Edit8")->text(), QStringLiteral("0"));  // "12a" does not convert
    EXPECT_EQ(edit("Edit3")->text(), QStringLiteral(" Lato "));
    EXPECT_TRUE(button("RadioButton6")->isChecked());
    EXPECT_EQ(edit("Edit7")->text(), QStringLiteral("0"));
    EXPECT_FALSE(extraControl<QCheckBox>("PlainLettersBox")->isChecked());
    const QString message = extraControl<QLabel>("RuleSetMessage")->text();
    EXPECT_TRUE(
        message.startsWith(QStringLiteral("Wczytano zestaw \"ręczny\"; pominięto: brak ZmianaRozszerzen")))
        << message.toStdString();
    for (const char* note :
         {"Zakres = \"7\" (dozwolone od 0 do 2)", "DodawaniePozycja = \"300\" (dozwolone od 0 do 100)",
          "BezPolskichZnakow = \"tak\" (dozwolone od 0 do 1)", "brak WielkoscWyrazowRodzaj"}) {
        EXPECT_TRUE(message.contains(QString::fromUtf8(note))) << note;
    }
    EXPECT_EQ(proposedPaths(), std::vector<std::string>{"/data/0 Lato ab.txt"});
    // Loading wrote nothing.
    std::ifstream file(setFile("ręczny"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), content);
}

}  // namespace
