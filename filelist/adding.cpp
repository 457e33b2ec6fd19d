// Adding files and folders to the list: the file dialog, dropped items, and
// the contents of a folder.
#include <QStringList>

#include "app/cgauge.h"
#include "app/dialogs.h"
#include "app/form1.h"
#include "engine/duplicates.h"
#include "engine/name_transform.h"
#include "filelist/file_list_model.h"
#include "filelist/picked_paths.h"
#include "filelist/too_long_report.h"
#include "platform/folder_tree.h"
#include "platform/folders.h"
#include "platform/path_limits.h"

namespace {

// Builds the entries of one adding operation. The options cannot change while
// a folder is being read (no events are processed meanwhile), so they are
// read once; every entry still gets the position it takes and the entry
// count of the moment it is appended. A path too long to rename is left out
// and reported.
class PendingEntries {
public:
    PendingEntries(const TForm1& form, int existing)
        : existing_(existing), options_(form.CurrentRenameOptions()) {}

    void add(const std::string& path) {
        if (kestrix::platform::TooLongToRename(path)) {
            TooLongReport::leaveOut(path);
            return;
        }
        const auto position =
            static_cast<std::int64_t>(existing_) + static_cast<std::int64_t>(entries_.size());
        entries_.push_back(kestrix::TransformPath(path, position, position, kestrix::RenameRules::From(options_).value()));
    }

    std::vector<kestrix::ListEntry> take() { return std::move(entries_); }

private:
    int existing_;
    kestrix::RenameOptions options_;
    std::vector<kestrix::ListEntry> entries_;
};

// Depth first, each subfolder's own entry before its contents. Links to
// folders get their entry but are never descended into, so recursion ends.
void CollectFolderContents(const std::string& folder, bool recurse, bool addFolders, bool addFiles,
                           PendingEntries& pending) {
    kestrix::platform::WalkFolder(folder, recurse,
                                  [&](const std::string& path, const kestrix::platform::FolderItem& item) {
                                      if (item.isFolder ? addFolders : addFiles) pending.add(path);
                                  });
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

void TForm1::ToolButton1Click() {
    const QStringList chosen = kestrix::ui::dialogSeams().openFiles(this);
    if (chosen.isEmpty()) return;
    CGauge1->setProgress(0);

    const TooLongReport tooLong(this);
    PickedPathMatcher matcher;
    PendingEntries pending(*this, entryCount());
    std::string lastFolder;
    QStringList unmatched;
    for (const QString& file : chosen) {
        const std::optional<std::string> path = matcher.match(file);
        if (!path) {
            unmatched << file;
            continue;
        }
        pending.add(*path);
        lastFolder = FolderOf(*path);
    }
    fileList_->append(pending.take());

    // The folder chooser starts where the last chosen files were.
    if (!lastFolder.empty()) kestrix::platform::SetCurrentFolder(lastFolder);

    RemoveDuplicates();
    UpdateRenameButton();

    if (!unmatched.isEmpty()) {
        kestrix::ui::showMessage(this, QMessageBox::Warning, QStringLiteral("Błąd"),
                                 QStringLiteral("Tych plików nie dodano do listy, bo nie udało się ich "
                                                "jednoznacznie odnaleźć na dysku (nazwa, której nie da się "
                                                "poprawnie odczytać, pasuje do kilku plików albo do "
                                                "żadnego):\n\n") +
                                     unmatched.join(QLatin1Char('\n')));
    }
}

void TForm1::RemoveDuplicates() {
    const std::vector<std::size_t> duplicates = kestrix::DuplicatePositions(fileList_->entries());
    if (duplicates.empty()) return;
    fileList_->removeRowsAt(std::vector<int>(duplicates.begin(), duplicates.end()));

    const kestrix::RenameOptions options = CurrentRenameOptions();
    if (!options.numberingInForce()) return;
    const int count = entryCount();
    fileList_->rebuildWhere([&](int row, kestrix::ListEntry& entry) {
        kestrix::ListEntry fresh = kestrix::TransformPath(entry.current, row, count, kestrix::RenameRules::From(options).value());
        if (fresh.proposed == entry.proposed) return false;
        entry = std::move(fresh);
        return true;
    });
}

void TForm1::AddFolderContents(const std::string& folder) {
    const TooLongReport tooLong(this);
    PendingEntries pending(*this, entryCount());
    CollectFolderContents(WithTrailingSlash(folder), RecurseFolders, AddFolders, AddFiles, pending);
    fileList_->append(pending.take());
}

void TForm1::AddDroppedFiles(const std::vector<std::string>& paths) {
    const TooLongReport tooLong(this);
    for (const std::string& path : paths) {
        if (kestrix::platform::IsFolder(path)) {
            const auto answer = kestrix::ui::showMessage(
                this, QMessageBox::Information, QStringLiteral("Zapytanie"),
                QStringLiteral("Do dodania na listę wybrano katalog, czy dodać też jego zawartość ?"),
                QMessageBox::Yes | QMessageBox::No);
            if (answer == QMessageBox::Yes) {
                RecurseFolders = true;
                AddFolders = true;
                AddFiles = true;
                AddFolderContents(WithTrailingSlash(path));
            }
        }
        PendingEntries own(*this, entryCount());
        own.add(path);
        fileList_->append(own.take());
    }
    UpdateRenameButton();
}
