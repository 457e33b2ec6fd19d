// What each control of the options window does: enabling its dependants,
// keeping the paired boxes opposite, resetting a group switched off, and
// refreshing the preview when the change can alter it.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/form1.h"
#include "engine/start_value.h"
#include "options/form4.h"
#include "options/radio_group.h"
#include "options/updown.h"

namespace {

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

int EntryCount() { return Form1 ? Form1->entryCount() : 0; }

}  // namespace

void TForm4::connectHandlers() {
    // A box's or radio button's handler runs whenever its state changes, from
    // the user or from code; a radio button's only when it becomes selected.
    auto onToggle = [this](QAbstractButton* button, void (TForm4::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, handler);
    };
    auto onSelect = [this](QRadioButton* button, void (TForm4::*handler)()) {
        connect(button, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected) (this->*handler)();
        });
    };
    auto onChange = [this](QLineEdit* edit, void (TForm4::*handler)()) {
        connect(edit, &QLineEdit::textChanged, this, handler);
    };

    onToggle(CheckBox8, &TForm4::CheckBox8Click);
    onChange(Edit1, &TForm4::Edit1Change);
    onChange(Edit2, &TForm4::Edit1Change);
    onChange(Edit3, &TForm4::Edit1Change);
    onToggle(CheckBox11, &TForm4::Edit1Change);
    onToggle(CheckBox12, &TForm4::CheckBox12Click);
    onChange(Edit6, &TForm4::Edit6Change);
    onToggle(CheckBox10, &TForm4::CheckBox10Click);
    connect(UpDown1, &TUpDown::clicked, this, &TForm4::UpDown1Click);
    connect(UpDown2, &TUpDown::clicked, this, &TForm4::UpDown2Click);
    for (QRadioButton* button : {RadioButton1, RadioButton2, RadioButton3})
        onSelect(button, &TForm4::RadioButton1Click);
    onToggle(CheckBox9, &TForm4::CheckBox9Click);
    connect(UpDown3, &TUpDown::clicked, this, &TForm4::UpDown3Click);
    for (QRadioButton* button : {RadioButton4, RadioButton5, RadioButton6})
        onSelect(button, &TForm4::RadioButton4Click);
    onToggle(CheckBox7, &TForm4::CheckBox7Click);
    onChange(Edit8, &TForm4::Edit8Change);
    connect(Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    for (QRadioButton* button : {RadioButton7, RadioButton8, RadioButton9})
        onSelect(button, &TForm4::RadioButton7Click);
    connect(UpDown4, &TUpDown::clicked, this, &TForm4::UpDown4Click);
    onToggle(CheckBox2, &TForm4::CheckBox2Click);
    onToggle(CheckBox5, &TForm4::CheckBox5Click);
    onToggle(CheckBox6, &TForm4::CheckBox6Click);
    onToggle(CheckBox1, &TForm4::CheckBox1Click);
    onToggle(CheckBox3, &TForm4::CheckBox3Click);
    onToggle(CheckBox4, &TForm4::CheckBox4Click);
    connect(RadioGroup2, &TRadioGroup::itemClicked, this, &TForm4::RadioGroup2Click);
    // The preview mode and the reload choice have no handler: they are read when needed.
}

void TForm4::EmptyEdit(QLineEdit* edit) {
    // clear() on an empty edit changes nothing and so signals nothing, yet
    // emptying a field always counts as a change for its handler.
    if (edit->text().isEmpty()) {
        emit edit->textChanged(QString());
    } else {
        edit->clear();
    }
}

void TForm4::CheckBox8Click() {
    if (CheckBox8->isChecked()) {
        SetEnabled({Edit1, Edit2, Label4, Label11}, true);
    } else {
        EmptyEdit(Edit1);
        EmptyEdit(Edit2);
        SetEnabled({Edit1, Edit2, Label4, Label11}, false);
    }
}

void TForm4::Edit1Change() { RefreshPreview(); }

void TForm4::CheckBox12Click() {
    SetEnabled({Label1, Edit6}, CheckBox12->isChecked());
    RefreshPreview();
}

void TForm4::Edit6Change() { RefreshPreview(); }

void TForm4::CheckBox10Click() {
    if (CheckBox10->isChecked()) {
        SetEnabled({Label6, Edit4, UpDown1}, true);
        SetEnabled({Edit5, UpDown2}, RadioButton3->isChecked());
        SetEnabled({RadioButton1, RadioButton2, RadioButton3}, true);
        return;
    }
    SetEnabled({Label6, Edit4, Edit5}, false);
    UpDown1->setPosition(0);
    UpDown2->setPosition(0);
    Edit4->setText(QStringLiteral("0"));
    Edit5->setText(QStringLiteral("0"));
    SetEnabled({UpDown1, UpDown2, RadioButton1, RadioButton2, RadioButton3}, false);
    RefreshPreview();
}

void TForm4::UpDown1Click() {
    Edit4->setText(QString::number(UpDown1->position()));
    RefreshPreview();
}

void TForm4::UpDown2Click() {
    Edit5->setText(QString::number(UpDown2->position()));
    if (UpDown1->position() > 0) RefreshPreview();
}

void TForm4::RadioButton1Click() {
    SetEnabled({Edit5, UpDown2}, RadioButton3->isChecked());
    if (UpDown1->position() > 0) RefreshPreview();
}

void TForm4::CheckBox9Click() {
    if (CheckBox9->isChecked()) {
        SetEnabled({Label10, Edit3}, true);
        SetEnabled({Edit7, UpDown3}, RadioButton6->isChecked());
        SetEnabled({RadioButton4, RadioButton5, RadioButton6}, true);
        return;
    }
    EmptyEdit(Edit3);
    SetEnabled({Edit3, Edit7, UpDown3, Label10}, false);
    UpDown3->setPosition(0);
    Edit7->setText(QStringLiteral("0"));
    SetEnabled({RadioButton4, RadioButton5, RadioButton6}, false);
    RefreshPreview();
}

void TForm4::UpDown3Click() {
    Edit7->setText(QString::number(UpDown3->position()));
    if (!Edit3->text().isEmpty()) RefreshPreview();
}

void TForm4::RadioButton4Click() {
    SetEnabled({Edit7, UpDown3}, RadioButton6->isChecked());
    if (!Edit3->text().isEmpty()) RefreshPreview();
}

void TForm4::CheckBox7Click() {
    const bool on = CheckBox7->isChecked();
    SetEnabled({Edit8, Label12, Button4, RadioButton7, RadioButton8, RadioButton9}, on);
    SetEnabled({Edit9, UpDown4}, RadioButton9->isChecked());
    CheckBox11->setEnabled(on);
    if (!on) SetEnabled({Edit9, UpDown4}, false);
    RefreshPreview();
}

// The start value is always empty or a number that converts: any other text
// is replaced at once by the start of the current direction.
void TForm4::Edit8Change() {
    const QString text = Edit8->text();
    if (!text.isEmpty() && !kestrix::ParseStartValue(text.toStdString())) {
        const bool ascending = Form1 ? Form1->NumberAscending : true;
        Edit8->setText(ascending ? QStringLiteral("0") : QString::number(EntryCount()));
    }
    RefreshPreview();
}

void TForm4::Button4Click() {
    if (!Form1) return;
    if (Form1->NumberAscending) {
        Button4->setText(QStringLiteral("<"));
        Edit8->setText(QString::number(EntryCount()));
        Form1->NumberAscending = false;
    } else {
        Button4->setText(QStringLiteral(">"));
        Edit8->setText(QStringLiteral("0"));
        Form1->NumberAscending = true;
    }
    RefreshPreview();
}

void TForm4::RadioButton7Click() {
    SetEnabled({Edit9, UpDown4}, RadioButton9->isChecked());
    if (!Edit8->text().isEmpty()) RefreshPreview();
}

void TForm4::UpDown4Click() {
    Edit9->setText(QString::number(UpDown4->position()));
    RefreshPreview();
}

void TForm4::CheckBox2Click() {
    SetEnabled({CheckBox5, CheckBox6}, CheckBox2->isChecked());
    RefreshPreview();
}

void TForm4::CheckBox5Click() {
    CheckBox6->setChecked(!CheckBox5->isChecked());
    RefreshPreview();
}

void TForm4::CheckBox6Click() {
    CheckBox5->setChecked(!CheckBox6->isChecked());
    RefreshPreview();
}

void TForm4::CheckBox1Click() {
    SetEnabled({CheckBox3, CheckBox4}, CheckBox1->isChecked());
    RefreshPreview();
}

void TForm4::CheckBox3Click() {
    CheckBox4->setChecked(!CheckBox3->isChecked());
    RefreshPreview();
}

void TForm4::CheckBox4Click() {
    CheckBox3->setChecked(!CheckBox4->isChecked());
    RefreshPreview();
}

void TForm4::RadioGroup2Click() {
    if (RadioGroup1->itemIndex() == 0) RefreshPreview();
}
