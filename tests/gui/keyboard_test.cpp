// The program without a mouse: the main window's keys, Tab into the tool bar,
// Escape on the options window, the spinners' keys and held arrows, and a
// name for a screen reader on every control of every window.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "about/about_window.h"
#include "folderchooser/folder_chooser.h"
#include "gui_fixture.h"
#include "options/up_down_spinner.h"

namespace {

// Records the object name of every modal window that opens, and closes it.
class ModalCloser {
public:
    ModalCloser() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen.push_back(modal->objectName());
                modal->close();
            }
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

struct Shortcut {
    const char* action;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

const Shortcut kShortcuts[] = {
    {"adds files", Qt::Key_O, Qt::ControlModifier},
    {"opens the folder chooser", Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier},
    {"shows the options", Qt::Key_Comma, Qt::ControlModifier},
    {"applies the renames", Qt::Key_Return, Qt::ControlModifier},
    {"applies the renames", Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier},
    {"shows the about window", Qt::Key_F1, Qt::NoModifier},
};

class KeyboardTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        kestrix::ui::dialogSeams().openFiles = [this](QWidget*) {
            ++fileDialogs;
            return QStringList();
        };
        makeFile("a.txt");
        mainWindow->addDroppedPaths({path("a.txt")});
        mainWindow->show();
    }

    void activateMainWindow() {
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    }

    // What each key has done since the counts were cleared.
    bool done(const std::string& action) const {
        if (action == "adds files") return fileDialogs == 1;
        if (action == "opens the folder chooser") return modals.seen == QStringList{"Form3"};
        if (action == "shows the options") return optionsWindow->isVisible();
        if (action == "applies the renames")
            return asked.size() == 1 &&
                   asked[0].text == QStringLiteral("Czy zastosować wybrane zmiany dla plików z listy ?");
        if (action == "shows the about window") return modals.seen == QStringList{"Form2"};
        return false;
    }
    bool nothingDone() const {
        return fileDialogs == 0 && modals.seen.isEmpty() && asked.empty() && session->entryCount() == 1;
    }
    void clearCounts() {
        fileDialogs = 0;
        modals.seen.clear();
        asked.clear();
        answers = {QMessageBox::No};
    }

    int fileDialogs = 0;
    ModalCloser modals;
};

TEST_F(KeyboardTest, EachKeyDoesItsActionWhateverHasTheFocusInTheMainWindow) {
    for (QWidget* focus : std::initializer_list<QWidget*>{
             mainWindow->fileListView, mainWindow->ruleSummaryList, mainWindow->clearButton}) {
        for (const Shortcut& shortcut : kShortcuts) {
            SCOPED_TRACE(focus->objectName().toStdString() + " " + shortcut.action);
            optionsWindow->hide();
            clearCounts();
            activateMainWindow();
            focus->setFocus();
            QTest::keyClick(focus, shortcut.key, shortcut.modifiers);
            EXPECT_TRUE(QTest::qWaitFor([&] { return done(shortcut.action); }, 3000));
            EXPECT_EQ(session->entryCount(), 1) << "nothing else happened";
        }
    }
}

TEST_F(KeyboardTest, InsideAnEditTheKeysStayTheEdits) {
    // Qt's own keys of an edit or a list mean none of the window's actions;
    // where Qt binds one of them, it means the same.
    const std::vector<std::pair<QKeySequence, QKeySequence::StandardKey>> sameMeaning = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), QKeySequence::Open},
        {QKeySequence(Qt::Key_F1), QKeySequence::HelpContents},
        {QKeySequence(Qt::CTRL | Qt::Key_Comma), QKeySequence::Preferences},
    };
    for (const Shortcut& shortcut : kShortcuts) {
        const QKeySequence key(shortcut.key | shortcut.modifiers);
        for (int standard = QKeySequence::HelpContents; standard <= QKeySequence::Cancel; ++standard) {
            const auto meaning = static_cast<QKeySequence::StandardKey>(standard);
            if (!QKeySequence::keyBindings(meaning).contains(key)) continue;
            EXPECT_NE(std::find(sameMeaning.begin(), sameMeaning.end(), std::pair{key, meaning}),
                      sameMeaning.end())
                << shortcut.action << " is Qt's standard key " << standard;
        }
    }

    // In the options window's edits the keys are the edit's.
    optionsWindow->show();
    check("CheckBox8");
    QLineEdit* edit = optionsWindow->replaceFromEdit;
    edit->setText(QStringLiteral("abc"));
    for (const Shortcut& shortcut : kShortcuts) {
        SCOPED_TRACE(shortcut.action);
        clearCounts();
        optionsWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(optionsWindow));
        edit->setFocus();
        QTest::keyClick(edit, shortcut.key, shortcut.modifiers);
        QCoreApplication::processEvents();
        EXPECT_TRUE(nothingDone());
        EXPECT_TRUE(optionsWindow->isVisible());
        EXPECT_EQ(edit->text(), QStringLiteral("abc"));
    }
}

TEST_F(KeyboardTest, TabReachesTheToolBar) {
    activateMainWindow();
    mainWindow->fileListView->setFocus();
    std::vector<QWidget*> visited;
    for (int press = 0; press < 12; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    for (QToolButton* button :
         {mainWindow->addFilesButton, mainWindow->addFolderButton, mainWindow->optionsButton,
          mainWindow->applyButton, mainWindow->aboutButton, mainWindow->closeButton}) {
        EXPECT_NE(std::find(visited.begin(), visited.end(), button), visited.end())
            << button->objectName().toStdString();
    }
    // Space presses the button with the focus.
    clearCounts();
    mainWindow->addFilesButton->setFocus();
    QTest::keyClick(mainWindow->addFilesButton, Qt::Key_Space);
    EXPECT_EQ(fileDialogs, 1);
}

TEST_F(KeyboardTest, EscapeClosesTheOptionsWindowAsItsCloseButtonDoes) {
    for (const char* focused : {"CheckBox1", "Edit3"}) {
        SCOPED_TRACE(focused);
        mainWindow->showOptionsWindow();
        check("RadioGroup1Item1");  // the preview follows when the window closes
        check("CheckBox1", false);
        check("CheckBox1");
        check("CheckBox4");
        check("CheckBox9");
        ASSERT_EQ(proposedPaths(), std::vector<std::string>{path("a.txt")});
        auto* target = optionsWindow->findChild<QWidget*>(QLatin1String(focused));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(optionsWindow->isVisible());
        EXPECT_EQ(proposedPaths(), std::vector<std::string>{path("A.TXT")});
        check("CheckBox1", false);
        mainWindow->showOptionsWindow();
        QTest::keyClick(optionsWindow, Qt::Key_Escape);
        EXPECT_EQ(proposedPaths(), std::vector<std::string>{path("a.txt")});
    }
}

class SpinnerKeysTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        mainWindow->showOptionsWindow();
        check("CheckBox10");
        spinner = optionsWindow->deleteCountSpinner;
        field = optionsWindow->deleteCountField;
    }
    UpDownSpinner* spinner = nullptr;
    QLineEdit* field = nullptr;
};

TEST_F(SpinnerKeysTest, KeysStepWithinTheRange) {
    struct Case {
        Qt::Key key;
        int from, to;
    };
    const Case cases[] = {
        {Qt::Key_Up, 0, 1},        {Qt::Key_Down, 1, 0},     {Qt::Key_Down, 0, 0},
        {Qt::Key_Up, 100, 100},    {Qt::Key_PageUp, 5, 15},  {Qt::Key_PageUp, 95, 100},
        {Qt::Key_PageDown, 15, 5}, {Qt::Key_PageDown, 5, 0}, {Qt::Key_Home, 37, 0},
        {Qt::Key_End, 37, 100},    {Qt::Key_End, 100, 100},  {Qt::Key_Home, 0, 0},
    };
    for (QWidget* focus : std::initializer_list<QWidget*>{spinner, field}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(focus->objectName().toStdString() + " key " + std::to_string(c.key) + " from " +
                         std::to_string(c.from));
            spinner->setPosition(c.from);
            QSignalSpy clicked(spinner, &UpDownSpinner::clicked);
            QTest::keyClick(focus, c.key);
            EXPECT_EQ(spinner->position(), c.to);
            EXPECT_EQ(field->text(), QString::number(c.to));
            EXPECT_EQ(clicked.count(), c.from == c.to ? 0 : 1);
        }
    }
    // The window follows a step made by a key.
    spinner->setPosition(0);
    QTest::keyClick(spinner, Qt::Key_PageUp);
    EXPECT_EQ(session->options().DeleteCount, 10);
}

TEST_F(SpinnerKeysTest, TheSpinnerTakesATabStopBesideItsField) {
    EXPECT_TRUE(spinner->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(field->focusPolicy() & Qt::TabFocus);
    optionsWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(optionsWindow));
    optionsWindow->deleteBox->setFocus();
    QTest::keyClick(optionsWindow->deleteBox, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), spinner);
}

TEST_F(SpinnerKeysTest, AHeldArrowRepeatsUntilReleasedOrAtTheEnd) {
    const int rate = spinner->style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, spinner);
    const QPoint upper(spinner->width() / 2, 2);
    QTest::mousePress(spinner, Qt::LeftButton, {}, upper);
    EXPECT_TRUE(QTest::qWaitFor([&] { return spinner->position() >= 4; }, 5000));
    QTest::mouseRelease(spinner, Qt::LeftButton, {}, upper);
    const int released = spinner->position();
    QTest::qWait(rate * 4);  // a few repeat intervals, in which nothing may step
    EXPECT_EQ(spinner->position(), released);

    spinner->setPosition(97);
    QSignalSpy clicked(spinner, &UpDownSpinner::clicked);
    QTest::mousePress(spinner, Qt::LeftButton, {}, upper);
    EXPECT_TRUE(QTest::qWaitFor([&] { return spinner->position() == 100; }, 5000));
    QTest::qWait(rate * 4);
    QTest::mouseRelease(spinner, Qt::LeftButton, {}, upper);
    EXPECT_EQ(spinner->position(), 100);
    EXPECT_EQ(clicked.count(), 3);
}

// Every control a user can reach, and every list, has a name a screen reader
// reads; a button whose caption is a sign is named in words.
TEST_F(KeyboardTest, EveryControlOfEveryWindowHasAName) {
    auto unnamed = [](QWidget* window) {
        QStringList missing;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const bool control =
                (widget->focusPolicy() & Qt::TabFocus) || qobject_cast<QAbstractItemView*>(widget);
            if (!control || widget->objectName().isEmpty() || widget->objectName().startsWith("qt_"))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty())
                missing << widget->objectName();
        }
        return missing;
    };
    EXPECT_EQ(unnamed(mainWindow), QStringList());
    EXPECT_EQ(unnamed(optionsWindow), QStringList());
    FolderChooser chooser(*session, mainWindow);
    EXPECT_EQ(unnamed(&chooser), QStringList());
    AboutWindow about(mainWindow);
    EXPECT_EQ(unnamed(&about), QStringList());

    struct Named {
        QWidget* widget;
        const char* name;
    };
    const Named names[] = {
        {mainWindow->ruleSummaryList, "Podsumowanie reguł"},
        {mainWindow->fileListView, "Lista plików"},
        {mainWindow->applyButton, "Zmień nazwy plików"},
        {optionsWindow->deleteCountSpinner, "Ile usunąć"},
        {optionsWindow->deleteCountField, "Ile usunąć"},
        {optionsWindow->newExtensionEdit, "Nowe rozszerzenie"},
        {optionsWindow->startValueEdit, "Początkowa wartość"},
        {optionsWindow->directionButton, "Kierunek numerowania"},
        {chooser.folderList, "Katalogi"},
        {chooser.chosenFolderEdit, "Wybrany katalog"},
    };
    for (const Named& named : names) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(named.widget)->text(QAccessible::Name),
                  QString::fromUtf8(named.name));
    }
    // A spinner is heard as a spin button with its value and range.
    optionsWindow->deleteCountSpinner->setPosition(35);
    QAccessibleInterface* spinner = QAccessible::queryAccessibleInterface(optionsWindow->deleteCountSpinner);
    EXPECT_EQ(spinner->role(), QAccessible::SpinBox);
    ASSERT_NE(spinner->valueInterface(), nullptr);
    EXPECT_EQ(spinner->valueInterface()->currentValue().toInt(), 35);
    EXPECT_EQ(spinner->valueInterface()->maximumValue().toInt(), 100);
    EXPECT_EQ(spinner->text(QAccessible::Value), QStringLiteral("35"));
    // Hints are the descriptions.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(optionsWindow->deleteCountField)
                  ->text(QAccessible::Description),
              QStringLiteral("Podaj ile znakow usunac z poczatku nazwy pliku"));
}

}  // namespace
