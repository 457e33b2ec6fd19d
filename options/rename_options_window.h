#pragma once

#include <QWidget>

#include "engine/rename_options.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ExtraRulesWindow;
class RadioGroup;
class SunkenPanel;
class UpDownSpinner;

namespace kestrix::session {
class Session;
}

// The rename options window: its controls are the rename options. Every
// change is written to the session at once; a change that can alter the
// preview also refreshes it. Made hidden with the main window, shown modeless,
// hidden again when closed, so every option lives as long as the program.
class RenameOptionsWindow : public QWidget {
    Q_OBJECT

public:
    RenameOptionsWindow(kestrix::session::Session& session, QWidget* parent = nullptr);

    // Controls; each carries its designed name as its object name (in brackets).
    // Replacing characters.
    QCheckBox* replaceBox = nullptr;       // CheckBox8
    SunkenPanel* replacePanel = nullptr;   // Panel5
    QLabel* replaceFromLabel = nullptr;    // Label11
    QLabel* replaceToLabel = nullptr;      // Label4
    QLineEdit* replaceFromEdit = nullptr;  // Edit1
    QLineEdit* replaceToEdit = nullptr;    // Edit2
    // A new extension.
    QCheckBox* changeExtensionBox = nullptr;  // CheckBox12
    SunkenPanel* extensionPanel = nullptr;    // Panel7
    QLabel* newExtensionLabel = nullptr;      // Label1
    QLineEdit* newExtensionEdit = nullptr;    // Edit6
    // Deleting characters.
    QCheckBox* deleteBox = nullptr;                    // CheckBox10
    SunkenPanel* deletePanel = nullptr;                // Panel3
    QLabel* deleteCountLabel = nullptr;                // Label6
    QLineEdit* deleteCountField = nullptr;             // Edit4
    UpDownSpinner* deleteCountSpinner = nullptr;       // UpDown1
    QRadioButton* deleteFromStartButton = nullptr;     // RadioButton1
    QRadioButton* deleteFromEndButton = nullptr;       // RadioButton2
    QRadioButton* deleteFromPositionButton = nullptr;  // RadioButton3
    QLineEdit* deletePositionField = nullptr;          // Edit5
    UpDownSpinner* deletePositionSpinner = nullptr;    // UpDown2
    // Inserting a text.
    QCheckBox* insertBox = nullptr;                     // CheckBox9
    SunkenPanel* insertPanel = nullptr;                 // Panel4
    QLabel* insertTextLabel = nullptr;                  // Label10
    QLineEdit* insertTextEdit = nullptr;                // Edit3
    QRadioButton* insertAtStartButton = nullptr;        // RadioButton4
    QRadioButton* insertAtEndButton = nullptr;          // RadioButton5
    QRadioButton* insertAfterPositionButton = nullptr;  // RadioButton6
    QLineEdit* insertPositionField = nullptr;           // Edit7
    UpDownSpinner* insertPositionSpinner = nullptr;     // UpDown3
    // Numbering.
    QCheckBox* numberingBox = nullptr;                  // CheckBox7
    SunkenPanel* numberingPanel = nullptr;              // Panel6
    QLabel* startValueLabel = nullptr;                  // Label12
    QLineEdit* startValueEdit = nullptr;                // Edit8
    QPushButton* directionButton = nullptr;             // Button4
    QRadioButton* numberAtStartButton = nullptr;        // RadioButton7
    QRadioButton* numberAtEndButton = nullptr;          // RadioButton8
    QRadioButton* numberAfterPositionButton = nullptr;  // RadioButton9
    QLineEdit* numberPositionField = nullptr;           // Edit9
    UpDownSpinner* numberPositionSpinner = nullptr;     // UpDown4
    QCheckBox* leadingZerosBox = nullptr;               // CheckBox11
    // Spaces and underscores.
    QCheckBox* spacesBox = nullptr;               // CheckBox2
    SunkenPanel* spacesPanel = nullptr;           // Panel1
    QCheckBox* spacesToUnderscoresBox = nullptr;  // CheckBox5
    QCheckBox* underscoresToSpacesBox = nullptr;  // CheckBox6
    // Letter case.
    QCheckBox* caseBox = nullptr;       // CheckBox1
    SunkenPanel* casePanel = nullptr;   // Panel2
    QCheckBox* lowerCaseBox = nullptr;  // CheckBox3
    QCheckBox* upperCaseBox = nullptr;  // CheckBox4
    // The rest.
    RadioGroup* previewModeGroup = nullptr;    // RadioGroup1: 0 live, 1 when this window closes
    RadioGroup* scopeGroup = nullptr;          // RadioGroup2: 0 name and extension, 1 name, 2 extension
    QCheckBox* reloadAfterApplyBox = nullptr;  // CheckBox13
    // Opens the further rules (ExtraRulesWindow), in the corner no designed control uses.
    QPushButton* moreRulesButton = nullptr;  // MoreRulesButton

    // Every option as the controls hold it now, the numbering direction as the session keeps it.
    kestrix::RenameOptions readOptions() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
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
    void nameForScreenReaders();
    void arrangeTabOrder();
    void storeEveryChange();
    void connectHandlers();

    // Writes the options to the session; refreshPreview() writes them first too.
    void storeOptions();
    void refreshPreview();

    // One handler per control event.
    void replaceToggled();
    void replaceTextChanged();
    void changeExtensionToggled();
    void newExtensionChanged();
    void deleteToggled();
    void deleteCountStepped();
    void deletePositionStepped();
    void deleteModeChosen();
    void insertToggled();
    void insertTextChanged();
    void insertPositionStepped();
    void insertModeChosen();
    void numberingToggled();
    void startValueChanged();
    void directionClicked();
    void numberModeChosen();
    void numberPositionStepped();
    void leadingZerosToggled();
    void spacesToggled();
    void spacesToUnderscoresToggled();
    void underscoresToSpacesToggled();
    void caseToggled();
    void lowerCaseToggled();
    void upperCaseToggled();
    void scopeChosen();
    void showExtraRules();

    // Empties an edit and runs its change handler, even when it was empty already.
    static void EmptyEdit(QLineEdit* edit);

    kestrix::session::Session& session_;
    ExtraRulesWindow* extraRulesWindow_ = nullptr;  // made at its first showing
};
