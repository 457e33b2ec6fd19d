#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "options/rename_options_window.h"
#include "session/session.h"
#include "ui/dialogs.h"

// Builds the session and the windows as the program does, with every modal
// dialog answered by the test: queue answers in `answers` (one per message
// box, Yes when the queue is empty) and read what was asked in `asked`.
class GuiTest : public ::testing::Test {
protected:
    struct Asked {
        QWidget* owner;
        QMessageBox::Icon icon;
        QString caption;
        QString text;
        QMessageBox::StandardButtons buttons;
        QString informative = QString();  // the text under the text, if any
    };

    void SetUp() override;
    void TearDown() override;

    // Ends the program's session and windows and starts them again, as a new
    // start of the program does.
    void restartProgram();

    // Files the next file dialog returns (empty: cancelled).
    QStringList dialogFiles;
    std::vector<QMessageBox::StandardButton> answers;
    std::vector<Asked> asked;

    std::unique_ptr<kestrix::session::Session> session;
    MainWindow* mainWindow = nullptr;
    RenameOptionsWindow* optionsWindow = nullptr;  // owned by the main window
    // How each folder's contents were added since the session was made, in order.
    std::vector<kestrix::session::FolderContents> folderContentsAdded;

    // Proposed and current paths of the list, in order.
    std::vector<std::string> currentPaths() const;
    std::vector<std::string> proposedPaths() const;
    // Options are set through the options window's controls, as a user sets them.
    void check(const char* name, bool on = true);
    void type(const char* name, const QString& text);
    // Lets the run going on (if any) come to its end, the event loop turning
    // meanwhile as it does for a user.
    void waitForRun();
    // Selects exactly the given rows of the file list.
    void selectRows(const std::vector<int>& rows);
    std::vector<int> selectedRows() const;

    // A fresh temporary folder for files of the test; `path(name)` is inside it.
    QTemporaryDir tempDir;
    // The state folder of the test (XDG_STATE_HOME), where runs keep their journals.
    QTemporaryDir stateDir;
    std::string journalFolder() const;
    std::string path(const std::string& relative) const;
    void makeFile(const std::string& relative, const std::string& content = "x") const;
    void makeFolder(const std::string& relative) const;

private:
    QMessageBox::StandardButton answer(Asked question);
    void startProgram();
    void endProgram();
};
