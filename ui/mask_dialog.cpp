#include "ui/mask_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

MaskDialog::MaskDialog(const QString& masks, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Zaznacz według maski"));
    auto* layout = new QVBoxLayout(this);
    masksLabel = new QLabel(QStringLiteral("Maski nazw, rozdzielone średnikami (np. *.jpg;*.jpeg) :"), this);
    masksLabel->setObjectName(QStringLiteral("Label1"));
    masksEdit = new QLineEdit(masks, this);
    masksEdit->setObjectName(QStringLiteral("Edit1"));
    masksEdit->selectAll();
    masksLabel->setBuddy(masksEdit);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("Button1"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Anuluj"), this);
    cancelButton->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addWidget(masksLabel);
    layout->addWidget(masksEdit);
    layout->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString MaskDialog::masks() const { return masksEdit->text(); }
