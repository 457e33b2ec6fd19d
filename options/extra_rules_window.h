#pragma once

#include <QWidget>

#include "engine/extended_options.h"
#include "session/rule_sets.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class RenameOptionsWindow;
class SunkenPanel;

namespace kestrix::session {
class Session;
}

// The further rules ("Reguły dodatkowe"), opened from the options window:
// a regular expression, a name template, letters without diacritics and the
// case of words, each a group switched on by its own box, and the saved rule
// sets, which hold the options of both windows. Every change is written to
// the session's further rules at once and refreshes the preview.
class ExtraRulesWindow : public QWidget {
    Q_OBJECT

public:
    ExtraRulesWindow(kestrix::session::Session& session, RenameOptionsWindow& optionsWindow,
                     QWidget* parent = nullptr);

    // Controls; each carries its object name (in brackets).
    // The regular expression.
    QCheckBox* regexBox = nullptr;              // RegexBox
    SunkenPanel* regexPanel = nullptr;          // RegexPanel
    QLabel* patternLabel = nullptr;             // PatternLabel
    QLineEdit* patternEdit = nullptr;           // PatternEdit
    QLabel* regexReplacementLabel = nullptr;    // RegexReplacementLabel
    QLineEdit* regexReplacementEdit = nullptr;  // RegexReplacementEdit
    QLabel* patternProblemLabel = nullptr;      // PatternProblemLabel
    QCheckBox* regexCaseBox = nullptr;          // RegexCaseBox
    QCheckBox* regexAllBox = nullptr;           // RegexAllBox
    // The name template.
    QCheckBox* templateBox = nullptr;        // TemplateBox
    SunkenPanel* templatePanel = nullptr;    // TemplatePanel
    QLabel* templateLabel = nullptr;         // TemplateLabel
    QLineEdit* templateEdit = nullptr;       // TemplateEdit
    QLabel* templateStartLabel = nullptr;    // TemplateStartLabel
    QLineEdit* templateStartEdit = nullptr;  // TemplateStartEdit
    QLabel* templateProblemLabel = nullptr;  // TemplateProblemLabel
    // Letters.
    QCheckBox* plainLettersBox = nullptr;        // PlainLettersBox
    QCheckBox* wordCaseBox = nullptr;            // WordCaseBox
    SunkenPanel* wordCasePanel = nullptr;        // WordCasePanel
    QRadioButton* firstCapitalButton = nullptr;  // FirstCapitalButton
    QRadioButton* everyWordButton = nullptr;     // EveryWordButton
    // Rule sets.
    QLabel* ruleSetLabel = nullptr;              // RuleSetLabel
    QComboBox* ruleSetCombo = nullptr;           // RuleSetCombo
    QPushButton* saveRuleSetButton = nullptr;    // SaveRuleSetButton
    QPushButton* removeRuleSetButton = nullptr;  // RemoveRuleSetButton
    QLabel* ruleSetMessage = nullptr;            // RuleSetMessage

    // The further rules as the controls hold them now.
    kestrix::ExtendedOptions readOptions() const;

protected:
    // Sets saved meanwhile (by another copy of the program) are listed at each showing.
    void showEvent(QShowEvent* event) override;

private:
    void buildRegexGroup();
    void buildTemplateGroup();
    void buildLetterGroups();
    void buildRuleSetControls();
    void connectHandlers();
    // A group's controls are enabled while its box is ticked.
    void enableGroups();

    // Writes the further rules to the session and shows what cannot be used.
    void storeOptions();
    void refreshPreview();

    // One handler per control event.
    void groupToggled();
    void templateStartChanged();
    void ruleChanged();
    void ruleSetChosen();
    void saveRuleSet();
    void removeRuleSet();

    // Lists the saved sets, `selected` chosen (none when empty), without loading it.
    void listRuleSets(const QString& selected);
    // Sets the controls of both windows to `set`, as the user's clicks would.
    void clickRuleSetIn(const kestrix::session::RuleSet& set);

    kestrix::session::Session& session_;
    RenameOptionsWindow& optionsWindow_;
    kestrix::session::RuleSetStore ruleSets_;
    bool listing_ = false;
};
