#include "gui_fixture.h"

#include <filesystem>
#include <fstream>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>

#include "app/application.h"
#include "app/settings_location.h"

void GuiTest::SetUp() {
    ASSERT_TRUE(tempDir.isValid());
    kestrix::ui::dialogSeams().openFiles = [this](QWidget*) { return dialogFiles; };
    kestrix::ui::dialogSeams().messageBox = [this](QWidget* owner, QMessageBox::Icon icon,
                                                   const QString& caption, const QString& text,
                                                   QMessageBox::StandardButtons buttons) {
        return answer({owner, icon, caption, text, buttons});
    };
    kestrix::ui::dialogSeams().informativeMessageBox =
        [this](QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text,
               const QString& informative, QMessageBox::StandardButtons buttons) {
            return answer({owner, icon, caption, text, buttons, informative});
        };
    // Each test starts without a settings file and never writes beside the binary.
    kestrix::settings::SetPathOverride(path("kestrix.ini"));
    // Each test has journals of its own, and never sees the user's.
    ASSERT_TRUE(stateDir.isValid());
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateDir.path()));
    startProgram();
}

QMessageBox::StandardButton GuiTest::answer(Asked question) {
    asked.push_back(std::move(question));
    if (answers.empty()) return QMessageBox::Yes;
    const QMessageBox::StandardButton given = answers.front();
    answers.erase(answers.begin());
    return given;
}

void GuiTest::TearDown() {
    endProgram();
    kestrix::settings::SetPathOverride({});
    // Names that are not UTF-8 defeat QDir's clean-up; remove the bytes as they are.
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(tempDir.path()).toStdString(), ignored);
    kestrix::ui::resetDialogSeams();
}

// As main() does it.
void GuiTest::startProgram() {
    session = std::make_unique<kestrix::session::Session>();
    folderContentsAdded.clear();
    QObject::connect(session.get(), &kestrix::session::Session::folderContentsAdded,
                     [this](const std::string&, kestrix::session::FolderContents what) {
                         folderContentsAdded.push_back(what);
                     });
    mainWindow = new MainWindow(*session);
    optionsWindow = mainWindow->findChild<RenameOptionsWindow*>();
    static_cast<KestrixApplication*>(QCoreApplication::instance())->setErrorOwner(mainWindow);
}

void GuiTest::endProgram() {
    delete mainWindow;  // owns the options window
    mainWindow = nullptr;
    optionsWindow = nullptr;
    session.reset();
}

void GuiTest::restartProgram() {
    endProgram();
    startProgram();
}

std::vector<std::string> GuiTest::currentPaths() const {
    std::vector<std::string> paths;
    for (const auto& entry : session->entryList().entries()) paths.push_back(entry.current);
    return paths;
}

std::vector<std::string> GuiTest::proposedPaths() const {
    std::vector<std::string> paths;
    for (const auto& entry : session->entryList().entries()) paths.push_back(entry.proposed);
    return paths;
}

void GuiTest::check(const char* name, bool on) {
    auto* button = optionsWindow->findChild<QAbstractButton*>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->setChecked(on);
}

void GuiTest::type(const char* name, const QString& text) {
    auto* edit = optionsWindow->findChild<QLineEdit*>(QLatin1String(name));
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
}

void GuiTest::waitForRun() {
    if (!session->runGoingOn()) return;
    QSignalSpy ended(session.get(), &kestrix::session::Session::runFinished);
    ASSERT_TRUE(ended.wait(120'000)) << "the run did not end";
}

void GuiTest::selectRows(const std::vector<int>& rows) {
    QItemSelectionModel* selection = mainWindow->fileListView->selectionModel();
    selection->clearSelection();
    for (int row : rows) {
        selection->select(session->entryList().index(row), QItemSelectionModel::Select);
    }
}

std::vector<int> GuiTest::selectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < session->entryCount(); ++row) {
        if (mainWindow->fileListView->selectionModel()->isSelected(session->entryList().index(row))) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::string GuiTest::journalFolder() const {
    return QFile::encodeName(stateDir.path()).toStdString() + "/Kestrix/";
}

std::string GuiTest::path(const std::string& relative) const {
    return QFile::encodeName(tempDir.path()).toStdString() + "/" + relative;
}

// The paths are bytes: names that are not UTF-8 keep theirs.
void GuiTest::makeFile(const std::string& relative, const std::string& content) const {
    const std::string full = path(relative);
    std::filesystem::create_directories(full.substr(0, full.rfind('/')));
    std::ofstream(full, std::ios::binary) << content;
}

void GuiTest::makeFolder(const std::string& relative) const {
    std::filesystem::create_directories(path(relative));
}
