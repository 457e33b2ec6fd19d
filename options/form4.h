#pragma once

#include <QCheckBox>
#include <QWidget>

#include "engine/rename_options.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TPanel;
class TRadioGroup;
class TUpDown;

// The rename options window: its controls are the rename options. Created
// hidden at start-up, shown modeless, hidden again when closed, so every
// option lives as long as the program.
class TForm4 : public QWidget {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    // Replacement of characters.
    QCheckBox* CheckBox8 = nullptr;
    TPanel* Panel5 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit1 = nullptr;  // from
    QLineEdit* Edit2 = nullptr;  // to

    // New extension.
    QCheckBox* CheckBox12 = nullptr;
    TPanel* Panel7 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit6 = nullptr;

    // Deletion.
    QCheckBox* CheckBox10 = nullptr;
    TPanel* Panel3 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Edit4 = nullptr;  // how many
    TUpDown* UpDown1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;  // from the start
    QRadioButton* RadioButton2 = nullptr;  // from the end
    QRadioButton* RadioButton3 = nullptr;  // from a position
    QLineEdit* Edit5 = nullptr;            // the position
    TUpDown* UpDown2 = nullptr;

    // Insertion.
    QCheckBox* CheckBox9 = nullptr;
    TPanel* Panel4 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* Edit3 = nullptr;            // the text
    QRadioButton* RadioButton4 = nullptr;  // at the start
    QRadioButton* RadioButton5 = nullptr;  // at the end
    QRadioButton* RadioButton6 = nullptr;  // after a position
    QLineEdit* Edit7 = nullptr;            // the position
    TUpDown* UpDown3 = nullptr;

    // Numbering.
    QCheckBox* CheckBox7 = nullptr;
    TPanel* Panel6 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* Edit8 = nullptr;            // start value
    QPushButton* Button4 = nullptr;        // direction
    QRadioButton* RadioButton7 = nullptr;  // at the start
    QRadioButton* RadioButton8 = nullptr;  // at the end
    QRadioButton* RadioButton9 = nullptr;  // after a position
    QLineEdit* Edit9 = nullptr;            // the position
    TUpDown* UpDown4 = nullptr;
    QCheckBox* CheckBox11 = nullptr;  // leading zeros

    // Spaces and underscores.
    QCheckBox* CheckBox2 = nullptr;
    TPanel* Panel1 = nullptr;
    QCheckBox* CheckBox5 = nullptr;  // spaces to underscores
    QCheckBox* CheckBox6 = nullptr;  // underscores to spaces

    // Letter case.
    QCheckBox* CheckBox1 = nullptr;
    TPanel* Panel2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;  // to lower case
    QCheckBox* CheckBox4 = nullptr;  // to upper case

    TRadioGroup* RadioGroup1 = nullptr;  // preview mode: 0 live, 1 when this window closes
    TRadioGroup* RadioGroup2 = nullptr;  // scope: 0 name and extension, 1 name, 2 extension
    QCheckBox* CheckBox13 = nullptr;     // reload the renamed files after applying

    // Every option as the controls hold it now (NumberAscending comes from the main window).
    kestrix::RenameOptions ReadRenameOptions() const;
    // Whether the list is rebuilt (true) or emptied after the renames are applied.
    bool ReloadAfterApply() const;

    // Rebuilds the rule summary and, in live preview mode, the proposed paths.
    void RefreshPreview();
    // Recomputes every entry's proposed path, rewriting only the entries whose proposed path changed.
    void RecomputeProposedPaths();

    // Control handlers; a handler may serve several controls.
    void CheckBox8Click();
    void Edit1Change();  // Edit1, Edit2, Edit3 and CheckBox11
    void CheckBox12Click();
    void Edit6Change();
    void CheckBox10Click();
    void UpDown1Click();
    void UpDown2Click();
    void RadioButton1Click();  // RadioButton1 to RadioButton3
    void CheckBox9Click();
    void UpDown3Click();
    void RadioButton4Click();  // RadioButton4 to RadioButton6
    void CheckBox7Click();
    void Edit8Change();
    void Button4Click();
    void RadioButton7Click();  // RadioButton7 to RadioButton9
    void UpDown4Click();
    void CheckBox2Click();
    void CheckBox5Click();
    void CheckBox6Click();
    void CheckBox1Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void RadioGroup2Click();
    void FormClose();

    // How many times the preview has been refreshed since the window was created.
    int refreshCount() const { return refreshCount_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildReplaceGroup();
    void buildExtensionGroup();
    void buildDeleteGroup();
    void buildInsertGroup();
    void buildNumberingGroup();
    void buildSpacesGroup();
    void buildCaseGroup();
    void buildOtherControls();
    void arrangeTabOrder();
    void connectHandlers();

    // Empties an edit and runs its change handler, even when it was empty already.
    static void EmptyEdit(QLineEdit* edit);

    int refreshCount_ = 0;
};

extern TForm4* Form4;
