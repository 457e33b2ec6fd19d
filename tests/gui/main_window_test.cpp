// The main window at start-up, its tool bar and menu, and its handling of
// errors that escape a handler.
#include <stdexcept>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "about/about_window.h"
#include "gui_fixture.h"
#include "ui/progress_gauge.h"

namespace {

class MainWindowTest : public GuiTest {};

TEST_F(MainWindowTest, StartsEmptyWithItsCaptionsAndFlags) {
    EXPECT_EQ(mainWindow->windowTitle(), QStringLiteral("Kestrix (małe/duże itp) v2.0.5"));
    EXPECT_EQ(session->entryCount(), 0);
    EXPECT_FALSE(mainWindow->progressGauge->isVisibleTo(mainWindow));
    EXPECT_EQ(mainWindow->previewCaption->text(), QStringLiteral("Podgląd wybranych zmian w nazwach :"));
    EXPECT_EQ(mainWindow->ruleSummaryList->count(), 0);
    EXPECT_TRUE(folderContentsAdded.empty()) << "no folder's contents, by any of the three choices";
    EXPECT_TRUE(session->numberAscending());
    EXPECT_EQ(mainWindow->columnHeader->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Oryginalne nazwy plików:"));
    EXPECT_EQ(mainWindow->columnHeader->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Nazwy po wprowadzonych zmianach:"));
    EXPECT_EQ(mainWindow->fileListView->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(optionsWindow->isVisible());
}

TEST_F(MainWindowTest, ToolBarButtonsCarryTheirHintsKeysAndStartStates) {
    struct Button {
        const char* name;
        const char* hint;
        QKeySequence key;
        bool enabled;
    };
    const Button buttons[] = {
        {"ToolButton1", "Dodaj pliki do listy", QKeySequence(Qt::CTRL | Qt::Key_O), true},
        {"ToolButton2", "Dodaj pliki z wybranego katalogu", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
         true},
        {"ToolButton3", "Jakie zmiany nazw zastosować", QKeySequence(Qt::CTRL | Qt::Key_Comma), true},
        {"ToolButton4", "Zmień nazwy plików", QKeySequence(Qt::CTRL | Qt::Key_Return), false},
        {"ToolButton5", "Wyczyść listę", QKeySequence(), true},
        {"ToolButton6", "Informacje o programie", QKeySequence(Qt::Key_F1), true},
        {"ToolButton7", "Zamknij program", QKeySequence(), true},
    };
    int x = -1;
    mainWindow->show();
    for (const Button& expected : buttons) {
        auto* button = mainWindow->findChild<QToolButton*>(QLatin1String(expected.name));
        ASSERT_NE(button, nullptr) << expected.name;
        const QString hint = QString::fromUtf8(expected.hint);
        EXPECT_EQ(button->toolTip(),
                  expected.key.isEmpty()
                      ? hint
                      : hint + " (" + expected.key.toString(QKeySequence::NativeText) + ")")
            << expected.name;
        EXPECT_EQ(button->shortcut(), expected.key) << expected.name;
        EXPECT_EQ(button->accessibleName(), hint) << expected.name;
        EXPECT_EQ(button->isEnabled(), expected.enabled) << expected.name;
        EXPECT_FALSE(button->icon().isNull()) << expected.name;
        EXPECT_EQ(button->size(), QSize(60, 60)) << expected.name;
        const int left = button->mapTo(mainWindow, QPoint(0, 0)).x();
        EXPECT_GT(left, x) << expected.name << " stands left to right";
        x = left;
    }
    EXPECT_EQ(mainWindow->addFilesButton->toolTip(), QStringLiteral("Dodaj pliki do listy (Ctrl+O)"));
}

TEST_F(MainWindowTest, PopupMenuHoldsItsItemsShortcutsAndViewMarks) {
    struct Item {
        QAction* action;
        const char* caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {mainWindow->moveUpAction, "Przesuń do góry", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {mainWindow->moveDownAction, "Przesuń w dół", QKeySequence(Qt::CTRL | Qt::Key_W)},
        {mainWindow->removeSelectedAction, "Usuń zaznaczone pliki z listy", QKeySequence(Qt::Key_Delete)},
        {mainWindow->undoAction, "Cofnij ostatnią zmianę nazw", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {mainWindow->fullPathViewAction, "Ścieżka + Nazwa pliku", QKeySequence()},
        {mainWindow->nameOnlyViewAction, "Nazwa pliku", QKeySequence()},
    };
    for (const Item& item : items) {
        EXPECT_EQ(item.action->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(item.action->shortcut(), item.shortcut) << item.caption;
    }
    for (QAction* withImage :
         {mainWindow->moveUpAction, mainWindow->moveDownAction, mainWindow->removeSelectedAction}) {
        EXPECT_FALSE(withImage->icon().isNull());
    }
    EXPECT_TRUE(mainWindow->menuSeparator->isSeparator());
    EXPECT_EQ(mainWindow->viewMenu->title(), QStringLiteral("Widok"));
    EXPECT_TRUE(mainWindow->fullPathViewAction->isChecked());
    EXPECT_FALSE(mainWindow->nameOnlyViewAction->isChecked());
    const QList<QAction*> order = mainWindow->fileListMenu->actions();
    // The designed entries first; sorting, selecting and the history of runs below them.
    ASSERT_EQ(order.size(), 9);
    EXPECT_EQ(order[0], mainWindow->moveUpAction);
    EXPECT_EQ(order[2], mainWindow->removeSelectedAction);
    EXPECT_EQ(order[3], mainWindow->undoAction);
    EXPECT_EQ(order[5], mainWindow->viewMenu->menuAction());
    EXPECT_EQ(order[6], mainWindow->sortMenu->menuAction());
    EXPECT_EQ(order[7], mainWindow->selectMenu->menuAction());
    EXPECT_EQ(order[8], mainWindow->runHistoryAction);
    EXPECT_EQ(mainWindow->runHistoryAction->text(), QStringLiteral("Historia zmian…"));
    // Nothing to take back before any run.
    EXPECT_FALSE(mainWindow->undoAction->isEnabled());
}

TEST_F(MainWindowTest, OptionsButtonShowsTheOneOptionsWindow) {
    mainWindow->show();
    QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
    EXPECT_TRUE(optionsWindow->isVisible());
    QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
    EXPECT_TRUE(optionsWindow->isVisible());
    EXPECT_EQ(mainWindow->findChildren<RenameOptionsWindow*>().size(), 1);
}

TEST_F(MainWindowTest, CloseButtonClosesTheWindow) {
    mainWindow->show();
    QTest::mouseClick(mainWindow->closeButton, Qt::LeftButton);
    EXPECT_FALSE(mainWindow->isVisible());
}

TEST_F(MainWindowTest, WithoutSettingsTheHeaderSplitsInHalfAndFileListRowsAreSixteenHigh) {
    mainWindow->show();
    EXPECT_EQ(mainWindow->columnHeader->sectionSize(0), mainWindow->columnHeader->width() / 2);
    EXPECT_EQ(mainWindow->columnHeader->height(), 17);
    EXPECT_EQ(mainWindow->toolBar->height(), 60);
    EXPECT_EQ(mainWindow->splitter->handleWidth(), 3);
    mainWindow->addDroppedPaths({"/nonexistent/a.txt"});
    EXPECT_EQ(mainWindow->fileListView->visualRect(session->entryList().index(0)).height(), 16);
}

class Thrower : public QObject {
protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw std::runtime_error("coś poszło źle");
        return QObject::event(event);
    }
};

TEST_F(MainWindowTest, ErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("coś poszło źle"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Critical);
    // Still working afterwards.
    mainWindow->addDroppedPaths({"/nonexistent/a.txt"});
    EXPECT_EQ(session->entryCount(), 1);
}

// A start value that does not convert is a result the session reports, not
// an error thrown through a handler: the window says why, nothing changes.
TEST_F(MainWindowTest, OptionsTheRulesCannotBeMadeOfAreReportedAndChangeNothing) {
    mainWindow->addDroppedPaths({"/nonexistent/a.txt"});
    kestrix::RenameOptions options;
    options.CaseEnabled = true;
    options.NumberEnabled = true;
    options.NumberStart = "1a";
    session->setOptions(options);

    session->refreshPreview();
    mainWindow->addDroppedPaths({"/nonexistent/b.txt"});

    ASSERT_EQ(asked.size(), 2u);
    for (const Asked& report : asked) {
        EXPECT_EQ(report.owner, mainWindow);
        EXPECT_EQ(report.icon, QMessageBox::Critical);
        EXPECT_EQ(report.text, QStringLiteral("'1a' is not a valid integer value"));
    }
    EXPECT_EQ(currentPaths(), (std::vector<std::string>{"/nonexistent/a.txt"}));
    EXPECT_EQ(proposedPaths(), (std::vector<std::string>{"/nonexistent/a.txt"}));
    EXPECT_EQ(mainWindow->ruleSummaryList->count(), 0);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AboutButtonShowsAFreshAboutWindowEachTime) {
    mainWindow->show();
    std::vector<AboutWindow*> seen;
    for (int press = 0; press < 2; ++press) {
        // The about window is modal: close it from inside its own loop.
        QTimer::singleShot(0, [&] {
            auto* about = mainWindow->findChild<AboutWindow*>();
            ASSERT_NE(about, nullptr);
            seen.push_back(about);
            EXPECT_TRUE(about->isVisible());
            about->close();
        });
        QTest::mouseClick(mainWindow->aboutButton, Qt::LeftButton);
        EXPECT_EQ(mainWindow->findChild<AboutWindow*>(), nullptr) << "gone as soon as it closes";
    }
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
