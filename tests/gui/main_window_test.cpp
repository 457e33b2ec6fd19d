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

#include "about/form2.h"
#include "app/cgauge.h"
#include "filelist/file_list_model.h"
#include "gui_fixture.h"

namespace {

class MainWindowTest : public GuiTest {};

TEST_F(MainWindowTest, StartsEmptyWithItsCaptionsAndFlags) {
    EXPECT_EQ(form1->windowTitle(), QStringLiteral("Kestrix (małe/duże itp) v2.0.5"));
    EXPECT_EQ(form1->entryCount(), 0);
    EXPECT_FALSE(form1->CGauge1->isVisibleTo(form1));
    EXPECT_EQ(form1->Label1->text(), QStringLiteral("Podgląd wybranych zmian w nazwach :"));
    EXPECT_EQ(form1->ListBox3->count(), 0);
    EXPECT_FALSE(form1->RecurseFolders);
    EXPECT_FALSE(form1->AddFolders);
    EXPECT_FALSE(form1->AddFiles);
    EXPECT_TRUE(form1->NumberAscending);
    EXPECT_EQ(form1->HeaderControl1->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Oryginalne nazwy plików:"));
    EXPECT_EQ(form1->HeaderControl1->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Nazwy po wprowadzonych zmianach:"));
    EXPECT_EQ(form1->ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(form4->isVisible());
}

TEST_F(MainWindowTest, ToolBarButtonsCarryTheirHintsAndStartStates) {
    struct Button {
        const char* name;
        const char* hint;
        bool enabled;
    };
    const Button buttons[] = {
        {"ToolButton1", "Dodaj pliki do listy", true},
        {"ToolButton2", "Dodaj pliki z wybranego katalogu", true},
        {"ToolButton3", "Jakie zmiany nazw zastosować", true},
        {"ToolButton4", "Zmień nazwy plików", false},
        {"ToolButton5", "Wyczyść listę", true},
        {"ToolButton6", "Informacje o programie", true},
        {"ToolButton7", "Zamknij program", true},
    };
    int x = -1;
    form1->show();
    for (const Button& expected : buttons) {
        auto* button = form1->findChild<QToolButton*>(QLatin1String(expected.name));
        ASSERT_NE(button, nullptr) << expected.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(expected.hint)) << expected.name;
        EXPECT_EQ(button->isEnabled(), expected.enabled) << expected.name;
        EXPECT_FALSE(button->icon().isNull()) << expected.name;
        EXPECT_EQ(button->size(), QSize(60, 60)) << expected.name;
        const int left = button->mapTo(form1, QPoint(0, 0)).x();
        EXPECT_GT(left, x) << expected.name << " stands left to right";
        x = left;
    }
}

TEST_F(MainWindowTest, PopupMenuHoldsItsItemsShortcutsAndViewMarks) {
    struct Item {
        QAction* action;
        const char* caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {form1->Przesudogry1, "Przesuń do góry", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {form1->Przesuwd1, "Przesuń w dół", QKeySequence(Qt::CTRL | Qt::Key_W)},
        {form1->Usu1, "Usuń zaznaczone pliki z listy", QKeySequence(Qt::Key_Delete)},
        {form1->Cofnij1, "Cofnij ostatnią zmianę nazw", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {form1->ciekaNazwa1, "Ścieżka + Nazwa pliku", QKeySequence()},
        {form1->Nazwa1, "Nazwa pliku", QKeySequence()},
    };
    for (const Item& item : items) {
        EXPECT_EQ(item.action->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(item.action->shortcut(), item.shortcut) << item.caption;
    }
    for (QAction* withImage : {form1->Przesudogry1, form1->Przesuwd1, form1->Usu1}) {
        EXPECT_FALSE(withImage->icon().isNull());
    }
    EXPECT_TRUE(form1->N1->isSeparator());
    EXPECT_EQ(form1->Widok1->title(), QStringLiteral("Widok"));
    EXPECT_TRUE(form1->ciekaNazwa1->isChecked());
    EXPECT_FALSE(form1->Nazwa1->isChecked());
    const QList<QAction*> order = form1->PopupMenu1->actions();
    ASSERT_EQ(order.size(), 6);
    EXPECT_EQ(order[0], form1->Przesudogry1);
    EXPECT_EQ(order[2], form1->Usu1);
    EXPECT_EQ(order[3], form1->Cofnij1);
    EXPECT_EQ(order[5], form1->Widok1->menuAction());
    // Nothing to take back before any run.
    EXPECT_FALSE(form1->Cofnij1->isEnabled());
}

TEST_F(MainWindowTest, OptionsButtonShowsTheOneOptionsWindow) {
    form1->show();
    QTest::mouseClick(form1->ToolButton3, Qt::LeftButton);
    EXPECT_TRUE(form4->isVisible());
    QTest::mouseClick(form1->ToolButton3, Qt::LeftButton);
    EXPECT_TRUE(form4->isVisible());
    EXPECT_EQ(form1->findChildren<TForm4*>().size(), 1);
}

TEST_F(MainWindowTest, CloseButtonClosesTheWindow) {
    form1->show();
    QTest::mouseClick(form1->ToolButton7, Qt::LeftButton);
    EXPECT_FALSE(form1->isVisible());
}

TEST_F(MainWindowTest, WithoutSettingsTheHeaderSplitsInHalfAndFileListRowsAreSixteenHigh) {
    form1->show();
    EXPECT_EQ(form1->HeaderControl1->sectionSize(0), form1->HeaderControl1->width() / 2);
    EXPECT_EQ(form1->HeaderControl1->height(), 17);
    EXPECT_EQ(form1->ToolBar1->height(), 60);
    EXPECT_EQ(form1->Splitter2->handleWidth(), 3);
    form1->AddDroppedFiles({"/nonexistent/a.txt"});
    EXPECT_EQ(form1->ListBox1->visualRect(form1->fileList()->index(0)).height(), 16);
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
    form1->AddDroppedFiles({"/nonexistent/a.txt"});
    EXPECT_EQ(form1->entryCount(), 1);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AboutButtonShowsAFreshAboutWindowEachTime) {
    form1->show();
    std::vector<TForm2*> seen;
    for (int press = 0; press < 2; ++press) {
        // The about window is modal: close it from inside its own loop.
        QTimer::singleShot(0, [&] {
            ASSERT_NE(Form2, nullptr);
            seen.push_back(Form2);
            EXPECT_TRUE(Form2->isVisible());
            Form2->close();
        });
        QTest::mouseClick(form1->ToolButton6, Qt::LeftButton);
        EXPECT_EQ(Form2, nullptr);
    }
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
