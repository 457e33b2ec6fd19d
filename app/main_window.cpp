#include "app/main_window.h"

#include <memory>
#include <numeric>
#include <optional>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "about/about_window.h"
#include "app/adding_reports.h"
#include "app/metadata_read_progress.h"
#include "app/settings_location.h"
#include "app/uri_list.h"
#include "app/window_settings.h"
#include "engine/name_masks.h"
#include "filelist/file_list_delegate.h"
#include "filelist/file_list_view.h"
#include "filelist/list_selection.h"
#include "filelist/rule_summary_delegate.h"
#include "folderchooser/folder_chooser.h"
#include "history/run_history_window.h"
#include "options/rename_options_window.h"
#include "platform/folders.h"
#include "session/apply_seams.h"
#include "session/journal_texts.h"
#include "session/rename_failures.h"
#include "session/session.h"
#include "ui/dialogs.h"
#include "ui/passive_note.h"
#include "ui/pixel_font.h"
#include "ui/progress_gauge.h"

using kestrix::session::EntryPick;
using kestrix::session::Session;
using kestrix::session::SortKey;
using kestrix::ui::DeselectRows;
using kestrix::ui::RestoreSelection;
using kestrix::ui::SelectedRows;
using kestrix::ui::ShowsAnyOf;

namespace {

constexpr int DesignedClientWidth = 632;
constexpr int DesignedClientHeight = 507;

QIcon Artwork(const char* name) {
    return QIcon(QStringLiteral(":/icons/") + QLatin1String(name) + QStringLiteral(".svg"));
}

// A button with an image only: a screen reader names it by its hint, and the
// hint shows its key. The Tab key reaches it; a click leaves the focus where
// it was.
QToolButton* MakeToolButton(QWidget* parent, const char* name, const char* icon, const QString& hint,
                            const QKeySequence& key = {}) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(Artwork(icon));
    button->setIconSize(QSize(48, 48));
    button->setFixedSize(60, 60);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAccessibleName(hint);
    if (key.isEmpty()) {
        button->setToolTip(hint);
    } else {
        button->setShortcut(key);
        button->setToolTip(hint + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                           QStringLiteral(")"));
    }
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QWidget* MakeSeparator(QWidget* parent, const char* name, int width) {
    auto* separator = new QWidget(parent);
    separator->setObjectName(QLatin1String(name));
    separator->setFixedSize(width, 60);
    return separator;
}

}  // namespace

MainWindow::MainWindow(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kestrix (małe/duże itp) v2.0.5"));
    setWindowIcon(Artwork("kestrix"));
    setFont(kestrix::ui::DesignedSansFont(11));
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(toolBar);
    buildPanels();
    layout->addWidget(splitter, 1);
    buildFileListMenu();

    resize(DesignedClientWidth, DesignedClientHeight);
    // The smallest outer size is 640 x 541; until the frame is known the
    // designed client size stands for it.
    setMinimumSize(DesignedClientWidth, DesignedClientHeight);

    settings_ = new WindowSettings({this, splitter, fileListPanel, columnHeader});
    setListViewMode(settings_->viewMode());
    fullPathViewAction->setChecked(listViewMode() == 0);
    nameOnlyViewAction->setChecked(listViewMode() != 0);

    // Shown modeless and hidden again when closed, so every option lives as
    // long as the program.
    optionsWindow_ = new RenameOptionsWindow(session_, this);
    followSession();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolBar() {
    toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setFixedHeight(60);
    toolBar->setIconSize(QSize(48, 48));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setContentsMargins(0, 0, 0, 0);
    toolBar->layout()->setContentsMargins(0, 0, 0, 0);
    toolBar->layout()->setSpacing(0);
    toolBar->setStyleSheet(QStringLiteral(
        "QToolBar#ToolBar1 { border: none; padding: 0px; spacing: 0px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfe, stop:0.55 #e6ebf2,"
        " stop:1 #cdd6e3); }"));

    toolBar->addWidget(MakeSeparator(toolBar, "ToolButton14", 8));
    toolBar->setAccessibleName(QStringLiteral("Pasek narzędzi"));
    // The keys follow the desktop's habits (Ctrl+O opens, Ctrl+, shows the
    // settings, F1 helps); none is one an edit or a list of Qt's takes.
    addFilesButton =
        MakeToolButton(toolBar, "ToolButton1", "toolbar-add-files", QStringLiteral("Dodaj pliki do listy"),
                       QKeySequence(Qt::CTRL | Qt::Key_O));
    addFolderButton = MakeToolButton(toolBar, "ToolButton2", "toolbar-add-folder",
                                     QStringLiteral("Dodaj pliki z wybranego katalogu"),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    optionsButton = MakeToolButton(toolBar, "ToolButton3", "toolbar-options",
                                   QStringLiteral("Jakie zmiany nazw zastosować"),
                                   QKeySequence(Qt::CTRL | Qt::Key_Comma));
    applyButton =
        MakeToolButton(toolBar, "ToolButton4", "toolbar-apply", QStringLiteral("Zmień nazwy plików"),
                       QKeySequence(Qt::CTRL | Qt::Key_Return));
    clearButton = MakeToolButton(toolBar, "ToolButton5", "toolbar-clear", QStringLiteral("Wyczyść listę"));
    aboutButton = MakeToolButton(toolBar, "ToolButton6", "toolbar-about",
                                 QStringLiteral("Informacje o programie"), QKeySequence(Qt::Key_F1));
    closeButton = MakeToolButton(toolBar, "ToolButton7", "toolbar-close", QStringLiteral("Zamknij program"));
    for (QToolButton* button : {addFilesButton, addFolderButton, optionsButton, applyButton, clearButton,
                                aboutButton, closeButton}) {
        toolBar->addWidget(button);
    }
    applyButton->setEnabled(false);
    toolBar->addWidget(MakeSeparator(toolBar, "ToolButton15", 32));

    // The gauge sits in a holder of its own size, so showing and hiding it
    // never moves the buttons.
    auto* gaugeHolder = new QWidget(toolBar);
    gaugeHolder->setFixedSize(89, 60);
    progressGauge = new ProgressGauge(gaugeHolder);
    progressGauge->setObjectName(QStringLiteral("CGauge1"));
    progressGauge->setAccessibleName(QStringLiteral("Postęp zmiany nazw"));
    progressGauge->setGeometry(0, 0, 89, 60);
    progressGauge->hide();
    toolBar->addWidget(gaugeHolder);

    connect(addFilesButton, &QToolButton::clicked, this, &MainWindow::addFilesFromDialog);
    connect(addFolderButton, &QToolButton::clicked, this, &MainWindow::openFolderChooser);
    connect(optionsButton, &QToolButton::clicked, this, &MainWindow::showOptionsWindow);
    connect(applyButton, &QToolButton::clicked, this, &MainWindow::applyRenames);
    connect(clearButton, &QToolButton::clicked, this, &MainWindow::clearList);
    connect(aboutButton, &QToolButton::clicked, this, &MainWindow::showAboutWindow);
    connect(closeButton, &QToolButton::clicked, this, &MainWindow::close);
    // Either Enter key applies: the keypad's too.
    auto* keypadApply = new QShortcut(QKeySequence(Qt::CTRL | Qt::KeypadModifier | Qt::Key_Enter), this);
    connect(keypadApply, &QShortcut::activated, applyButton, &QToolButton::animateClick);
}

void MainWindow::buildPanels() {
    splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter2"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);

    previewPanel = new QWidget(splitter);
    previewPanel->setObjectName(QStringLiteral("Panel4"));
    auto* previewLayout = new QVBoxLayout(previewPanel);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->setSpacing(0);
    previewCaption = new QLabel(QStringLiteral("Podgląd wybranych zmian w nazwach :"), previewPanel);
    previewCaption->setObjectName(QStringLiteral("Label1"));
    previewCaption->setAlignment(Qt::AlignCenter);
    splitter->setAccessibleName(QStringLiteral("Podział okna"));
    previewLayout->addWidget(previewCaption);
    ruleSummaryList = new QListWidget(previewPanel);
    ruleSummaryList->setObjectName(QStringLiteral("ListBox3"));
    ruleSummaryList->setAccessibleName(QStringLiteral("Podsumowanie reguł"));
    ruleSummaryList->setAccessibleDescription(QStringLiteral("Podgląd wybranych zmian w nazwach"));
    ruleSummaryList->setSelectionMode(QAbstractItemView::SingleSelection);
    ruleSummaryList->setUniformItemSizes(true);
    ruleSummaryList->setFont(kestrix::ui::PixelFont(QStringLiteral("Verdana"), 11));
    ruleSummaryList->setItemDelegate(new RuleSummaryDelegate(ruleSummaryList));
    ruleSummaryList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette summaryPalette = ruleSummaryList->palette();
    summaryPalette.setColor(QPalette::Base, Qt::white);
    summaryPalette.setColor(QPalette::Text, Qt::black);
    ruleSummaryList->setPalette(summaryPalette);
    previewLayout->addWidget(ruleSummaryList, 1);

    fileListPanel = new QWidget(splitter);
    fileListPanel->setObjectName(QStringLiteral("Panel1"));
    auto* listLayout = new QVBoxLayout(fileListPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);

    headerModel_ = new QStandardItemModel(0, 2, this);
    headerModel_->setHorizontalHeaderLabels(
        {QStringLiteral("Oryginalne nazwy plików:"), QStringLiteral("Nazwy po wprowadzonych zmianach:")});
    columnHeader = new QHeaderView(Qt::Horizontal, fileListPanel);
    columnHeader->setObjectName(QStringLiteral("HeaderControl1"));
    columnHeader->setAccessibleName(QStringLiteral("Kolumny listy plików"));
    columnHeader->setModel(headerModel_);
    columnHeader->setFixedHeight(17);
    columnHeader->setSectionsClickable(false);
    columnHeader->setSectionsMovable(false);
    columnHeader->setStretchLastSection(true);
    columnHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columnHeader->setMinimumSectionSize(0);
    columnHeader->resizeSection(0, 250);
    listLayout->addWidget(columnHeader);

    fileListDelegate_ = new FileListDelegate([this] { return columnSplit(); }, this);
    fileListView = new FileListView(fileListPanel);
    fileListView->setObjectName(QStringLiteral("ListBox1"));
    fileListView->setAccessibleName(QStringLiteral("Lista plików"));
    fileListView->setAccessibleDescription(
        QStringLiteral("Oryginalne nazwy plików i nazwy po wprowadzonych zmianach"));
    fileListView->setModel(&session_.entryList());
    fileListView->setItemDelegate(fileListDelegate_);
    fileListView->setUniformItemSizes(true);
    fileListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fileListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fileListView->setFont(kestrix::ui::PixelFont(QStringLiteral("Courier New"), 11));
    fileListView->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette listPalette = fileListView->palette();
    listPalette.setColor(QPalette::Base, QColor(255, 255, 251));
    listPalette.setColor(QPalette::Text, Qt::black);
    fileListView->setPalette(listPalette);
    listLayout->addWidget(fileListView, 1);
    runNote = new PassiveNote(fileListView);
    runNote->setObjectName(QStringLiteral("runNote"));

    connect(columnHeader, &QHeaderView::sectionResized, this, &MainWindow::columnSplitChanged);
    connect(fileListView, &FileListView::selectionDropped, this, &MainWindow::moveDroppedSelection);

    splitter->addWidget(previewPanel);
    splitter->addWidget(fileListPanel);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({124, DesignedClientHeight - 60 - 124 - 3});
}

void MainWindow::buildFileListMenu() {
    fileListMenu = new QMenu(this);
    fileListMenu->setObjectName(QStringLiteral("PopupMenu1"));
    auto makeItem = [this](const char* name, const QString& caption, const char* icon,
                           const QKeySequence& key) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        if (icon) action->setIcon(Artwork(icon));
        if (!key.isEmpty()) {
            action->setShortcut(key);
            // The shortcuts act while the file list has the keyboard focus.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            fileListView->addAction(action);
        }
        return action;
    };
    moveUpAction = makeItem("Przesudogry1", QStringLiteral("Przesuń do góry"), "menu-up",
                            QKeySequence(Qt::CTRL | Qt::Key_Q));
    moveDownAction = makeItem("Przesuwd1", QStringLiteral("Przesuń w dół"), "menu-down",
                              QKeySequence(Qt::CTRL | Qt::Key_W));
    removeSelectedAction = makeItem("Usu1", QStringLiteral("Usuń zaznaczone pliki z listy"), "menu-remove",
                                    QKeySequence(Qt::Key_Delete));
    undoAction = makeItem("Cofnij1", QStringLiteral("Cofnij ostatnią zmianę nazw"), nullptr,
                          QKeySequence(Qt::CTRL | Qt::Key_Z));
    fileListMenu->addAction(moveUpAction);
    fileListMenu->addAction(moveDownAction);
    fileListMenu->addAction(removeSelectedAction);
    fileListMenu->addAction(undoAction);
    menuSeparator = fileListMenu->addSeparator();
    menuSeparator->setObjectName(QStringLiteral("N1"));
    viewMenu = fileListMenu->addMenu(QStringLiteral("Widok"));
    viewMenu->setObjectName(QStringLiteral("Widok1"));
    viewMenu->menuAction()->setObjectName(QStringLiteral("Widok1"));
    fullPathViewAction = makeItem("ciekaNazwa1", QStringLiteral("Ścieżka + Nazwa pliku"), nullptr, {});
    nameOnlyViewAction = makeItem("Nazwa1", QStringLiteral("Nazwa pliku"), nullptr, {});
    fullPathViewAction->setCheckable(true);
    nameOnlyViewAction->setCheckable(true);
    fullPathViewAction->setChecked(true);
    viewMenu->addAction(fullPathViewAction);
    viewMenu->addAction(nameOnlyViewAction);

    // Below the designed entries: sorting and selecting.
    auto makeSubmenu = [this](const char* name, const QString& caption) {
        QMenu* menu = fileListMenu->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    sortMenu = makeSubmenu("Sortuj1", QStringLiteral("Sortuj"));
    sortByNameAction = makeItem("wedugnazwy1", QStringLiteral("według nazwy"), nullptr, {});
    sortByModifiedAction =
        makeItem("wedugdatymodyfikacji1", QStringLiteral("według daty modyfikacji"), nullptr, {});
    sortByDateTakenAction =
        makeItem("wedugdatywykonaniazdjcia1", QStringLiteral("według daty wykonania zdjęcia"), nullptr, {});
    sortBySizeAction = makeItem("wedugrozmiaru1", QStringLiteral("według rozmiaru"), nullptr, {});
    sortByExtensionAction =
        makeItem("wedugrozszerzenia1", QStringLiteral("według rozszerzenia"), nullptr, {});
    reverseOrderAction = makeItem("Odwrkolejno1", QStringLiteral("Odwróć kolejność"), nullptr, {});
    for (QAction* action : {sortByNameAction, sortByModifiedAction, sortByDateTakenAction, sortBySizeAction,
                            sortByExtensionAction}) {
        sortMenu->addAction(action);
    }
    sortSeparator = sortMenu->addSeparator();
    sortSeparator->setObjectName(QStringLiteral("N2"));
    sortMenu->addAction(reverseOrderAction);

    selectMenu = makeSubmenu("Zaznacz1", QStringLiteral("Zaznacz"));
    selectByMaskAction = makeItem("wedugmaski1", QStringLiteral("według maski…"), nullptr, {});
    selectHiddenAction = makeItem("ukryte1", QStringLiteral("ukryte"), nullptr, {});
    selectFoldersAction = makeItem("foldery1", QStringLiteral("foldery"), nullptr, {});
    selectConflictsAction = makeItem("zkonfliktem1", QStringLiteral("z konfliktem"), nullptr, {});
    selectAllAction =
        makeItem("wszystko1", QStringLiteral("wszystko"), nullptr, QKeySequence(Qt::CTRL | Qt::Key_A));
    invertSelectionAction = makeItem("odwrzaznaczenie1", QStringLiteral("odwróć zaznaczenie"), nullptr, {});
    for (QAction* action : {selectByMaskAction, selectHiddenAction, selectFoldersAction,
                            selectConflictsAction, selectAllAction, invertSelectionAction}) {
        selectMenu->addAction(action);
    }
    runHistoryAction = makeItem("Historiazmian1", QStringLiteral("Historia zmian…"), nullptr, {});
    fileListMenu->addAction(runHistoryAction);

    // Qt toggles a checkable item's mark before `triggered`, as the handlers expect.
    connect(moveUpAction, &QAction::triggered, this, &MainWindow::moveSelectedUp);
    connect(moveDownAction, &QAction::triggered, this, &MainWindow::moveSelectedDown);
    connect(removeSelectedAction, &QAction::triggered, this, &MainWindow::removeSelected);
    connect(undoAction, &QAction::triggered, this, &MainWindow::undoLastRun);
    connect(fullPathViewAction, &QAction::triggered, this, &MainWindow::fullPathViewChosen);
    connect(nameOnlyViewAction, &QAction::triggered, this, &MainWindow::nameOnlyViewChosen);
    connect(sortByNameAction, &QAction::triggered, this, &MainWindow::sortByName);
    connect(sortByModifiedAction, &QAction::triggered, this, &MainWindow::sortByModified);
    connect(sortByDateTakenAction, &QAction::triggered, this, &MainWindow::sortByDateTaken);
    connect(sortBySizeAction, &QAction::triggered, this, &MainWindow::sortBySize);
    connect(sortByExtensionAction, &QAction::triggered, this, &MainWindow::sortByExtension);
    connect(reverseOrderAction, &QAction::triggered, this, &MainWindow::reverseOrder);
    connect(selectByMaskAction, &QAction::triggered, this, &MainWindow::selectByMask);
    connect(selectHiddenAction, &QAction::triggered, this, &MainWindow::selectHidden);
    connect(selectFoldersAction, &QAction::triggered, this, &MainWindow::selectFolders);
    connect(selectConflictsAction, &QAction::triggered, this, &MainWindow::selectConflicts);
    connect(selectAllAction, &QAction::triggered, this, &MainWindow::selectAll);
    connect(invertSelectionAction, &QAction::triggered, this, &MainWindow::invertSelection);
    connect(runHistoryAction, &QAction::triggered, this, &MainWindow::showRunHistory);
    connect(fileListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { fileListMenu->popup(fileListView->viewport()->mapToGlobal(pos)); });
}

void MainWindow::followSession() {
    session_.setShownRows([this] {
        const QRect area = fileListView->viewport()->rect();
        const int first = fileListView->indexAt(area.topLeft()).row();
        if (first < 0) return std::pair{0, -1};
        const int last = fileListView->indexAt(QPoint(0, area.bottom())).row();
        return std::pair{first, last < 0 ? session_.entryCount() - 1 : last};
    });
    undoAction->setEnabled(session_.undoAvailable());
    connect(&session_, &Session::undoAvailableChanged, undoAction, &QAction::setEnabled);
    connect(&session_, &Session::entryCountChanged, this, &MainWindow::updateApplyButton);
    connect(&session_, &Session::ruleSummaryChanged, this, &MainWindow::showRuleSummary);
    connect(&session_, &Session::conflictsChanged, fileListView->viewport(), qOverload<>(&QWidget::update));
    connect(&session_, &Session::failed, this, [this](const QString& message) {
        kestrix::ui::ShowMessage(this, QMessageBox::Critical, QApplication::applicationName(), message);
    });
    connect(&session_, &Session::runStarted, this, &MainWindow::lockForRun);
    connect(&session_, &Session::runProgress, this, &MainWindow::setGauge);
    connect(&session_, &Session::entriesReloadedQuietly, this, &MainWindow::repaintReloaded);
    connect(&session_, &Session::runFinished, this, &MainWindow::showRunEnd);
    // Escape stops a run, after a question.
    stopRunShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    stopRunShortcut_->setContext(Qt::WindowShortcut);
    stopRunShortcut_->setEnabled(false);
    connect(stopRunShortcut_, &QShortcut::activated, this, &MainWindow::askToStopRun);
}

// --- The file list.

void MainWindow::setListViewMode(int mode) {
    viewMode_ = mode;
    fileListDelegate_->setViewMode(mode);
    fileListView->viewport()->update();
}

int MainWindow::columnSplit() const { return columnHeader->sectionSize(0); }

void MainWindow::columnSplitChanged() { fileListView->viewport()->update(); }

void MainWindow::showRuleSummary(const QStringList& lines) {
    ruleSummaryList->clear();
    ruleSummaryList->addItems(lines);
}

// The rename button is on while the list holds entries.
void MainWindow::updateApplyButton() { applyButton->setEnabled(session_.entryCount() > 0); }

// --- Adding.

void MainWindow::addFilesFromDialog() {
    const QStringList chosen = kestrix::ui::dialogSeams().openFiles(this);
    if (chosen.isEmpty()) return;
    progressGauge->setProgress(0);
    const Session::PickedFilesAdded added = session_.addPickedFiles(chosen);
    updateApplyButton();
    if (!added.unmatched.isEmpty()) {
        kestrix::ui::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Błąd"),
                                 UnmatchedPicksText(added.unmatched));
    }
    reportLeftOut(added.leftOut);
}

void MainWindow::addDroppedPaths(const std::vector<std::string>& paths) {
    std::vector<bool> isFolder(paths.size());
    std::size_t folders = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        isFolder[i] = kestrix::platform::IsFolder(paths[i]);
        folders += isFolder[i] ? 1 : 0;
    }
    kestrix::session::LeftOutItems leftOut;
    // Several folders: each question offers its answer for all the folders still to come.
    std::optional<bool> contentsOfAll;
    std::size_t foldersAsked = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (isFolder[i]) {
            bool contents = contentsOfAll.value_or(false);
            if (!contentsOfAll) {
                const bool moreToCome = ++foldersAsked < folders;
                const auto answer =
                    kestrix::ui::ShowMessage(this, QMessageBox::Information, QStringLiteral("Zapytanie"),
                                             FolderContentsQuestion(path, folders),
                                             moreToCome ? QMessageBox::Yes | QMessageBox::YesToAll |
                                                              QMessageBox::No | QMessageBox::NoToAll
                                                        : QMessageBox::Yes | QMessageBox::No);
                contents = answer == QMessageBox::Yes || answer == QMessageBox::YesToAll;
                if (answer == QMessageBox::YesToAll || answer == QMessageBox::NoToAll)
                    contentsOfAll = contents;
            }
            if (contents) {
                leftOut += session_.addDroppedFolder(path);
                continue;
            }
        }
        leftOut += session_.addPath(path);
    }
    updateApplyButton();
    reportLeftOut(leftOut);
}

void MainWindow::addDroppedPathsLater(const std::vector<std::string>& paths) {
    QMetaObject::invokeMethod(
        this, [this, paths] { addDroppedPaths(paths); }, Qt::QueuedConnection);
}

void MainWindow::reportLeftOut(const kestrix::session::LeftOutItems& leftOut) {
    if (leftOut.empty()) return;
    kestrix::ui::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Błąd"), LeftOutText(leftOut));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !session_.runGoingOn()) event->acceptProposedAction();
}

// The paths come from the list's raw bytes: through QUrl a name that is not
// UTF-8 would lose its bytes.
void MainWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths =
        kestrix::ui::DecodeUriList(event->mimeData()->data(QStringLiteral("text/uri-list")).toStdString());
    if (paths.empty()) return;
    event->acceptProposedAction();
    addDroppedPathsLater(paths);
}

// --- Other windows.

// A fresh chooser for every opening, gone once it has closed.
void MainWindow::openFolderChooser() {
    const auto chooser = std::make_unique<FolderChooser>(session_, this);
    chooser->exec();
    reportLeftOut(chooser->leftOut());
}

void MainWindow::showOptionsWindow() {
    optionsWindow_->show();
    optionsWindow_->raise();
    optionsWindow_->activateWindow();
}

// A fresh about window for every press, gone as soon as it closes.
void MainWindow::showAboutWindow() {
    const auto about = std::make_unique<AboutWindow>(this);
    about->exec();
}

// --- Editing the list.

void MainWindow::clearList() {
    session_.clear();
    updateApplyButton();
}

void MainWindow::removeSelected() {
    const std::vector<bool> selected = SelectedRows(*fileListView);
    std::vector<int> rows;
    for (int row = 0; row < static_cast<int>(selected.size()); ++row) {
        if (selected[static_cast<size_t>(row)]) rows.push_back(row);
    }
    session_.removeRows(rows);
    updateApplyButton();
}

void MainWindow::moveSelected(int step) {
    kestrix::session::ListSelection selection;
    selection.rows = SelectedRows(*fileListView);
    selection.current = fileListView->currentIndex().isValid() ? fileListView->currentIndex().row() : -1;
    if (const auto moved = session_.moveRows(std::move(selection), step)) {
        RestoreSelection(*fileListView, moved->rows, moved->current);
    }
}

void MainWindow::moveSelectedUp() { moveSelected(-1); }

void MainWindow::moveSelectedDown() { moveSelected(+1); }

void MainWindow::moveDroppedSelection(int row) {
    kestrix::session::ListSelection selection;
    selection.rows = SelectedRows(*fileListView);
    selection.current = fileListView->currentIndex().isValid() ? fileListView->currentIndex().row() : -1;
    if (const auto moved = session_.moveRowsTo(std::move(selection), row)) {
        RestoreSelection(*fileListView, moved->rows, moved->current);
    }
}

// --- Sorting; the view's selection moves with its entries.

void MainWindow::sortByName() { session_.sortEntries(SortKey::Name); }

void MainWindow::sortByModified() { session_.sortEntries(SortKey::Modified); }

void MainWindow::sortByDateTaken() {
    // The dates are read with the window going on (a long read shows its
    // progress and Escape stops it, leaving the order); the sort then finds
    // them in the cache.
    std::vector<int> rows(static_cast<std::size_t>(session_.entryCount()));
    std::iota(rows.begin(), rows.end(), 0);
    readMetadataWithProgress(
        rows, kestrix::platform::DateTakenField,
        [this](const kestrix::session::MetadataJob&) { session_.sortEntries(SortKey::DateTaken); });
}

void MainWindow::sortBySize() { session_.sortEntries(SortKey::Size); }

void MainWindow::sortByExtension() { session_.sortEntries(SortKey::Extension); }

void MainWindow::reverseOrder() { session_.reverseEntries(); }

// --- Selecting.

void MainWindow::selectRows(const std::vector<bool>& picked) {
    const QModelIndex current = fileListView->currentIndex();
    RestoreSelection(*fileListView, picked, current.isValid() ? current.row() : -1);
}

// Asked again, with the masks as typed, until they make sense or the question is cancelled.
void MainWindow::selectByMask() {
    QString masks = lastMasks_;
    while (const std::optional<QString> typed = kestrix::ui::dialogSeams().askMasks(this, masks)) {
        masks = *typed;
        std::string error;
        if (const std::optional<kestrix::NameMasks> parsed =
                kestrix::NameMasks::Parse(masks.toStdString(), error)) {
            lastMasks_ = masks;
            selectRows(session_.pickEntriesNamed(*parsed));
            return;
        }
        kestrix::ui::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Błąd"),
                                 QString::fromStdString(error));
    }
}

void MainWindow::selectHidden() { selectRows(session_.pickEntries(EntryPick::Hidden)); }

void MainWindow::selectFolders() { selectRows(session_.pickEntries(EntryPick::Folders)); }

void MainWindow::selectConflicts() { selectRows(session_.pickEntries(EntryPick::Conflicts)); }

void MainWindow::selectAll() { fileListView->selectAll(); }

void MainWindow::invertSelection() {
    std::vector<bool> rows = SelectedRows(*fileListView);
    rows.flip();
    selectRows(rows);
}

void MainWindow::fullPathViewChosen() {
    nameOnlyViewAction->setChecked(!fullPathViewAction->isChecked());
    setListViewMode(fullPathViewAction->isChecked() ? 0 : 1);
}

void MainWindow::nameOnlyViewChosen() {
    fullPathViewAction->setChecked(!nameOnlyViewAction->isChecked());
    setListViewMode(nameOnlyViewAction->isChecked() ? 1 : 0);
}

// --- Runs of renames.

void MainWindow::applyRenames() {
    if (session_.runGoingOn()) return;
    // The question counts the entries that keep their names for want of a
    // fact only once the facts were read.
    if (session_.factsPending()) session_.settleFacts();
    const int conflicts = session_.settleConflicts();
    if (kestrix::ui::ShowMessage(this, QMessageBox::Information, QStringLiteral("Pytanie"),
                                 QStringLiteral("Czy zastosować wybrane zmiany dla plików z listy ?"),
                                 conflicts > 0 ? kestrix::session::ConflictsNote(conflicts) : QString(),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    session_.applyRenames();
}

void MainWindow::undoLastRun() {
    if (session_.runGoingOn()) return;
    const std::optional<kestrix::run::PastRun> newest = session_.newestRunToTakeBack();
    if (!newest) {
        undoAction->setEnabled(false);
        return;
    }
    takeBackRun(*newest);
}

void MainWindow::takeBackRun(const kestrix::run::PastRun& run) {
    if (session_.runGoingOn()) return;
    const QString question =
        kestrix::session::UndoQuestion(run, session_.ranElsewhere(run), QDateTime::currentDateTime());
    if (kestrix::ui::ShowMessage(this, QMessageBox::Information, QStringLiteral("Pytanie"), question,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    session_.undoRun(run.runId);
}

void MainWindow::showRunHistory() {
    if (!runHistoryWindow) {
        runHistoryWindow = new RunHistoryWindow(session_, this);
        connect(runHistoryWindow, &RunHistoryWindow::takeBackAsked, this, &MainWindow::takeBackRun);
    } else {
        runHistoryWindow->reload();
    }
    runHistoryWindow->show();
    runHistoryWindow->raise();
    runHistoryWindow->activateWindow();
}

bool MainWindow::askToStopRun() {
    if (!session_.runGoingOn()) return false;
    if (kestrix::ui::ShowMessage(this, QMessageBox::Question, QStringLiteral("Pytanie"),
                                 QStringLiteral("Przerwać zmianę nazw?"),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return false;
    }
    // The run may have ended while the question was open.
    session_.cancelRun();
    return true;
}

void MainWindow::reportRunProblems(const QString& report) {
    if (report.isEmpty()) return;
    kestrix::ui::ShowMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"), report);
}

// After the window first shows: runs of renames that were cut off (a crash, a
// kill, a power loss) are settled, the user choosing to take each back or to
// keep it.
void MainWindow::settleInterruptedRuns() {
    if (session_.runGoingOn()) {
        // A run of this program is going on; ask when it is over.
        connect(&session_, &Session::runFinished, this, &MainWindow::settleInterruptedRuns,
                Qt::SingleShotConnection);
        return;
    }
    reportRunProblems(session_.settleInterruptedRuns([this](const QString& question) {
        return kestrix::ui::ShowMessage(this, QMessageBox::Question, QStringLiteral("Zapytanie"), question,
                                        QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }));
}

void MainWindow::readMetadataWithProgress(
    const std::vector<int>& rows, kestrix::platform::MetadataFields wanted,
    std::function<void(const kestrix::session::MetadataJob& read)> whenRead) {
    // A later read replaces the one going on, which stops unanswered.
    delete metadataRead_;
    auto* read = new MetadataReadProgress(*this, *progressGauge, session_.metadataJob(rows, wanted));
    metadataRead_ = read;
    connect(read, &MetadataReadProgress::finished, this,
            [this, read, whenRead = std::move(whenRead)](bool completed) {
                if (metadataRead_ == read) metadataRead_ = nullptr;
                read->deleteLater();
                if (completed && whenRead) whenRead(read->job());
            });
    read->start();
}

// During a run the window takes no input but its question to stop the run;
// it repaints, and the options window stays usable.
void MainWindow::lockForRun() {
    for (QToolButton* button :
         {addFilesButton, addFolderButton, optionsButton, applyButton, clearButton, aboutButton}) {
        button->setEnabled(false);
    }
    splitter->setEnabled(false);
    stopRunShortcut_->setEnabled(true);
    progressGauge->show();
}

void MainWindow::setGauge(int percent) {
    progressGauge->setProgress(percent);
    if (kestrix::session::applySeams().gaugeSet) kestrix::session::applySeams().gaugeSet(percent);
}

// Replaced entries lose their selection, and the list is repainted where it shows one of them.
void MainWindow::repaintReloaded(const kestrix::session::RowRanges& rows) {
    DeselectRows(*fileListView, rows);
    if (ShowsAnyOf(*fileListView, rows)) fileListView->viewport()->update();
}

void MainWindow::showRunEnd(const kestrix::session::RunReport& report) {
    if (report.started) {
        setGauge(100);
        for (QToolButton* button :
             {addFilesButton, addFolderButton, optionsButton, clearButton, aboutButton}) {
            button->setEnabled(true);
        }
        updateApplyButton();
        splitter->setEnabled(true);
        stopRunShortcut_->setEnabled(false);
        progressGauge->hide();
    }
    if (!report.problems.isEmpty()) {
        reportRunProblems(report.cancelled ? report.summary + QStringLiteral("\n\n") + report.problems
                                           : report.problems);
    } else if (report.cancelled) {
        kestrix::ui::ShowMessage(this, QMessageBox::Information, QStringLiteral("Informacja"),
                                 report.summary);
    } else if (!report.succeeded.isEmpty()) {
        runNote->showNote(report.succeeded);
    }
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

// --- The window itself.

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.runGoingOn()) {
        // The window closes once the run has stopped.
        event->ignore();
        closeAfterRun_ = askToStopRun();
        return;
    }
    if (!settings_->save(listViewMode())) {
        // The window closes all the same.
        kestrix::ui::ShowMessage(this, QMessageBox::Critical, QApplication::applicationName(),
                                 QStringLiteral("Unable to write to %1")
                                     .arg(QFile::decodeName(kestrix::settings::SettingsPath().c_str())));
    }
    event->accept();
}

// Another window of the program may have run or taken back a run meanwhile.
void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        undoAction->setEnabled(session_.undoAvailable());
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    settings_->adjustToFrame();
    if (!shownOnce_) {
        shownOnce_ = true;
        QMetaObject::invokeMethod(this, &MainWindow::settleInterruptedRuns, Qt::QueuedConnection);
    }
}
