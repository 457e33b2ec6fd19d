#include "options/form4.h"

#include <QCheckBox>

#include "app/form1.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setWindowTitle(QStringLiteral("Opcje zmian nazw plików"));
    CheckBox13 = new QCheckBox(
        QStringLiteral("Wczytuj zmienione pliki ponownie do programu po zastosowaniu zmian"), this);
    CheckBox13->setObjectName(QStringLiteral("CheckBox13"));
    CheckBox13->setChecked(true);
}

kestrix::RenameOptions TForm4::ReadRenameOptions() const {
    kestrix::RenameOptions options;
    if (Form1) options.NumberAscending = Form1->NumberAscending;
    return options;
}

bool TForm4::ReloadAfterApply() const { return CheckBox13->isChecked(); }

void TForm4::RefreshPreview() {}

void TForm4::RecomputeProposedPaths() {}
