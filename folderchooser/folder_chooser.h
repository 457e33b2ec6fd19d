#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QFileIconProvider>

#include "platform/disks.h"
#include "session/left_out_items.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class DriveComboBox;

namespace kestrix::session {
class Session;
}  // namespace kestrix::session

// The folder chooser: a local disk and one of its folders are picked, and the
// folder's files, its subfolders or both are added to the session's list,
// optionally with everything below. Made for each opening, shown modally,
// gone when closed. It moves the process's current folder as it moves, so
// the next opening starts where this one was left.
class FolderChooser : public QDialog {
    Q_OBJECT

public:
    // Centred over `parent` when that is shown.
    FolderChooser(kestrix::session::Session& session, QWidget* parent = nullptr);

    // Controls; each carries its designed name as its object name (in brackets).
    QLabel* chosenFolderLabel = nullptr;    // Label1
    DriveComboBox* diskBox = nullptr;       // ComboBox1: local disks
    QLineEdit* chosenFolderEdit = nullptr;  // Edit1: the chosen folder
    QListWidget* folderList = nullptr;      // ListBox1: ".." and the subfolders of the current folder
    QPushButton* cancelButton = nullptr;    // Button2: "Anuluj"
    QPushButton* okButton = nullptr;        // Button1: "OK"
    QGroupBox* optionsGroup = nullptr;      // GroupBox1
    QCheckBox* recursiveBox = nullptr;      // CheckBox1: the whole tree below
    QCheckBox* addFilesBox = nullptr;       // CheckBox3
    QCheckBox* addFoldersBox = nullptr;     // CheckBox2

    void diskChosen();
    void folderClicked();
    void folderDoubleClicked();
    // Adds what the check boxes ask from the chosen folder, and closes.
    void okClicked();
    void cancelClicked();

    // The folder whose subfolders are listed (ends with '/'), and the chosen
    // folder the edit shows, both as the path's bytes.
    const std::string& currentFolder() const { return currentFolder_; }
    const std::string& chosenFolder() const { return chosenFolder_; }
    // The name a row of the folder list stands for, as bytes (".." for row 0).
    std::string folderRowName(int row) const;
    // What OK could not add because its path is too long to rename.
    const kestrix::session::LeftOutItems& leftOut() const { return leftOut_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Enters the folder of `row` (0: "..", up), listing its subfolders.
    void enterFolderRow(int row);
    void centreOverParent();
    void startInProcessFolder();
    void drawDiskRow(QPainter* painter, const QRect& rect, int index, bool selected);
    void drawFolderRow(QPainter* painter, const QRect& rect, int index, bool selected);
    // The subfolders of `folder` (ending with '/') after "..".
    void rebuildFolderList(const std::string& folder);
    void fillFolderList(const std::string& folder);
    void showChosenFolder(const std::string& folder);
    int selectedFolderRow() const;

    std::string currentFolder_;
    std::string chosenFolder_;
    std::vector<kestrix::platform::LocalDisk> disks_;
    QFileIconProvider icons_;  // the desktop's icons for disks and folders
    kestrix::session::Session& session_;
    kestrix::session::LeftOutItems leftOut_;
};
