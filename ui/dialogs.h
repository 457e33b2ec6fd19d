#pragma once

#include <functional>

#include <QMessageBox>
#include <QStringList>

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
};

DialogSeams& dialogSeams();
void resetDialogSeams();

// Shorthand for dialogSeams().messageBox(...).
QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

}  // namespace kestrix::ui
