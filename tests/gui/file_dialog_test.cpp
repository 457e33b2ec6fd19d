#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/dialogs.h"

namespace {

// The names the dialog's list view shows for the folder it is in.
QStringList ListedNames(const QListView& view) {
    QStringList names;
    const QAbstractItemModel* model = view.model();
    for (int row = 0; row < model->rowCount(view.rootIndex()); ++row)
        names.append(model->index(row, 0, view.rootIndex()).data().toString());
    return names;
}

TEST(FileDialogTest, ListsTheHiddenFilesOfTheFolderItOpensIn) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {".ukryty_plik", "widoczny.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    const std::unique_ptr<QFileDialog> dialog = kestrix::ui::MakeOpenFilesDialog(nullptr);
    // Qt's own dialog on every desktop: a native one would not list hidden files.
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Wszystkie pliki (*)")});

    dialog->setDirectory(folder.path());
    dialog->show();
    const auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    // The folder is read in the background; wait until both files are listed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ListedNames(*view).size() >= 2; }, 10000));
    EXPECT_TRUE(ListedNames(*view).contains(QStringLiteral(".ukryty_plik")))
        << ListedNames(*view).join(u',').toStdString();
    EXPECT_TRUE(ListedNames(*view).contains(QStringLiteral("widoczny.txt")));
}

}  // namespace
