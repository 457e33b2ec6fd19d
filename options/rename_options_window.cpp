#include "options/rename_options_window.h"

#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "engine/start_value.h"
#include "options/extra_rules_window.h"
#include "options/radio_group.h"
#include "options/sunken_panel.h"
#include "options/up_down_spinner.h"
#include "session/session.h"
#include "ui/pixel_font.h"

using kestrix::session::PreviewMode;

namespace {

constexpr int ClientWidth = 623;
constexpr int ClientHeight = 390;
const QColor EditColour(242, 255, 245);

// The caption of the spaces-to-underscores box: a quoted space, an arrow and
// a quoted underscore; the other direction swaps the two quoted parts.
const QString SpacesToUnderscoresCaption = QStringLiteral("\"  \"  -->  \"_\"");
const QString UnderscoresToSpacesCaption = QStringLiteral("\"_\"  -->  \"  \"");

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint = {}) {
    auto* box = Named(new QCheckBox(caption, parent), name);
    box->setGeometry(geometry);
    box->setToolTip(hint);
    return box;
}

QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& caption,
                              const QRect& geometry) {
    auto* button = Named(new QRadioButton(caption, parent), name);
    button->setGeometry(geometry);
    return button;
}

// Labels size themselves to their caption.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = Named(new QLabel(caption, parent), name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry, const QString& hint = {}) {
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setGeometry(geometry);
    edit->setToolTip(hint);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, EditColour);
    edit->setPalette(palette);
    return edit;
}

// A spinner's field: shows the position, cannot be typed into, and is
// reached by clicking rather than by the Tab key.
QLineEdit* MakePositionField(QWidget* parent, const char* name, const QRect& geometry, const QString& hint) {
    QLineEdit* edit = MakeEdit(parent, name, geometry, hint);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

UpDownSpinner* MakeSpinner(QWidget* parent, const char* name, QLineEdit* associate, const QRect& geometry) {
    auto* spinner = Named(new UpDownSpinner(associate, parent), name);
    spinner->setGeometry(geometry);
    return spinner;
}

SunkenPanel* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = Named(new SunkenPanel(parent), name);
    panel->setGeometry(geometry);
    return panel;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

}  // namespace

RenameOptionsWindow::RenameOptionsWindow(kestrix::session::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      session_(session) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Opcje zmian nazw plików"));
    setFont(kestrix::ui::DesignedSansFont(11));
    setFixedSize(ClientWidth, ClientHeight);

    buildReplaceGroup();
    buildExtensionGroup();
    buildDeleteGroup();
    buildInsertGroup();
    buildNumberingGroup();
    buildSpacesGroup();
    buildCaseGroup();
    buildOtherControls();
    nameForScreenReaders();
    arrangeTabOrder();
    // Made after the designed controls, so that it comes last in the keyboard order.
    moreRulesButton = Named(new QPushButton(QStringLiteral("Więcej reguł…"), this), "MoreRulesButton");
    moreRulesButton->setGeometry(400, 352, 193, 23);
    moreRulesButton->setToolTip(QStringLiteral(
        "Wyrażenia regularne, szablon nazwy z datą i znacznikami, nazwy bez polskich znaków, wielkie litery "
        "wyrazów i zapisane zestawy reguł"));
    connect(moreRulesButton, &QPushButton::clicked, this, &RenameOptionsWindow::showExtraRules);
    // The session's options follow the controls from the start, every change
    // stored at once whether or not it refreshes the preview.
    storeOptions();
    storeEveryChange();
    connectHandlers();

    // Centred on the screen; the position holds for the first showing.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
}

void RenameOptionsWindow::buildReplaceGroup() {
    replaceBox = MakeCheckBox(
        this, "CheckBox8", QStringLiteral("Zamiana znaków:"), {16, 16, 145, 17},
        QStringLiteral("Zaznacz jeśli chcesz zamienić w nazwie pliku jakiś ciąg znaków na inny"));
    replacePanel = MakePanel(this, "Panel5", {16, 40, 145, 73});
    replaceFromLabel = MakeLabel(replacePanel, "Label11", QStringLiteral("z"), 24, 16);
    replaceToLabel = MakeLabel(replacePanel, "Label4", QStringLiteral("na"), 96, 16);
    replaceFromEdit = MakeEdit(replacePanel, "Edit1", {16, 32, 49, 21});
    replaceToEdit = MakeEdit(replacePanel, "Edit2", {80, 32, 49, 21});
    SetEnabled({replaceFromLabel, replaceToLabel, replaceFromEdit, replaceToEdit}, false);
}

void RenameOptionsWindow::buildExtensionGroup() {
    changeExtensionBox =
        MakeCheckBox(this, "CheckBox12", QStringLiteral("Zmiana rozszerzeń"), {16, 120, 121, 17},
                     QStringLiteral("Opcja pozwala zmienić rozszerzenia wszystkich plików na inne"));
    extensionPanel = MakePanel(this, "Panel7", {16, 144, 145, 73});
    newExtensionLabel = MakeLabel(extensionPanel, "Label1", QStringLiteral("Nowe rozszerzenie : "), 24, 16);
    newExtensionEdit = MakeEdit(extensionPanel, "Edit6", {24, 32, 97, 21});
    SetEnabled({newExtensionLabel, newExtensionEdit}, false);
}

void RenameOptionsWindow::buildDeleteGroup() {
    deleteBox = MakeCheckBox(
        this, "CheckBox10", QStringLiteral("Usuń znaki"), {176, 16, 121, 17},
        QStringLiteral("Zaznacz jeśli chcesz usunąć z nazwy pliku podaną ilość znaków z podanego miejsca"));
    deletePanel = MakePanel(this, "Panel3", {176, 40, 121, 137});
    deleteCountLabel = MakeLabel(deletePanel, "Label6", QStringLiteral("Ile usunąć:"), 32, 8);
    deleteCountField = MakePositionField(deletePanel, "Edit4", {32, 24, 33, 21},
                                         QStringLiteral("Podaj ile znakow usunac z poczatku nazwy pliku"));
    deleteCountSpinner = MakeSpinner(deletePanel, "UpDown1", deleteCountField, {65, 24, 16, 21});
    deleteFromStartButton =
        MakeRadioButton(deletePanel, "RadioButton1", QStringLiteral("Od początku"), {16, 48, 97, 17});
    deleteFromEndButton =
        MakeRadioButton(deletePanel, "RadioButton2", QStringLiteral("Od końca"), {16, 64, 97, 17});
    deleteFromPositionButton =
        MakeRadioButton(deletePanel, "RadioButton3", QStringLiteral("Od znaku nr :"), {16, 80, 97, 17});
    deleteFromStartButton->setChecked(true);
    deletePositionField =
        MakePositionField(deletePanel, "Edit5", {32, 104, 33, 21},
                          QStringLiteral("Podaj, za którym znakiem nazwy pliku zacząć usuwanie"));
    deletePositionSpinner = MakeSpinner(deletePanel, "UpDown2", deletePositionField, {65, 104, 16, 21});
    SetEnabled({deleteCountLabel, deleteCountField, deleteCountSpinner, deleteFromStartButton,
                deleteFromEndButton, deleteFromPositionButton, deletePositionField, deletePositionSpinner},
               false);
}

void RenameOptionsWindow::buildInsertGroup() {
    insertBox =
        MakeCheckBox(this, "CheckBox9", QStringLiteral("Dodaj :"), {312, 16, 121, 17},
                     QStringLiteral("Wybierz jeśli chcesz dodać do początku nazwy plików ciąg znaków"));
    insertPanel = MakePanel(this, "Panel4", {312, 40, 121, 137});
    insertTextLabel = MakeLabel(insertPanel, "Label10", QStringLiteral("Tekst :"), 44, 8);
    insertTextEdit = MakeEdit(insertPanel, "Edit3", {16, 24, 89, 21});
    insertAtStartButton =
        MakeRadioButton(insertPanel, "RadioButton4", QStringLiteral("Na początku"), {16, 48, 97, 17});
    insertAtEndButton =
        MakeRadioButton(insertPanel, "RadioButton5", QStringLiteral("Na końcu"), {16, 64, 97, 17});
    insertAfterPositionButton =
        MakeRadioButton(insertPanel, "RadioButton6", QStringLiteral("Za znakiem nr :"), {16, 80, 97, 17});
    insertAtStartButton->setChecked(true);
    insertPositionField =
        MakePositionField(insertPanel, "Edit7", {32, 104, 33, 21},
                          QStringLiteral("Podaj, za którym znakiem nazwy pliku dodać tekst"));
    insertPositionSpinner = MakeSpinner(insertPanel, "UpDown3", insertPositionField, {65, 104, 16, 21});
    SetEnabled({insertTextLabel, insertTextEdit, insertAtStartButton, insertAtEndButton,
                insertAfterPositionButton, insertPositionField, insertPositionSpinner},
               false);
}

void RenameOptionsWindow::buildNumberingGroup() {
    numberingBox = MakeCheckBox(this, "CheckBox7", QStringLiteral("Numerowanie :"), {448, 16, 145, 17});
    numberingPanel = MakePanel(this, "Panel6", {448, 40, 145, 177});
    startValueLabel = MakeLabel(numberingPanel, "Label12", QStringLiteral("Początkowa wartość :"), 16, 16);
    startValueEdit = MakeEdit(numberingPanel, "Edit8", {32, 32, 25, 21});
    startValueEdit->setText(QStringLiteral("0"));
    directionButton = Named(new QPushButton(QStringLiteral(">"), numberingPanel), "Button4");
    directionButton->setGeometry(64, 32, 25, 21);
    numberAtStartButton =
        MakeRadioButton(numberingPanel, "RadioButton7", QStringLiteral("Na początku"), {24, 64, 105, 17});
    numberAtEndButton =
        MakeRadioButton(numberingPanel, "RadioButton8", QStringLiteral("Na końcu"), {24, 80, 105, 17});
    numberAfterPositionButton =
        MakeRadioButton(numberingPanel, "RadioButton9", QStringLiteral("Za znakiem nr :"), {24, 96, 105, 17});
    numberAtStartButton->setChecked(true);
    numberPositionField =
        MakePositionField(numberingPanel, "Edit9", {40, 120, 33, 21},
                          QStringLiteral("Podaj, za którym znakiem nazwy pliku wstawić numer"));
    numberPositionSpinner = MakeSpinner(numberingPanel, "UpDown4", numberPositionField, {73, 120, 16, 21});
    leadingZerosBox =
        MakeCheckBox(numberingPanel, "CheckBox11", QStringLiteral("Dodawaj zer"), {24, 152, 89, 17});
    SetEnabled({startValueLabel, startValueEdit, directionButton, numberAtStartButton, numberAtEndButton,
                numberAfterPositionButton, numberPositionField, numberPositionSpinner, leadingZerosBox},
               false);
}

void RenameOptionsWindow::buildSpacesGroup() {
    spacesBox =
        MakeCheckBox(this, "CheckBox2", QStringLiteral("Odstępy :"), {176, 272, 105, 17},
                     QStringLiteral("Zaznaczenie pozwoli zamienić odstępy na podkreślniki lub odwrotnie"));
    spacesPanel = MakePanel(this, "Panel1", {176, 296, 201, 49});
    spacesToUnderscoresBox =
        MakeCheckBox(spacesPanel, "CheckBox5", SpacesToUnderscoresCaption, {16, 16, 81, 17});
    underscoresToSpacesBox =
        MakeCheckBox(spacesPanel, "CheckBox6", UnderscoresToSpacesCaption, {104, 16, 81, 17});
    spacesToUnderscoresBox->setChecked(true);
    SetEnabled({spacesToUnderscoresBox, underscoresToSpacesBox}, false);
}

void RenameOptionsWindow::buildCaseGroup() {
    caseBox = MakeCheckBox(
        this, "CheckBox1", QStringLiteral("Zmień nazwy"), {400, 272, 105, 17},
        QStringLiteral("Zaznacz jeśli chcesz zamienić znaki w nazwach plików na małe lub duze litery"));
    casePanel = MakePanel(this, "Panel2", {400, 296, 193, 49});
    lowerCaseBox = MakeCheckBox(casePanel, "CheckBox3", QStringLiteral("na małe"), {16, 16, 81, 17});
    upperCaseBox = MakeCheckBox(casePanel, "CheckBox4", QStringLiteral("na duże"), {104, 16, 81, 17});
    lowerCaseBox->setChecked(true);
    SetEnabled({lowerCaseBox, upperCaseBox}, false);
}

void RenameOptionsWindow::buildOtherControls() {
    previewModeGroup = Named(new RadioGroup(QStringLiteral("Podgląd zmian : "),
                                            {QStringLiteral("Podgląd zmian na bieżąco"),
                                             QStringLiteral("Podgląd zmian po zamknięciu tego okna")},
                                            this),
                             "RadioGroup1");
    previewModeGroup->setGeometry(192, 192, 225, 65);
    previewModeGroup->setItemIndex(0);

    scopeGroup = Named(new RadioGroup(QStringLiteral("Zmiany dotyczą : "),
                                      {QStringLiteral("Nazw i rozszerzeń"), QStringLiteral("Tylko w nazw"),
                                       QStringLiteral("Tylko rozszerzeń")},
                                      this),
                       "RadioGroup2");
    scopeGroup->setGeometry(16, 232, 145, 81);
    scopeGroup->setItemIndex(0);
    for (RadioGroup* group : {previewModeGroup, scopeGroup}) {
        for (int i = 0; i < group->count(); ++i) {
            group->item(i)->setObjectName(group->objectName() + QStringLiteral("Item") + QString::number(i));
        }
    }

    reloadAfterApplyBox =
        MakeCheckBox(this, "CheckBox13",
                     QStringLiteral("Wczytuj zmienione pliki ponownie do programu po zastosowaniu zmian"),
                     {16, 352, 369, 17});
    reloadAfterApplyBox->setChecked(true);
}

// What a screen reader says of the controls whose caption stands beside them
// (or, for the spaces' directions and the numbering direction, is drawn with
// signs); the hints are their descriptions.
void RenameOptionsWindow::nameForScreenReaders() {
    const std::pair<QWidget*, const char*> names[] = {
        {replacePanel, "Zamiana znaków"},
        {replaceFromEdit, "Zamiana znaków z"},
        {replaceToEdit, "Zamiana znaków na"},
        {extensionPanel, "Zmiana rozszerzeń"},
        {newExtensionEdit, "Nowe rozszerzenie"},
        {deletePanel, "Usuń znaki"},
        {deleteCountField, "Ile usunąć"},
        {deleteCountSpinner, "Ile usunąć"},
        {deletePositionField, "Usuń od znaku nr"},
        {deletePositionSpinner, "Usuń od znaku nr"},
        {insertPanel, "Dodaj"},
        {insertTextEdit, "Tekst do dodania"},
        {insertPositionField, "Dodaj za znakiem nr"},
        {insertPositionSpinner, "Dodaj za znakiem nr"},
        {numberingPanel, "Numerowanie"},
        {startValueEdit, "Początkowa wartość"},
        {directionButton, "Kierunek numerowania"},
        {numberPositionField, "Numer za znakiem nr"},
        {numberPositionSpinner, "Numer za znakiem nr"},
        {spacesPanel, "Odstępy"},
        {spacesToUnderscoresBox, "Odstępy na podkreślniki"},
        {underscoresToSpacesBox, "Podkreślniki na odstępy"},
        {casePanel, "Wielkość liter"},
    };
    for (const auto& [widget, name] : names) widget->setAccessibleName(QString::fromUtf8(name));
    directionButton->setAccessibleDescription(QStringLiteral("rosnąco"));
}

void RenameOptionsWindow::arrangeTabOrder() {
    const std::initializer_list<QWidget*> order = {caseBox,
                                                   lowerCaseBox,
                                                   upperCaseBox,
                                                   deleteBox,
                                                   deleteCountField,
                                                   deleteCountSpinner,
                                                   deletePositionField,
                                                   deletePositionSpinner,
                                                   deleteFromStartButton,
                                                   deleteFromEndButton,
                                                   deleteFromPositionButton,
                                                   insertBox,
                                                   insertTextEdit,
                                                   insertPositionField,
                                                   insertPositionSpinner,
                                                   insertAtStartButton,
                                                   insertAtEndButton,
                                                   insertAfterPositionButton,
                                                   spacesBox,
                                                   spacesToUnderscoresBox,
                                                   underscoresToSpacesBox,
                                                   replaceBox,
                                                   replaceFromEdit,
                                                   replaceToEdit,
                                                   numberingBox,
                                                   startValueEdit,
                                                   numberPositionField,
                                                   numberPositionSpinner,
                                                   directionButton,
                                                   leadingZerosBox,
                                                   numberAtStartButton,
                                                   numberAtEndButton,
                                                   numberAfterPositionButton,
                                                   previewModeGroup->item(0),
                                                   previewModeGroup->item(1),
                                                   scopeGroup->item(0),
                                                   scopeGroup->item(1),
                                                   scopeGroup->item(2),
                                                   changeExtensionBox,
                                                   newExtensionEdit,
                                                   reloadAfterApplyBox};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (!(widget->focusPolicy() & Qt::TabFocus)) continue;
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

kestrix::RenameOptions RenameOptionsWindow::readOptions() const {
    auto text = [](const QLineEdit* edit) { return edit->text().toStdString(); };
    kestrix::RenameOptions options;
    options.ChangeExtension = changeExtensionBox->isChecked();
    options.NewExtension = text(newExtensionEdit);
    options.Scope = scopeGroup->itemIndex();

    options.ReplaceEnabled = replaceBox->isChecked();
    options.ReplaceFrom = text(replaceFromEdit);
    options.ReplaceTo = text(replaceToEdit);

    options.DeleteEnabled = deleteBox->isChecked();
    options.DeleteCount = deleteCountField->text().toInt();
    options.DeleteMode = deleteFromStartButton->isChecked() ? kestrix::DeleteMode::FromStart
                         : deleteFromEndButton->isChecked() ? kestrix::DeleteMode::FromEnd
                                                            : kestrix::DeleteMode::FromPosition;
    options.DeletePosition = deletePositionField->text().toInt();

    options.InsertEnabled = insertBox->isChecked();
    options.InsertText = text(insertTextEdit);
    options.InsertMode = insertAtStartButton->isChecked() ? kestrix::PlaceMode::AtStart
                         : insertAtEndButton->isChecked() ? kestrix::PlaceMode::AtEnd
                                                          : kestrix::PlaceMode::AfterPosition;
    options.InsertPosition = insertPositionField->text().toInt();

    options.CaseEnabled = caseBox->isChecked();
    options.CaseToLower = lowerCaseBox->isChecked();

    options.SpacesEnabled = spacesBox->isChecked();
    options.SpacesToUnderscores = spacesToUnderscoresBox->isChecked();

    options.NumberEnabled = numberingBox->isChecked();
    options.NumberStart = text(startValueEdit);
    options.NumberAscending = session_.numberAscending();
    options.NumberLeadingZeros = leadingZerosBox->isChecked();
    options.NumberMode = numberAtStartButton->isChecked() ? kestrix::PlaceMode::AtStart
                         : numberAtEndButton->isChecked() ? kestrix::PlaceMode::AtEnd
                                                          : kestrix::PlaceMode::AfterPosition;
    options.NumberPosition = numberPositionSpinner->position();
    return options;
}

void RenameOptionsWindow::storeOptions() {
    session_.setOptions(readOptions());
    session_.setPreviewMode(previewModeGroup->itemIndex() == 1 ? PreviewMode::OnClose : PreviewMode::Live);
    session_.setReloadAfterApply(reloadAfterApplyBox->isChecked());
}

void RenameOptionsWindow::refreshPreview() {
    storeOptions();
    session_.refreshPreview();
}

void RenameOptionsWindow::storeEveryChange() {
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (button->isCheckable())
            connect(button, &QAbstractButton::toggled, this, &RenameOptionsWindow::storeOptions);
    }
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::textChanged, this, &RenameOptionsWindow::storeOptions);
    }
}

void RenameOptionsWindow::connectHandlers() {
    // A box's or radio button's handler runs whenever its state changes, from
    // the user or from code; a radio button's only when it becomes selected.
    auto onToggle = [this](QAbstractButton* button, void (RenameOptionsWindow::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, handler);
    };
    auto onSelect = [this](QRadioButton* button, void (RenameOptionsWindow::*handler)()) {
        connect(button, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected) (this->*handler)();
        });
    };
    auto onChange = [this](QLineEdit* edit, void (RenameOptionsWindow::*handler)()) {
        connect(edit, &QLineEdit::textChanged, this, handler);
    };
    auto onStep = [this](UpDownSpinner* spinner, void (RenameOptionsWindow::*handler)()) {
        connect(spinner, &UpDownSpinner::clicked, this, handler);
    };

    onToggle(replaceBox, &RenameOptionsWindow::replaceToggled);
    onChange(replaceFromEdit, &RenameOptionsWindow::replaceTextChanged);
    onChange(replaceToEdit, &RenameOptionsWindow::replaceTextChanged);
    onToggle(changeExtensionBox, &RenameOptionsWindow::changeExtensionToggled);
    onChange(newExtensionEdit, &RenameOptionsWindow::newExtensionChanged);
    onToggle(deleteBox, &RenameOptionsWindow::deleteToggled);
    onStep(deleteCountSpinner, &RenameOptionsWindow::deleteCountStepped);
    onStep(deletePositionSpinner, &RenameOptionsWindow::deletePositionStepped);
    for (QRadioButton* button : {deleteFromStartButton, deleteFromEndButton, deleteFromPositionButton})
        onSelect(button, &RenameOptionsWindow::deleteModeChosen);
    onToggle(insertBox, &RenameOptionsWindow::insertToggled);
    onChange(insertTextEdit, &RenameOptionsWindow::insertTextChanged);
    onStep(insertPositionSpinner, &RenameOptionsWindow::insertPositionStepped);
    for (QRadioButton* button : {insertAtStartButton, insertAtEndButton, insertAfterPositionButton})
        onSelect(button, &RenameOptionsWindow::insertModeChosen);
    onToggle(numberingBox, &RenameOptionsWindow::numberingToggled);
    onChange(startValueEdit, &RenameOptionsWindow::startValueChanged);
    connect(directionButton, &QPushButton::clicked, this, &RenameOptionsWindow::directionClicked);
    for (QRadioButton* button : {numberAtStartButton, numberAtEndButton, numberAfterPositionButton})
        onSelect(button, &RenameOptionsWindow::numberModeChosen);
    onStep(numberPositionSpinner, &RenameOptionsWindow::numberPositionStepped);
    onToggle(leadingZerosBox, &RenameOptionsWindow::leadingZerosToggled);
    onToggle(spacesBox, &RenameOptionsWindow::spacesToggled);
    onToggle(spacesToUnderscoresBox, &RenameOptionsWindow::spacesToUnderscoresToggled);
    onToggle(underscoresToSpacesBox, &RenameOptionsWindow::underscoresToSpacesToggled);
    onToggle(caseBox, &RenameOptionsWindow::caseToggled);
    onToggle(lowerCaseBox, &RenameOptionsWindow::lowerCaseToggled);
    onToggle(upperCaseBox, &RenameOptionsWindow::upperCaseToggled);
    connect(scopeGroup, &RadioGroup::itemClicked, this, &RenameOptionsWindow::scopeChosen);
    // The preview mode and the reload choice have no handler: they are only stored.
}

void RenameOptionsWindow::EmptyEdit(QLineEdit* edit) {
    // clear() on an empty edit changes nothing and so signals nothing, yet
    // emptying a field always counts as a change for its handler.
    if (edit->text().isEmpty()) {
        emit edit->textChanged(QString());
    } else {
        edit->clear();
    }
}

void RenameOptionsWindow::replaceToggled() {
    const std::initializer_list<QWidget*> group = {replaceFromEdit, replaceToEdit, replaceToLabel,
                                                   replaceFromLabel};
    if (replaceBox->isChecked()) {
        SetEnabled(group, true);
    } else {
        EmptyEdit(replaceFromEdit);
        EmptyEdit(replaceToEdit);
        SetEnabled(group, false);
    }
}

void RenameOptionsWindow::replaceTextChanged() { refreshPreview(); }

void RenameOptionsWindow::changeExtensionToggled() {
    SetEnabled({newExtensionLabel, newExtensionEdit}, changeExtensionBox->isChecked());
    refreshPreview();
}

void RenameOptionsWindow::newExtensionChanged() { refreshPreview(); }

void RenameOptionsWindow::deleteToggled() {
    if (deleteBox->isChecked()) {
        SetEnabled({deleteCountLabel, deleteCountField, deleteCountSpinner}, true);
        SetEnabled({deletePositionField, deletePositionSpinner}, deleteFromPositionButton->isChecked());
        SetEnabled({deleteFromStartButton, deleteFromEndButton, deleteFromPositionButton}, true);
        return;
    }
    SetEnabled({deleteCountLabel, deleteCountField, deletePositionField}, false);
    deleteCountSpinner->setPosition(0);
    deletePositionSpinner->setPosition(0);
    deleteCountField->setText(QStringLiteral("0"));
    deletePositionField->setText(QStringLiteral("0"));
    SetEnabled({deleteCountSpinner, deletePositionSpinner, deleteFromStartButton, deleteFromEndButton,
                deleteFromPositionButton},
               false);
    refreshPreview();
}

void RenameOptionsWindow::deleteCountStepped() {
    deleteCountField->setText(QString::number(deleteCountSpinner->position()));
    refreshPreview();
}

// Where the deletion starts matters only once something is deleted.
void RenameOptionsWindow::deletePositionStepped() {
    deletePositionField->setText(QString::number(deletePositionSpinner->position()));
    if (deleteCountSpinner->position() > 0) refreshPreview();
}

void RenameOptionsWindow::deleteModeChosen() {
    SetEnabled({deletePositionField, deletePositionSpinner}, deleteFromPositionButton->isChecked());
    if (deleteCountSpinner->position() > 0) refreshPreview();
}

void RenameOptionsWindow::insertToggled() {
    if (insertBox->isChecked()) {
        SetEnabled({insertTextLabel, insertTextEdit}, true);
        SetEnabled({insertPositionField, insertPositionSpinner}, insertAfterPositionButton->isChecked());
        SetEnabled({insertAtStartButton, insertAtEndButton, insertAfterPositionButton}, true);
        return;
    }
    EmptyEdit(insertTextEdit);
    SetEnabled({insertTextEdit, insertPositionField, insertPositionSpinner, insertTextLabel}, false);
    insertPositionSpinner->setPosition(0);
    insertPositionField->setText(QStringLiteral("0"));
    SetEnabled({insertAtStartButton, insertAtEndButton, insertAfterPositionButton}, false);
    refreshPreview();
}

void RenameOptionsWindow::insertTextChanged() { refreshPreview(); }

// Where the text goes matters only once there is a text.
void RenameOptionsWindow::insertPositionStepped() {
    insertPositionField->setText(QString::number(insertPositionSpinner->position()));
    if (!insertTextEdit->text().isEmpty()) refreshPreview();
}

void RenameOptionsWindow::insertModeChosen() {
    SetEnabled({insertPositionField, insertPositionSpinner}, insertAfterPositionButton->isChecked());
    if (!insertTextEdit->text().isEmpty()) refreshPreview();
}

void RenameOptionsWindow::numberingToggled() {
    const bool on = numberingBox->isChecked();
    SetEnabled({startValueEdit, startValueLabel, directionButton, numberAtStartButton, numberAtEndButton,
                numberAfterPositionButton},
               on);
    SetEnabled({numberPositionField, numberPositionSpinner}, numberAfterPositionButton->isChecked());
    leadingZerosBox->setEnabled(on);
    if (!on) SetEnabled({numberPositionField, numberPositionSpinner}, false);
    refreshPreview();
}

// The start value is always empty or a number that converts: any other text
// is replaced at once by the start of the current direction.
void RenameOptionsWindow::startValueChanged() {
    const QString text = startValueEdit->text();
    if (!text.isEmpty() && !kestrix::ParseStartValue(text.toStdString())) {
        startValueEdit->setText(session_.numberAscending() ? QStringLiteral("0")
                                                           : QString::number(session_.entryCount()));
    }
    refreshPreview();
}

// Counting down starts from the entry count, counting up from 0.
void RenameOptionsWindow::directionClicked() {
    if (session_.numberAscending()) {
        directionButton->setText(QStringLiteral("<"));
        directionButton->setAccessibleDescription(QStringLiteral("malejąco"));
        startValueEdit->setText(QString::number(session_.entryCount()));
        session_.setNumberAscending(false);
    } else {
        directionButton->setText(QStringLiteral(">"));
        directionButton->setAccessibleDescription(QStringLiteral("rosnąco"));
        startValueEdit->setText(QStringLiteral("0"));
        session_.setNumberAscending(true);
    }
    refreshPreview();
}

// Where the number goes matters only while there is a start value.
void RenameOptionsWindow::numberModeChosen() {
    SetEnabled({numberPositionField, numberPositionSpinner}, numberAfterPositionButton->isChecked());
    if (!startValueEdit->text().isEmpty()) refreshPreview();
}

void RenameOptionsWindow::numberPositionStepped() {
    numberPositionField->setText(QString::number(numberPositionSpinner->position()));
    refreshPreview();
}

void RenameOptionsWindow::leadingZerosToggled() { refreshPreview(); }

void RenameOptionsWindow::spacesToggled() {
    SetEnabled({spacesToUnderscoresBox, underscoresToSpacesBox}, spacesBox->isChecked());
    refreshPreview();
}

// The two directions are exclusive: ticking or unticking either flips the other.
void RenameOptionsWindow::spacesToUnderscoresToggled() {
    underscoresToSpacesBox->setChecked(!spacesToUnderscoresBox->isChecked());
    refreshPreview();
}

void RenameOptionsWindow::underscoresToSpacesToggled() {
    spacesToUnderscoresBox->setChecked(!underscoresToSpacesBox->isChecked());
    refreshPreview();
}

void RenameOptionsWindow::caseToggled() {
    SetEnabled({lowerCaseBox, upperCaseBox}, caseBox->isChecked());
    refreshPreview();
}

void RenameOptionsWindow::lowerCaseToggled() {
    upperCaseBox->setChecked(!lowerCaseBox->isChecked());
    refreshPreview();
}

void RenameOptionsWindow::upperCaseToggled() {
    lowerCaseBox->setChecked(!upperCaseBox->isChecked());
    refreshPreview();
}

// In the on-close preview mode a new scope waits for the window to close.
void RenameOptionsWindow::scopeChosen() {
    if (previewModeGroup->itemIndex() == 0) refreshPreview();
}

// Escape closes the window as its close button does.
void RenameOptionsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RenameOptionsWindow::showExtraRules() {
    if (!extraRulesWindow_) extraRulesWindow_ = new ExtraRulesWindow(session_, *this, this);
    extraRulesWindow_->show();
    extraRulesWindow_->raise();
    extraRulesWindow_->activateWindow();
}

void RenameOptionsWindow::closeEvent(QCloseEvent* event) {
    session_.optionsWindowClosed();
    event->accept();  // closing only hides the window
}
