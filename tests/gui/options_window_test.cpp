// The options window as it opens: frame, controls, captions, hints, initial
// states, keyboard order; and that it keeps every control across closing.
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "options/radio_group.h"
#include "options/sunken_panel.h"
#include "options_fixture.h"

namespace {

// Geometry inside the parent (labels: only Left and Top count), caption or
// text, enabled, checked (-1: not a check box or radio button), hint.
struct InitialControl {
    const char* name;
    QRect geometry;
    const char* text;
    bool enabled;
    int checked;
    const char* hint;
};

const InitialControl InitialControls[] = {
    {"CheckBox8",
     {16, 16, 145, 17},
     "Zamiana znaków:",
     true,
     0,
     "Zaznacz jeśli chcesz zamienić w nazwie pliku jakiś ciąg znaków na inny"},
    {"Panel5", {16, 40, 145, 73}, "", true, -1, ""},
    {"Label11", {24, 16, -1, -1}, "z", false, -1, ""},
    {"Label4", {96, 16, -1, -1}, "na", false, -1, ""},
    {"Edit1", {16, 32, 49, 21}, "", false, -1, ""},
    {"Edit2", {80, 32, 49, 21}, "", false, -1, ""},
    {"CheckBox12",
     {16, 120, 121, 17},
     "Zmiana rozszerzeń",
     true,
     0,
     "Opcja pozwala zmienić rozszerzenia wszystkich plików na inne"},
    {"Panel7", {16, 144, 145, 73}, "", true, -1, ""},
    {"Label1", {24, 16, -1, -1}, "Nowe rozszerzenie : ", false, -1, ""},
    {"Edit6", {24, 32, 97, 21}, "", false, -1, ""},
    {"CheckBox10",
     {176, 16, 121, 17},
     "Usuń znaki",
     true,
     0,
     "Zaznacz jeśli chcesz usunąć z nazwy pliku podaną ilość znaków z podanego miejsca"},
    {"Panel3", {176, 40, 121, 137}, "", true, -1, ""},
    {"Label6", {32, 8, -1, -1}, "Ile usunąć:", false, -1, ""},
    {"Edit4", {32, 24, 33, 21}, "0", false, -1, "Podaj ile znakow usunac z poczatku nazwy pliku"},
    {"UpDown1", {65, 24, 16, 21}, "", false, -1, ""},
    {"RadioButton1", {16, 48, 97, 17}, "Od początku", false, 1, ""},
    {"RadioButton2", {16, 64, 97, 17}, "Od końca", false, 0, ""},
    {"RadioButton3", {16, 80, 97, 17}, "Od znaku nr :", false, 0, ""},
    {"Edit5", {32, 104, 33, 21}, "0", false, -1, "Podaj, za którym znakiem nazwy pliku zacząć usuwanie"},
    {"UpDown2", {65, 104, 16, 21}, "", false, -1, ""},
    {"CheckBox9",
     {312, 16, 121, 17},
     "Dodaj :",
     true,
     0,
     "Wybierz jeśli chcesz dodać do początku nazwy plików ciąg znaków"},
    {"Panel4", {312, 40, 121, 137}, "", true, -1, ""},
    {"Label10", {44, 8, -1, -1}, "Tekst :", false, -1, ""},
    {"Edit3", {16, 24, 89, 21}, "", false, -1, ""},
    {"RadioButton4", {16, 48, 97, 17}, "Na początku", false, 1, ""},
    {"RadioButton5", {16, 64, 97, 17}, "Na końcu", false, 0, ""},
    {"RadioButton6", {16, 80, 97, 17}, "Za znakiem nr :", false, 0, ""},
    {"Edit7", {32, 104, 33, 21}, "0", false, -1, "Podaj, za którym znakiem nazwy pliku dodać tekst"},
    {"UpDown3", {65, 104, 16, 21}, "", false, -1, ""},
    {"CheckBox7", {448, 16, 145, 17}, "Numerowanie :", true, 0, ""},
    {"Panel6", {448, 40, 145, 177}, "", true, -1, ""},
    {"Label12", {16, 16, -1, -1}, "Początkowa wartość :", false, -1, ""},
    {"Edit8", {32, 32, 25, 21}, "0", false, -1, ""},
    {"Button4", {64, 32, 25, 21}, ">", false, -1, ""},
    {"RadioButton7", {24, 64, 105, 17}, "Na początku", false, 1, ""},
    {"RadioButton8", {24, 80, 105, 17}, "Na końcu", false, 0, ""},
    {"RadioButton9", {24, 96, 105, 17}, "Za znakiem nr :", false, 0, ""},
    {"Edit9", {40, 120, 33, 21}, "0", false, -1, "Podaj, za którym znakiem nazwy pliku wstawić numer"},
    {"UpDown4", {73, 120, 16, 21}, "", false, -1, ""},
    {"CheckBox11", {24, 152, 89, 17}, "Dodawaj zer", false, 0, ""},
    {"CheckBox2",
     {176, 272, 105, 17},
     "Odstępy :",
     true,
     0,
     "Zaznaczenie pozwoli zamienić odstępy na podkreślniki lub odwrotnie"},
    {"Panel1", {176, 296, 201, 49}, "", true, -1, ""},
    {"CheckBox5", {16, 16, 81, 17}, "\"  \"  -->  \"_\"", false, 1, ""},
    {"CheckBox6", {104, 16, 81, 17}, "\"_\"  -->  \"  \"", false, 0, ""},
    {"CheckBox1",
     {400, 272, 105, 17},
     "Zmień nazwy",
     true,
     0,
     "Zaznacz jeśli chcesz zamienić znaki w nazwach plików na małe lub duze litery"},
    {"Panel2", {400, 296, 193, 49}, "", true, -1, ""},
    {"CheckBox3", {16, 16, 81, 17}, "na małe", false, 1, ""},
    {"CheckBox4", {104, 16, 81, 17}, "na duże", false, 0, ""},
    {"RadioGroup1", {192, 192, 225, 65}, "Podgląd zmian : ", true, -1, ""},
    {"RadioGroup1Item0", {-1, -1, -1, -1}, "Podgląd zmian na bieżąco", true, 1, ""},
    {"RadioGroup1Item1", {-1, -1, -1, -1}, "Podgląd zmian po zamknięciu tego okna", true, 0, ""},
    {"RadioGroup2", {16, 232, 145, 81}, "Zmiany dotyczą : ", true, -1, ""},
    {"RadioGroup2Item0", {-1, -1, -1, -1}, "Nazw i rozszerzeń", true, 1, ""},
    {"RadioGroup2Item1", {-1, -1, -1, -1}, "Tylko w nazw", true, 0, ""},
    {"RadioGroup2Item2", {-1, -1, -1, -1}, "Tylko rozszerzeń", true, 0, ""},
    {"CheckBox13",
     {16, 352, 369, 17},
     "Wczytuj zmienione pliki ponownie do programu po zastosowaniu zmian",
     true,
     1,
     ""},
};

QString TextOf(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    return {};
}

// Everything a user can see of the window's named controls.
QStringList Snapshot(const QWidget* window) {
    QStringList state;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_"))) continue;
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        const auto* upDown = qobject_cast<const UpDownSpinner*>(widget);
        state.append(QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(widget->objectName(), TextOf(widget))
                         .arg(widget->isEnabled())
                         .arg(button ? button->isChecked() : -1)
                         .arg(upDown ? upDown->position() : -1));
    }
    return state;
}

}  // namespace

TEST_F(OptionsTest, OpensWithTheDesignedControlsInTheirInitialState) {
    for (const InitialControl& expected : InitialControls) {
        SCOPED_TRACE(expected.name);
        QWidget* widget = control(expected.name);
        ASSERT_NE(widget, nullptr);
        const QRect& want = expected.geometry;
        if (want.x() >= 0) EXPECT_EQ(widget->pos(), want.topLeft());
        if (want.width() >= 0) EXPECT_EQ(widget->size(), want.size());
        EXPECT_EQ(TextOf(widget), QString::fromUtf8(expected.text));
        EXPECT_EQ(widget->isEnabled(), expected.enabled);
        if (expected.checked >= 0)
            EXPECT_EQ(qobject_cast<QAbstractButton*>(widget)->isChecked(), expected.checked == 1);
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(expected.hint));
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(242, 255, 245));
        }
    }
    for (const char* name : {"UpDown1", "UpDown2", "UpDown3", "UpDown4"})
        EXPECT_EQ(spinner(name)->position(), 0);
    for (const char* field : {"Edit4", "Edit5", "Edit7", "Edit9"}) {
        EXPECT_TRUE(edit(field)->isReadOnly()) << field;
        EXPECT_FALSE(edit(field)->focusPolicy() & Qt::TabFocus) << field;
    }
    EXPECT_EQ(QString::fromUtf8("\"  \"  -->  \"_\"").size(), 14);
    EXPECT_TRUE(session->numberAscending());
    EXPECT_TRUE(summary().isEmpty());
    EXPECT_EQ(refreshes(), 0) << "showing the window refreshes nothing";
}

TEST_F(OptionsTest, IsAFixedSizeDialogInTheDesignedFont) {
    EXPECT_EQ(optionsWindow->windowTitle(), QStringLiteral("Opcje zmian nazw plików"));
    EXPECT_EQ(optionsWindow->size(), QSize(623, 390));
    EXPECT_EQ(optionsWindow->minimumSize(), optionsWindow->maximumSize());
    EXPECT_TRUE(optionsWindow->windowFlags() & Qt::Dialog);
    EXPECT_FALSE(optionsWindow->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(optionsWindow->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(optionsWindow->windowFlags() & Qt::WindowCloseButtonHint);
    // The designed face where it is installed; elsewhere Liberation Sans one
    // pixel smaller stands in, as narrow as the designed face.
    EXPECT_EQ(optionsWindow->font().family(), QStringLiteral("MS Sans Serif"));
    if (QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))) {
        EXPECT_EQ(optionsWindow->font().pixelSize(), 11);
    } else {
        EXPECT_EQ(QFontInfo(optionsWindow->font()).family(), QStringLiteral("Liberation Sans"));
        EXPECT_EQ(optionsWindow->font().pixelSize(), 10);
    }
    EXPECT_EQ(optionsWindow->parentWidget(), mainWindow);
    for (const char* panel : {"Panel1", "Panel2", "Panel3", "Panel4", "Panel5", "Panel6", "Panel7"}) {
        EXPECT_NE(control<SunkenPanel>(panel), nullptr);
    }
}

TEST_F(OptionsTest, TabKeyVisitsTheControlsInTheDesignedOrder) {
    const QStringList expected = {"CheckBox1", "CheckBox3", "CheckBox4", "CheckBox10", "UpDown1", "UpDown2",
                                  "RadioButton1", "RadioButton2", "RadioButton3", "CheckBox9", "Edit3",
                                  "UpDown3", "RadioButton4", "RadioButton5", "RadioButton6", "CheckBox2",
                                  "CheckBox5", "CheckBox6", "CheckBox8", "Edit1", "Edit2", "CheckBox7",
                                  "Edit8", "UpDown4", "Button4", "CheckBox11", "RadioButton7", "RadioButton8",
                                  "RadioButton9", "RadioGroup1Item0", "RadioGroup1Item1", "RadioGroup2Item0",
                                  "RadioGroup2Item1", "RadioGroup2Item2", "CheckBox12", "Edit6", "CheckBox13",
                                  // The button to the further rules comes after the designed controls.
                                  "MoreRulesButton"};
    QStringList visited;
    QWidget* first = control("CheckBox1");
    QWidget* widget = first;
    do {
        if (widget->window() == optionsWindow && (widget->focusPolicy() & Qt::TabFocus))
            visited.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != first && visited.size() <= expected.size());
    EXPECT_EQ(visited, expected);
}

TEST_F(OptionsTest, ToolButton3BringsTheShownWindowBackAndClosingOnlyHidesIt) {
    optionsWindow->close();
    EXPECT_FALSE(optionsWindow->isVisible());
    QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
    EXPECT_TRUE(optionsWindow->isVisible());
    QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
    EXPECT_TRUE(optionsWindow->isVisible());
    EXPECT_EQ(mainWindow->findChildren<RenameOptionsWindow*>().size(), 1);
}

TEST_F(OptionsTest, ReopeningShowsEveryControlAsItWasLeft) {
    addEntries(4);
    click("CheckBox8");
    type("Edit1", "a");
    type("Edit2", "ą");
    click("CheckBox12");
    type("Edit6", "txt");
    click("CheckBox10");
    step("UpDown1", +1);
    click("RadioButton3");
    step("UpDown2", +1);
    step("UpDown2", +1);
    click("CheckBox9");
    type("Edit3", "x");
    click("RadioButton5");
    click("CheckBox7");
    click("Button4");
    click("RadioButton9");
    step("UpDown4", +1);
    click("CheckBox11");
    click("CheckBox2");
    click("CheckBox6");
    click("CheckBox1");
    click("CheckBox4");
    click("RadioGroup2Item1");
    click("RadioGroup1Item1");
    click("CheckBox13");

    const QStringList before = Snapshot(optionsWindow);
    const kestrix::RenameOptions options = optionsWindow->readOptions();
    optionsWindow->close();
    QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(optionsWindow));
    EXPECT_EQ(Snapshot(optionsWindow), before);
    EXPECT_EQ(optionsWindow->readOptions(), options);
    EXPECT_FALSE(session->numberAscending());
    EXPECT_FALSE(session->reloadAfterApply());
}

TEST_F(OptionsTest, ReadsEveryOptionFromItsControl) {
    addEntries(3);
    click("CheckBox12");
    type("Edit6", "md");
    click("RadioGroup2Item2");
    click("CheckBox8");
    type("Edit1", "ó");
    type("Edit2", "o");
    click("CheckBox10");
    step("UpDown1", +1);
    step("UpDown1", +1);
    click("RadioButton3");
    step("UpDown2", +1);
    click("CheckBox9");
    type("Edit3", "ab");
    click("RadioButton6");
    step("UpDown3", +1);
    click("CheckBox1");
    click("CheckBox4");
    click("CheckBox2");
    click("CheckBox6");
    click("CheckBox7");
    click("Button4");
    click("RadioButton8");
    click("CheckBox11");

    kestrix::RenameOptions expected;
    expected.ChangeExtension = true;
    expected.NewExtension = "md";
    expected.Scope = 2;
    expected.ReplaceEnabled = true;
    expected.ReplaceFrom = "ó";
    expected.ReplaceTo = "o";
    expected.DeleteEnabled = true;
    expected.DeleteCount = 2;
    expected.DeleteMode = kestrix::DeleteMode::FromPosition;
    expected.DeletePosition = 1;
    expected.InsertEnabled = true;
    expected.InsertText = "ab";
    expected.InsertMode = kestrix::PlaceMode::AfterPosition;
    expected.InsertPosition = 1;
    expected.CaseEnabled = true;
    expected.CaseToLower = false;
    expected.SpacesEnabled = true;
    expected.SpacesToUnderscores = false;
    expected.NumberEnabled = true;
    expected.NumberStart = "3";
    expected.NumberAscending = false;
    expected.NumberLeadingZeros = true;
    expected.NumberMode = kestrix::PlaceMode::AtEnd;
    expected.NumberPosition = 0;
    EXPECT_EQ(optionsWindow->readOptions(), expected);
    EXPECT_EQ(session->options(), expected);
}
