#include "ui/dialogs.h"

#include <QFileDialog>

namespace kestrix::ui {
namespace {

QMessageBox::StandardButton realMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QStringList realOpenFiles(QWidget* owner) {
    const std::unique_ptr<QFileDialog> dialog = MakeOpenFilesDialog(owner);
    if (dialog->exec() != QDialog::Accepted) return {};
    return dialog->selectedFiles();
}

}  // namespace

std::unique_ptr<QFileDialog> MakeOpenFilesDialog(QWidget* owner) {
    auto dialog = std::make_unique<QFileDialog>(owner);
    // Chosen before anything else: the dialog decides on its kind as it is set up.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilter(QStringLiteral("Wszystkie pliki (*)"));
    dialog->setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return dialog;
}

DialogSeams& dialogSeams() {
    static DialogSeams seams{realMessageBox, realOpenFiles};
    return seams;
}

void resetDialogSeams() { dialogSeams() = DialogSeams{realMessageBox, realOpenFiles}; }

QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons) {
    return dialogSeams().messageBox(owner, icon, caption, text, buttons);
}

}  // namespace kestrix::ui
