#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QFileIconProvider>

#include "platform/disks.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class DriveComboBox;

// The folder chooser: a local disk and one of its folders are picked, and the
// folder's files, its subfolders or both are added to the main window's list,
// optionally with everything below. Created for each opening, shown modally,
// destroyed when closed. It moves the process's current folder as it moves,
// so the next opening starts where this one was left.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    DriveComboBox* ComboBox1 = nullptr;  // local disks
    QLineEdit* Edit1 = nullptr;          // the chosen folder
    QListWidget* ListBox1 = nullptr;     // ".." and the subfolders of CurrentFolder
    QPushButton* Button2 = nullptr;      // "Anuluj"
    QPushButton* Button1 = nullptr;      // "OK"
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // recursively
    QCheckBox* CheckBox3 = nullptr;  // add files
    QCheckBox* CheckBox2 = nullptr;  // add folders

    void ComboBox1Change();
    void ListBox1Click();
    void ListBox1DblClick();
    void Button1Click();
    void Button2Click();
    void ComboBox1DrawItem(QPainter* painter, const QRect& rect, int index, bool selected);
    void ListBox1DrawItem(QPainter* painter, const QRect& rect, int index, bool selected);
    // Adds the names of the subfolders of `folder` (ending with '/') to ListBox1.
    void FillFolderList(const std::string& folder);

    // The folder whose subfolders are listed (ends with '/'), and the chosen
    // folder Edit1 shows, both as the path's bytes.
    const std::string& currentFolder() const { return CurrentFolder; }
    const std::string& chosenFolder() const { return chosenFolder_; }
    // The name a row of ListBox1 stands for, as bytes (".." for row 0).
    std::string folderRowName(int row) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CentreOverMainWindow();
    void FormCreate();
    void RebuildFolderList(const std::string& folder);
    void ShowChosenFolder(const std::string& folder);
    int selectedFolderRow() const;

    std::string CurrentFolder;
    std::string chosenFolder_;
    std::vector<kestrix::platform::LocalDisk> disks_;
    QFileIconProvider ImageList1;  // the desktop's icons for disks and folders
};

// The folder chooser while it is open; null otherwise.
extern TForm3* Form3;
