#include "ui/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>

#include "ui/mask_dialog.h"

namespace kestrix::ui {
namespace {

QMessageBox::StandardButton realInformativeMessageBox(QWidget* owner, QMessageBox::Icon icon,
                                                      const QString& caption, const QString& text,
                                                      const QString& informative,
                                                      QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, owner);
    if (!informative.isEmpty()) box.setInformativeText(informative);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton realMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons) {
    return realInformativeMessageBox(owner, icon, caption, text, QString(), buttons);
}

using MessageBoxFunction = decltype(&realMessageBox);

QStringList realOpenFiles(QWidget* owner) {
    const std::unique_ptr<QFileDialog> dialog = MakeOpenFilesDialog(owner);
    if (dialog->exec() != QDialog::Accepted) return {};
    return dialog->selectedFiles();
}

std::optional<QString> realAskMasks(QWidget* owner, const QString& masks) {
    MaskDialog dialog(masks, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.masks();
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
    static DialogSeams seams{realMessageBox, realOpenFiles, {}, {}, realAskMasks};
    return seams;
}

void resetDialogSeams() { dialogSeams() = DialogSeams{realMessageBox, realOpenFiles, {}, {}, realAskMasks}; }

QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons) {
    return dialogSeams().messageBox(owner, icon, caption, text, buttons);
}

QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, const QString& informative,
                                        QMessageBox::StandardButtons buttons) {
    const DialogSeams& seams = dialogSeams();
    if (seams.informativeMessageBox) {
        return seams.informativeMessageBox(owner, icon, caption, text, informative, buttons);
    }
    const MessageBoxFunction* real = seams.messageBox.target<MessageBoxFunction>();
    if (informative.isEmpty() || !real || *real != &realMessageBox) {
        return seams.messageBox(owner, icon, caption, text, buttons);
    }
    return realInformativeMessageBox(owner, icon, caption, text, informative, buttons);
}

std::optional<QString> AskText(QWidget* owner, const QString& caption, const QString& label,
                               const QString& text) {
    if (const DialogSeams& seams = dialogSeams(); seams.askText)
        return seams.askText(owner, caption, label, text);
    bool accepted = false;
    const QString answer = QInputDialog::getText(owner, caption, label, QLineEdit::Normal, text, &accepted);
    if (!accepted) return std::nullopt;
    return answer;
}

}  // namespace kestrix::ui
