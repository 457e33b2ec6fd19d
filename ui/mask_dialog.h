#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The small dialog that asks for masks of names to select by ("*.jpg;*.jpeg").
class MaskDialog : public QDialog {
    Q_OBJECT

public:
    explicit MaskDialog(const QString& masks, QWidget* parent = nullptr);

    QString masks() const;

    QLabel* masksLabel = nullptr;         // Label1
    QLineEdit* masksEdit = nullptr;       // Edit1
    QPushButton* okButton = nullptr;      // Button1
    QPushButton* cancelButton = nullptr;  // Button2
};
