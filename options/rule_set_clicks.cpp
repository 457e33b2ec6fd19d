#include "options/rule_set_clicks.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "options/radio_group.h"
#include "options/rename_options_window.h"
#include "options/up_down_spinner.h"
#include "session/session.h"

namespace {

using kestrix::DeleteMode;
using kestrix::PlaceMode;

// Brings a spinner to `target` as the user's last step would: the handler
// runs once, with the final position. A disabled spinner takes no step.
void StepTo(UpDownSpinner* spinner, int target) {
    if (spinner->position() == target || !spinner->isEnabled()) return;
    const bool up = target > spinner->position() || target == UpDownSpinner::Maximum;
    spinner->setPosition(up ? target - 1 : target + 1);
    spinner->userStep(up ? 1 : -1);
}

void Select(QRadioButton* atStart, QRadioButton* atEnd, QRadioButton* afterPosition, int choice) {
    (choice == 0 ? atStart : choice == 1 ? atEnd : afterPosition)->setChecked(true);
}

}  // namespace

void ClickRuleSetInto(RenameOptionsWindow& w, kestrix::session::Session& session,
                      const kestrix::session::RuleSet& set) {
    const kestrix::RenameOptions& o = set.options;
    // Live while the set is clicked in, so that each click is seen as it would be.
    w.previewModeGroup->setItemIndex(0);
    w.scopeGroup->setItemIndex(o.Scope);

    w.changeExtensionBox->setChecked(true);
    w.newExtensionEdit->setText(QString::fromStdString(o.NewExtension));
    w.changeExtensionBox->setChecked(o.ChangeExtension);

    w.replaceBox->setChecked(o.ReplaceEnabled);
    if (o.ReplaceEnabled) {
        w.replaceFromEdit->setText(QString::fromStdString(o.ReplaceFrom));
        w.replaceToEdit->setText(QString::fromStdString(o.ReplaceTo));
    }

    w.deleteBox->setChecked(o.DeleteEnabled);
    if (o.DeleteEnabled) {
        w.deleteFromPositionButton->setChecked(true);
        StepTo(w.deletePositionSpinner, o.DeletePosition);
        Select(w.deleteFromStartButton, w.deleteFromEndButton, w.deleteFromPositionButton,
               static_cast<int>(o.DeleteMode));
        StepTo(w.deleteCountSpinner, o.DeleteCount);
    } else {
        Select(w.deleteFromStartButton, w.deleteFromEndButton, w.deleteFromPositionButton,
               static_cast<int>(o.DeleteMode));
    }

    w.insertBox->setChecked(o.InsertEnabled);
    if (o.InsertEnabled) {
        w.insertAfterPositionButton->setChecked(true);
        StepTo(w.insertPositionSpinner, o.InsertPosition);
        Select(w.insertAtStartButton, w.insertAtEndButton, w.insertAfterPositionButton,
               static_cast<int>(o.InsertMode));
        w.insertTextEdit->setText(QString::fromStdString(o.InsertText));
    } else {
        Select(w.insertAtStartButton, w.insertAtEndButton, w.insertAfterPositionButton,
               static_cast<int>(o.InsertMode));
    }

    // The direction button and the start value answer only while numbering is on.
    w.numberingBox->setChecked(true);
    if (session.numberAscending() != o.NumberAscending) w.directionButton->click();
    w.startValueEdit->setText(QString::fromStdString(o.NumberStart));
    w.numberAfterPositionButton->setChecked(true);
    StepTo(w.numberPositionSpinner, o.NumberPosition);
    Select(w.numberAtStartButton, w.numberAtEndButton, w.numberAfterPositionButton,
           static_cast<int>(o.NumberMode));
    w.leadingZerosBox->setChecked(o.NumberLeadingZeros);
    w.numberingBox->setChecked(o.NumberEnabled);

    w.spacesBox->setChecked(true);
    w.spacesToUnderscoresBox->setChecked(o.SpacesToUnderscores);
    w.spacesBox->setChecked(o.SpacesEnabled);

    w.caseBox->setChecked(true);
    w.lowerCaseBox->setChecked(o.CaseToLower);
    w.caseBox->setChecked(o.CaseEnabled);

    w.reloadAfterApplyBox->setChecked(set.reloadAfterApply);
    w.previewModeGroup->setItemIndex(set.previewOnClose ? 1 : 0);
}
