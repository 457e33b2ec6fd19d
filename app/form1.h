#pragma once

#include <string>
#include <vector>

#include <QWidget>

#include "engine/list_entry.h"
#include "engine/rename_options.h"

class QAction;
class QHeaderView;
class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QSplitter;
class QStandardItemModel;
class QToolBar;
class QToolButton;

class TCGauge;
class FileListModel;
class FileListDelegate;

// The main window: tool bar, rule summary, and the file list in which every
// row pairs a file's current name with its proposed name. Its operations on
// the list live in filelist/, its settings in app/settings.cpp.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, named as in the window's layout; each also carries its name
    // as its object name.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // add files
    QToolButton* ToolButton2 = nullptr;  // add a folder's contents
    QToolButton* ToolButton3 = nullptr;  // rename options
    QToolButton* ToolButton4 = nullptr;  // apply the renames
    QToolButton* ToolButton5 = nullptr;  // clear the list
    QToolButton* ToolButton6 = nullptr;  // about
    QToolButton* ToolButton7 = nullptr;  // close
    TCGauge* CGauge1 = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox3 = nullptr;  // rule summary
    QSplitter* Splitter2 = nullptr;
    QWidget* Panel1 = nullptr;
    QHeaderView* HeaderControl1 = nullptr;
    QListView* ListBox1 = nullptr;  // file list
    QMenu* PopupMenu1 = nullptr;
    QAction* Przesudogry1 = nullptr;
    QAction* Przesuwd1 = nullptr;
    QAction* Usu1 = nullptr;
    QAction* Cofnij1 = nullptr;
    QAction* N1 = nullptr;
    QMenu* Widok1 = nullptr;
    QAction* ciekaNazwa1 = nullptr;
    QAction* Nazwa1 = nullptr;

    // How a folder's contents are added; set right before each use.
    bool RecurseFolders = false;
    bool AddFolders = false;
    bool AddFiles = false;
    // Numbering counts up (true) or down; toggled by the options window.
    bool NumberAscending = true;

    FileListModel* fileList() const { return fileList_; }
    int entryCount() const;

    // View mode of the file list (ListBox1's tag): 0 full paths, any other value names only.
    int listViewMode() const { return viewMode_; }
    void setListViewMode(int mode);

    // The entry for `path` at list position `index`, with the rename options
    // as they stand now and the list's current entry count.
    kestrix::ListEntry BuildListEntry(const std::string& path, int index) const;
    // The rename options as they stand now, the numbering direction included.
    // Operations that rebuild many entries at once read them once through this.
    kestrix::RenameOptions CurrentRenameOptions() const;
    static std::string ExtractTagText(const std::string& text, const std::string& tag);

    // Adding (filelist/adding.cpp).
    void ToolButton1Click();
    void AddFolderContents(const std::string& folder);
    void AddDroppedFiles(const std::vector<std::string>& paths);
    // AddDroppedFiles as soon as the event loop is free again: whoever hands
    // over the paths (a drag source, the start-up) is never kept waiting.
    void AddDroppedFilesLater(const std::vector<std::string>& paths);
    void RemoveDuplicates();
    void UpdateRenameButton();

    // Other windows.
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton6Click();
    void ToolButton7Click();

    // Applying the renames (filelist/apply_renames.cpp).
    void ToolButton4Click();

    // Undo of the last finished run (filelist/undo_renames.cpp), and runs cut
    // off by a crash, settled once the window first shows (app/interrupted_runs.cpp).
    void Cofnij1Click();
    void UpdateUndoItem();
    void SettleInterruptedRuns();

    // List editing and view modes (filelist/list_editing.cpp).
    void ToolButton5Click();
    void Usu1Click();
    void Przesudogry1Click();
    void Przesuwd1Click();
    void ciekaNazwa1Click();
    void Nazwa1Click();

    // Drawing (filelist/): repaint the file list with the new column split.
    void HeaderControl1SectionResize();
    int columnSplit() const;

    // Settings file (app/settings.cpp): read while the window is created,
    // written whenever it closes.
    void LoadSettings();
    void SaveSettings();
    static std::string SettingsPath();
    // Runs when the window is shown, once the window frame is known: keeps
    // the smallest outer size at 640 x 541 whatever the frame (app/settings.cpp).
    void AdjustToFrame();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void buildToolBar();
    void buildPanels();
    void buildPopupMenu();

    FileListModel* fileList_ = nullptr;
    FileListDelegate* fileListDelegate_ = nullptr;
    QStandardItemModel* headerModel_ = nullptr;
    int viewMode_ = 0;
    bool shownOnce_ = false;
};

extern TForm1* Form1;
