#include "options/extra_rules_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "options/rename_options_window.h"
#include "options/rule_set_clicks.h"
#include "options/sunken_panel.h"
#include "session/session.h"
#include "ui/dialogs.h"
#include "ui/pixel_font.h"

using kestrix::session::RuleSet;

namespace {

constexpr int ClientWidth = 401;
constexpr int ClientHeight = 468;
const QColor EditColour(242, 255, 245);
const QColor ProblemColour(192, 0, 0);
const QString RuleSetCaption = QStringLiteral("Zestaw reguł");

const QString TemplateHint = QStringLiteral(
    "Znaczniki: [nazwa] – nazwa po wcześniejszych regułach, [nr] lub [nr:3] – kolejny numer (co najmniej 3 "
    "cyfry), [data] lub [data:RRRR-MM-DD_GG-mm-ss] – data wykonania zdjęcia, [zmod:RRRR-MM-DD] – data "
    "modyfikacji, [folder], [aparat], [wykonawca], [tytuł], [album], [utwór], [rok]; [[ i ]] to nawiasy");

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

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = Named(new QLabel(caption, parent), name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A label of two lines at most, in red, saying why a text cannot be used.
QLabel* MakeProblemLabel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* label = Named(new QLabel(parent), name);
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ProblemColour);
    label->setPalette(palette);
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

SunkenPanel* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = Named(new SunkenPanel(parent), name);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setGeometry(geometry);
    return button;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

}  // namespace

ExtraRulesWindow::ExtraRulesWindow(kestrix::session::Session& session, RenameOptionsWindow& optionsWindow,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      session_(session),
      optionsWindow_(optionsWindow) {
    setObjectName(QStringLiteral("ExtraRulesForm"));
    setWindowTitle(QStringLiteral("Reguły dodatkowe"));
    setFont(kestrix::ui::DesignedSansFont(11));
    setFixedSize(ClientWidth, ClientHeight);

    buildRegexGroup();
    buildTemplateGroup();
    buildLetterGroups();
    buildRuleSetControls();
    // The controls start as the session's further rules stand.
    const kestrix::ExtendedOptions& options = session_.extendedOptions();
    patternEdit->setText(QString::fromStdString(options.RegexPattern));
    regexReplacementEdit->setText(QString::fromStdString(options.RegexReplacement));
    regexCaseBox->setChecked(options.RegexCaseSensitive);
    regexAllBox->setChecked(options.RegexAllOccurrences);
    regexBox->setChecked(options.RegexEnabled);
    templateEdit->setText(QString::fromStdString(options.Template));
    templateStartEdit->setText(QString::number(options.TemplateStart));
    templateBox->setChecked(options.TemplateEnabled);
    plainLettersBox->setChecked(options.PlainLetters);
    (options.WordCase == kestrix::WordCase::FirstCapital ? firstCapitalButton : everyWordButton)
        ->setChecked(true);
    wordCaseBox->setChecked(options.WordCaseEnabled);
    enableGroups();
    storeOptions();
    listRuleSets({});
    connectHandlers();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
}

void ExtraRulesWindow::buildRegexGroup() {
    regexBox =
        MakeCheckBox(this, "RegexBox", QStringLiteral("Wyrażenie regularne:"), {16, 16, 185, 17},
                     QStringLiteral("Zaznacz jeśli chcesz zmienić nazwy według wyrażenia regularnego"));
    regexPanel = MakePanel(this, "RegexPanel", {16, 40, 369, 121});
    patternLabel = MakeLabel(regexPanel, "PatternLabel", QStringLiteral("Wzorzec :"), 16, 8);
    patternEdit = MakeEdit(regexPanel, "PatternEdit", {16, 24, 161, 21},
                           QStringLiteral("Wyrażenie regularne, np. (\\d+); \\w i \\b znają polskie litery"));
    regexReplacementLabel =
        MakeLabel(regexPanel, "RegexReplacementLabel", QStringLiteral("Zamień na :"), 192, 8);
    regexReplacementEdit =
        MakeEdit(regexPanel, "RegexReplacementEdit", {192, 24, 161, 21},
                 QStringLiteral("$1 do $9 – znalezione grupy, ${nazwa} – grupa o nazwie, $$ – znak $"));
    patternProblemLabel = MakeProblemLabel(regexPanel, "PatternProblemLabel", {16, 50, 337, 30});
    regexCaseBox = MakeCheckBox(regexPanel, "RegexCaseBox", QStringLiteral("Uwzględniaj wielkość liter"),
                                {16, 88, 169, 17});
    regexAllBox =
        MakeCheckBox(regexPanel, "RegexAllBox", QStringLiteral("Wszystkie wystąpienia"), {192, 88, 161, 17},
                     QStringLiteral("Bez zaznaczenia zmienia się tylko pierwsze wystąpienie"));
}

void ExtraRulesWindow::buildTemplateGroup() {
    templateBox =
        MakeCheckBox(this, "TemplateBox", QStringLiteral("Szablon nazwy:"), {16, 176, 185, 17},
                     QStringLiteral("Zaznacz jeśli chcesz zbudować nazwy z szablonu ze znacznikami"));
    templatePanel = MakePanel(this, "TemplatePanel", {16, 200, 369, 97});
    templateLabel = MakeLabel(templatePanel, "TemplateLabel", QStringLiteral("Szablon :"), 16, 8);
    templateEdit = MakeEdit(templatePanel, "TemplateEdit", {16, 24, 249, 21}, TemplateHint);
    templateStartLabel = MakeLabel(templatePanel, "TemplateStartLabel", QStringLiteral("[nr] od :"), 280, 8);
    templateStartEdit = MakeEdit(templatePanel, "TemplateStartEdit", {280, 24, 73, 21},
                                 QStringLiteral("Numer, który otrzyma pierwszy element listy"));
    templateStartEdit->setValidator(
        new QIntValidator(0, kestrix::ExtendedOptions::MaxTemplateStart, templateStartEdit));
    templateProblemLabel = MakeProblemLabel(templatePanel, "TemplateProblemLabel", {16, 52, 337, 30});
}

void ExtraRulesWindow::buildLetterGroups() {
    plainLettersBox = MakeCheckBox(
        this, "PlainLettersBox", QStringLiteral("Bez polskich znaków"), {16, 312, 169, 17},
        QStringLiteral("Zaznacz jeśli chcesz zamienić ą, ć, ę, ł, ń, ó, ś, ź, ż i inne litery ze znakami "
                       "diakrytycznymi na litery bez nich"));
    wordCaseBox =
        MakeCheckBox(this, "WordCaseBox", QStringLiteral("Wielkość liter wyrazów:"), {200, 312, 185, 17},
                     QStringLiteral("Zaznacz jeśli chcesz zacząć nazwę lub każdy wyraz wielką literą"));
    wordCasePanel = MakePanel(this, "WordCasePanel", {200, 336, 185, 49});
    firstCapitalButton =
        Named(new QRadioButton(QStringLiteral("Pierwsza wielka"), wordCasePanel), "FirstCapitalButton");
    firstCapitalButton->setGeometry(16, 8, 161, 17);
    everyWordButton =
        Named(new QRadioButton(QStringLiteral("Każdy Wyraz Wielką"), wordCasePanel), "EveryWordButton");
    everyWordButton->setGeometry(16, 24, 161, 17);
}

void ExtraRulesWindow::buildRuleSetControls() {
    ruleSetLabel = MakeLabel(this, "RuleSetLabel", QStringLiteral("Zestaw reguł :"), 16, 404);
    ruleSetCombo = Named(new QComboBox(this), "RuleSetCombo");
    ruleSetCombo->setGeometry(96, 400, 129, 21);
    ruleSetCombo->setPlaceholderText(QStringLiteral("(wybierz)"));
    ruleSetCombo->setToolTip(
        QStringLiteral("Wybrany zestaw ustawia opcje obu okien tak, jak ustawiłyby je kliknięcia"));
    saveRuleSetButton =
        MakeButton(this, "SaveRuleSetButton", QStringLiteral("Zapisz jako…"), {232, 400, 89, 23});
    saveRuleSetButton->setToolTip(QStringLiteral("Zapisuje opcje obu okien jako zestaw o podanej nazwie"));
    removeRuleSetButton = MakeButton(this, "RemoveRuleSetButton", QStringLiteral("Usuń"), {328, 400, 57, 23});
    removeRuleSetButton->setToolTip(QStringLiteral("Usuwa wybrany zestaw"));
    ruleSetMessage = Named(new QLabel(this), "RuleSetMessage");
    ruleSetMessage->setGeometry(16, 428, 369, 32);
    ruleSetMessage->setWordWrap(true);
    ruleSetMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ExtraRulesWindow::connectHandlers() {
    for (QCheckBox* box : {regexBox, templateBox, wordCaseBox})
        connect(box, &QCheckBox::toggled, this, &ExtraRulesWindow::groupToggled);
    connect(templateStartEdit, &QLineEdit::textChanged, this, &ExtraRulesWindow::templateStartChanged);
    for (QLineEdit* edit : {patternEdit, regexReplacementEdit, templateEdit})
        connect(edit, &QLineEdit::textChanged, this, &ExtraRulesWindow::ruleChanged);
    for (QCheckBox* box : {regexCaseBox, regexAllBox, plainLettersBox})
        connect(box, &QCheckBox::toggled, this, &ExtraRulesWindow::ruleChanged);
    // Of the two word cases the one that becomes chosen tells.
    for (QRadioButton* button : {firstCapitalButton, everyWordButton}) {
        connect(button, &QRadioButton::toggled, this, [this](bool chosen) {
            if (chosen) ruleChanged();
        });
    }
    connect(ruleSetCombo, &QComboBox::currentIndexChanged, this, &ExtraRulesWindow::ruleSetChosen);
    connect(saveRuleSetButton, &QPushButton::clicked, this, &ExtraRulesWindow::saveRuleSet);
    connect(removeRuleSetButton, &QPushButton::clicked, this, &ExtraRulesWindow::removeRuleSet);
}

kestrix::ExtendedOptions ExtraRulesWindow::readOptions() const {
    kestrix::ExtendedOptions options = session_.extendedOptions();
    options.RegexEnabled = regexBox->isChecked();
    options.RegexPattern = patternEdit->text().toStdString();
    options.RegexReplacement = regexReplacementEdit->text().toStdString();
    options.RegexCaseSensitive = regexCaseBox->isChecked();
    options.RegexAllOccurrences = regexAllBox->isChecked();
    options.TemplateEnabled = templateBox->isChecked();
    options.Template = templateEdit->text().toStdString();
    // A start value being typed over keeps the last whole number.
    bool converts = false;
    const int start = templateStartEdit->text().toInt(&converts);
    if (converts && start >= 0 && start <= kestrix::ExtendedOptions::MaxTemplateStart)
        options.TemplateStart = start;
    options.PlainLetters = plainLettersBox->isChecked();
    options.WordCaseEnabled = wordCaseBox->isChecked();
    options.WordCase =
        everyWordButton->isChecked() ? kestrix::WordCase::EveryWord : kestrix::WordCase::FirstCapital;
    return options;
}

void ExtraRulesWindow::storeOptions() {
    session_.setExtendedOptions(readOptions());
    patternProblemLabel->setText(regexBox->isChecked() ? session_.regexProblem() : QString());
    templateProblemLabel->setText(templateBox->isChecked() ? session_.templateProblem() : QString());
}

void ExtraRulesWindow::refreshPreview() {
    storeOptions();
    session_.refreshPreview();
}

void ExtraRulesWindow::enableGroups() {
    SetEnabled(
        {patternLabel, patternEdit, regexReplacementLabel, regexReplacementEdit, regexCaseBox, regexAllBox},
        regexBox->isChecked());
    SetEnabled({templateLabel, templateEdit, templateStartLabel, templateStartEdit},
               templateBox->isChecked());
    SetEnabled({firstCapitalButton, everyWordButton}, wordCaseBox->isChecked());
}

// A group switched off keeps its texts and choices for when it is on again.
void ExtraRulesWindow::groupToggled() {
    enableGroups();
    refreshPreview();
}

void ExtraRulesWindow::templateStartChanged() {
    if (templateStartEdit->hasAcceptableInput()) refreshPreview();
}

void ExtraRulesWindow::ruleChanged() { refreshPreview(); }

void ExtraRulesWindow::showEvent(QShowEvent* event) {
    listRuleSets(ruleSetCombo->currentText());
    QWidget::showEvent(event);
}

void ExtraRulesWindow::listRuleSets(const QString& selected) {
    listing_ = true;
    ruleSetCombo->clear();
    ruleSetCombo->addItems(ruleSets_.names());
    ruleSetCombo->setCurrentIndex(ruleSetCombo->findText(selected));
    removeRuleSetButton->setEnabled(ruleSetCombo->currentIndex() >= 0);
    listing_ = false;
}

void ExtraRulesWindow::ruleSetChosen() {
    removeRuleSetButton->setEnabled(ruleSetCombo->currentIndex() >= 0);
    if (listing_ || ruleSetCombo->currentIndex() < 0) return;
    const QString name = ruleSetCombo->currentText();
    const kestrix::session::RuleSetStore::Loaded loaded = ruleSets_.load(name);
    if (!loaded.found) {
        ruleSetMessage->setText(QStringLiteral("Zestawu \"%1\" już nie ma.").arg(name));
        listRuleSets({});
        return;
    }
    clickRuleSetIn(loaded.set);
    ruleSetMessage->setText(loaded.skipped.isEmpty()
                                ? QStringLiteral("Wczytano zestaw \"%1\".").arg(name)
                                : QStringLiteral("Wczytano zestaw \"%1\"; pominięto: %2.")
                                      .arg(name, loaded.skipped.join(QStringLiteral(", "))));
    ruleSetMessage->setToolTip(ruleSetMessage->text());
}

void ExtraRulesWindow::clickRuleSetIn(const RuleSet& set) {
    ClickRuleSetInto(optionsWindow_, session_, set);
    const kestrix::ExtendedOptions& options = set.extended;
    // Each group on while its own controls are set, then as the set has it.
    regexBox->setChecked(true);
    patternEdit->setText(QString::fromStdString(options.RegexPattern));
    regexReplacementEdit->setText(QString::fromStdString(options.RegexReplacement));
    regexCaseBox->setChecked(options.RegexCaseSensitive);
    regexAllBox->setChecked(options.RegexAllOccurrences);
    regexBox->setChecked(options.RegexEnabled);
    templateBox->setChecked(true);
    templateEdit->setText(QString::fromStdString(options.Template));
    templateStartEdit->setText(QString::number(options.TemplateStart));
    templateBox->setChecked(options.TemplateEnabled);
    plainLettersBox->setChecked(options.PlainLetters);
    wordCaseBox->setChecked(true);
    (options.WordCase == kestrix::WordCase::FirstCapital ? firstCapitalButton : everyWordButton)
        ->setChecked(true);
    wordCaseBox->setChecked(options.WordCaseEnabled);
}

void ExtraRulesWindow::saveRuleSet() {
    const std::optional<QString> name = kestrix::ui::AskText(
        this, RuleSetCaption, QStringLiteral("Nazwa zestawu :"), ruleSetCombo->currentText());
    if (!name) return;
    if (const QString problem = kestrix::session::RuleSetStore::NameProblem(*name); !problem.isEmpty()) {
        kestrix::ui::ShowMessage(this, QMessageBox::Warning, RuleSetCaption, problem);
        return;
    }
    if (ruleSets_.contains(*name) &&
        kestrix::ui::ShowMessage(this, QMessageBox::Question, RuleSetCaption,
                                 QStringLiteral("Zestaw \"%1\" już jest. Zastąpić go?").arg(*name),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    RuleSet set;
    set.options = session_.options();
    set.extended = session_.extendedOptions();
    set.previewOnClose = session_.previewMode() == kestrix::session::PreviewMode::OnClose;
    set.reloadAfterApply = session_.reloadAfterApply();
    if (const QString failure = ruleSets_.save(*name, set); !failure.isEmpty()) {
        kestrix::ui::ShowMessage(this, QMessageBox::Warning, RuleSetCaption, failure);
        return;
    }
    listRuleSets(*name);
    ruleSetMessage->setText(QStringLiteral("Zapisano zestaw \"%1\".").arg(*name));
}

void ExtraRulesWindow::removeRuleSet() {
    const QString name = ruleSetCombo->currentText();
    if (ruleSetCombo->currentIndex() < 0) return;
    if (kestrix::ui::ShowMessage(this, QMessageBox::Question, RuleSetCaption,
                                 QStringLiteral("Usunąć zestaw \"%1\"?").arg(name),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (const QString failure = ruleSets_.remove(name); !failure.isEmpty()) {
        kestrix::ui::ShowMessage(this, QMessageBox::Warning, RuleSetCaption, failure);
    } else {
        ruleSetMessage->setText(QStringLiteral("Usunięto zestaw \"%1\".").arg(name));
    }
    listRuleSets({});
}
