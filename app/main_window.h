#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "filelist/file_list_view.h"
#include "platform/item_metadata.h"
#include "session/entry_list.h"

class QAction;
class QHeaderView;
class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QShortcut;
class QSplitter;
class QStandardItemModel;
class QToolBar;
class QToolButton;

class FileListDelegate;
class PassiveNote;
class MetadataReadProgress;
class ProgressGauge;
class RenameOptionsWindow;
class RunHistoryWindow;
class WindowSettings;

namespace kestrix::run {
struct PastRun;
}  // namespace kestrix::run

namespace kestrix::session {
class LeftOutItems;
class MetadataJob;
class Session;
struct RunReport;
}  // namespace kestrix::session

// The main window: the tool bar, the rule summary, and the file list in which
// every row pairs an item's current path with its proposed path. It shows the
// session's entries and hands every operation to the session; it opens the
// rename options window (made with it, hidden until asked for), the folder
// chooser, the about window and the history of runs.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(kestrix::session::Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Controls; each carries its designed name as its object name (in brackets).
    QToolBar* toolBar = nullptr;               // ToolBar1
    QToolButton* addFilesButton = nullptr;     // ToolButton1
    QToolButton* addFolderButton = nullptr;    // ToolButton2
    QToolButton* optionsButton = nullptr;      // ToolButton3
    QToolButton* applyButton = nullptr;        // ToolButton4
    QToolButton* clearButton = nullptr;        // ToolButton5
    QToolButton* aboutButton = nullptr;        // ToolButton6
    QToolButton* closeButton = nullptr;        // ToolButton7
    ProgressGauge* progressGauge = nullptr;    // CGauge1
    QWidget* previewPanel = nullptr;           // Panel4
    QLabel* previewCaption = nullptr;          // Label1
    QListWidget* ruleSummaryList = nullptr;    // ListBox3
    QSplitter* splitter = nullptr;             // Splitter2
    QWidget* fileListPanel = nullptr;          // Panel1
    QHeaderView* columnHeader = nullptr;       // HeaderControl1
    FileListView* fileListView = nullptr;      // ListBox1
    QMenu* fileListMenu = nullptr;             // PopupMenu1
    QAction* moveUpAction = nullptr;           // Przesudogry1
    QAction* moveDownAction = nullptr;         // Przesuwd1
    QAction* removeSelectedAction = nullptr;   // Usu1
    QAction* undoAction = nullptr;             // Cofnij1
    QAction* menuSeparator = nullptr;          // N1
    QMenu* viewMenu = nullptr;                 // Widok1
    QAction* fullPathViewAction = nullptr;     // ciekaNazwa1
    QAction* nameOnlyViewAction = nullptr;     // Nazwa1
    QMenu* sortMenu = nullptr;                 // Sortuj1
    QAction* sortByNameAction = nullptr;       // wedugnazwy1
    QAction* sortByModifiedAction = nullptr;   // wedugdatymodyfikacji1
    QAction* sortByDateTakenAction = nullptr;  // wedugdatywykonaniazdjcia1
    QAction* sortBySizeAction = nullptr;       // wedugrozmiaru1
    QAction* sortByExtensionAction = nullptr;  // wedugrozszerzenia1
    QAction* sortSeparator = nullptr;          // N2
    QAction* reverseOrderAction = nullptr;     // Odwrkolejno1
    QMenu* selectMenu = nullptr;               // Zaznacz1
    QAction* selectByMaskAction = nullptr;     // wedugmaski1
    QAction* selectHiddenAction = nullptr;     // ukryte1
    QAction* selectFoldersAction = nullptr;    // foldery1
    QAction* selectConflictsAction = nullptr;  // zkonfliktem1
    QAction* selectAllAction = nullptr;        // wszystko1
    QAction* invertSelectionAction = nullptr;  // odwrzaznaczenie1
    QAction* runHistoryAction = nullptr;       // Historiazmian1
    // Made at its first opening.
    RunHistoryWindow* runHistoryWindow = nullptr;  // HistoryForm
    PassiveNote* runNote = nullptr;                // runNote: after a run that went well

    // The file list shows full paths (0) or names only (any other value).
    int listViewMode() const { return viewMode_; }
    void setListViewMode(int mode);

    // Tool bar.
    void addFilesFromDialog();
    void openFolderChooser();
    void showOptionsWindow();
    void applyRenames();
    void clearList();
    void showAboutWindow();

    // The file list's menu.
    void moveSelectedUp();
    void moveSelectedDown();
    void removeSelected();
    void undoLastRun();
    void showRunHistory();
    // While a run goes on: asks whether to stop it and, on Yes, stops it
    // after the entry it is on. Whether it was asked to stop.
    bool askToStopRun();
    void fullPathViewChosen();
    void nameOnlyViewChosen();
    void sortByName();
    void sortByModified();
    void sortByDateTaken();
    void sortBySize();
    void sortByExtension();
    void reverseOrder();
    void selectByMask();
    void selectHidden();
    void selectFolders();
    void selectConflicts();
    void selectAll();
    void invertSelection();
    // The selected entries were dragged to stand before the entry of `row`.
    void moveDroppedSelection(int row);

    // Reads `wanted` of the entries at `rows` into the session's cache on
    // worker threads while the window goes on; a read that lasts longer than
    // half a second shows its progress in the gauge, and Escape stops it.
    // `whenRead` follows once every entry was read, not when the read was
    // stopped or replaced by a later one.
    void readMetadataWithProgress(const std::vector<int>& rows, kestrix::platform::MetadataFields wanted,
                                  std::function<void(const kestrix::session::MetadataJob& read)> whenRead);
    // The read going on, if any.
    MetadataReadProgress* metadataRead() const { return metadataRead_; }

    // Adds dropped items, or those named on the command line: a folder's
    // contents too when the user says so.
    void addDroppedPaths(const std::vector<std::string>& paths);
    // The same once the event loop is free again: whoever hands the paths
    // over (a drag source, the start-up) is never kept waiting.
    void addDroppedPathsLater(const std::vector<std::string>& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildToolBar();
    void buildPanels();
    void buildFileListMenu();
    void followSession();

    void updateApplyButton();
    void moveSelected(int step);
    // Selects exactly the rows of `picked`; the focus mark stays.
    void selectRows(const std::vector<bool>& picked);
    void columnSplitChanged();
    int columnSplit() const;
    void showRuleSummary(const QStringList& lines);
    void reportLeftOut(const kestrix::session::LeftOutItems& leftOut);
    void reportRunProblems(const QString& report);
    void settleInterruptedRuns();
    // Asks whether to take `run` back, naming it, and takes it back on Yes.
    void takeBackRun(const kestrix::run::PastRun& run);

    // A run of renames: the window takes no input (the options window stays
    // usable) and the gauge rises until the run has finished.
    void lockForRun();
    void setGauge(int percent);
    void repaintReloaded(const kestrix::session::RowRanges& rows);
    void showRunEnd(const kestrix::session::RunReport& report);

    kestrix::session::Session& session_;
    RenameOptionsWindow* optionsWindow_ = nullptr;
    WindowSettings* settings_ = nullptr;
    FileListDelegate* fileListDelegate_ = nullptr;
    QStandardItemModel* headerModel_ = nullptr;
    int viewMode_ = 0;
    QString lastMasks_ = QStringLiteral("*.jpg;*.jpeg");
    bool shownOnce_ = false;
    QShortcut* stopRunShortcut_ = nullptr;
    // The window was closed during a run and closes once it has stopped.
    bool closeAfterRun_ = false;
    MetadataReadProgress* metadataRead_ = nullptr;
};
