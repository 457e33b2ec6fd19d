#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QMessageBox>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace kestrix::ui {

// Every modal question and file dialog of the program goes through these
// functions. The defaults show the real dialogs; tests replace them to answer
// without a user (and restore them with resetDialogSeams()).
struct DialogSeams {
    // A message box owned by `owner`; returns the button pressed.
    std::function<QMessageBox::StandardButton(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                              const QString& text, QMessageBox::StandardButtons buttons)>
        messageBox;
    // The multiple-selection file-open dialog; returns the chosen files (empty when cancelled).
    std::function<QStringList(QWidget* owner)> openFiles;
    // A message box with an informative text under its text. Unset, a box
    // with an informative text goes to `messageBox` as it stands (without
    // the informative text) once `messageBox` has been replaced, so that an
    // answer given there still answers it.
    std::function<QMessageBox::StandardButton(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                              const QString& text, const QString& informative,
                                              QMessageBox::StandardButtons buttons)>
        informativeMessageBox;
    // A question answered with a line of text, `text` offered at first;
    // nullopt when cancelled. Unset, the real input dialog asks.
    std::function<std::optional<QString>(QWidget* owner, const QString& caption, const QString& label,
                                         const QString& text)>
        askText;
    // The question for masks of names to select by (MaskDialog), starting
    // from `masks`; the masks typed, or none when cancelled.
    std::function<std::optional<QString>(QWidget* owner, const QString& masks)> askMasks;
};

DialogSeams& dialogSeams();
void resetDialogSeams();

// The file-open dialog that openFiles runs, set up but not yet shown: any
// number of existing files, hidden ones listed. It is always Qt's own dialog,
// since the desktop's native dialogs ignore the request to list hidden files.
std::unique_ptr<QFileDialog> MakeOpenFilesDialog(QWidget* owner);

// Shorthand for dialogSeams().messageBox(...).
QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// The same with an informative text (none when empty).
QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, const QString& informative,
                                        QMessageBox::StandardButtons buttons);

// Shorthand for dialogSeams().askText(...), or the real input dialog.
std::optional<QString> AskText(QWidget* owner, const QString& caption, const QString& label,
                               const QString& text = {});

}  // namespace kestrix::ui
