#include "options/form4.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "app/form1.h"
#include "options/radio_group.h"
#include "options/sunken_panel.h"
#include "options/updown.h"

TForm4* Form4 = nullptr;

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

TUpDown* MakeUpDown(QWidget* parent, const char* name, QLineEdit* associate, const QRect& geometry) {
    auto* upDown = Named(new TUpDown(associate, parent), name);
    upDown->setGeometry(geometry);
    return upDown;
}

TPanel* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = Named(new TPanel(parent), name);
    panel->setGeometry(geometry);
    return panel;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

}  // namespace

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Opcje zmian nazw plików"));
    // Where the designed face is missing, a face of Arial's metrics keeps the
    // captions within their designed widths.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    buildReplaceGroup();
    buildExtensionGroup();
    buildDeleteGroup();
    buildInsertGroup();
    buildNumberingGroup();
    buildSpacesGroup();
    buildCaseGroup();
    buildOtherControls();
    arrangeTabOrder();
    connectHandlers();

    // Centred on the screen; the position holds for the first showing.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
}

void TForm4::buildReplaceGroup() {
    CheckBox8 = MakeCheckBox(
        this, "CheckBox8", QStringLiteral("Zamiana znaków:"), {16, 16, 145, 17},
        QStringLiteral("Zaznacz jeśli chcesz zamienić w nazwie pliku jakiś ciąg znaków na inny"));
    Panel5 = MakePanel(this, "Panel5", {16, 40, 145, 73});
    Label11 = MakeLabel(Panel5, "Label11", QStringLiteral("z"), 24, 16);
    Label4 = MakeLabel(Panel5, "Label4", QStringLiteral("na"), 96, 16);
    Edit1 = MakeEdit(Panel5, "Edit1", {16, 32, 49, 21});
    Edit2 = MakeEdit(Panel5, "Edit2", {80, 32, 49, 21});
    SetEnabled({Label11, Label4, Edit1, Edit2}, false);
}

void TForm4::buildExtensionGroup() {
    CheckBox12 = MakeCheckBox(this, "CheckBox12", QStringLiteral("Zmiana rozszerzeń"), {16, 120, 121, 17},
                              QStringLiteral("Opcja pozwala zmienić rozszerzenia wszystkich plików na inne"));
    Panel7 = MakePanel(this, "Panel7", {16, 144, 145, 73});
    Label1 = MakeLabel(Panel7, "Label1", QStringLiteral("Nowe rozszerzenie : "), 24, 16);
    Edit6 = MakeEdit(Panel7, "Edit6", {24, 32, 97, 21});
    SetEnabled({Label1, Edit6}, false);
}

void TForm4::buildDeleteGroup() {
    CheckBox10 = MakeCheckBox(
        this, "CheckBox10", QStringLiteral("Usuń znaki"), {176, 16, 121, 17},
        QStringLiteral("Zaznacz jeśli chcesz usunąć z nazwy pliku podaną ilość znaków z podanego miejsca"));
    Panel3 = MakePanel(this, "Panel3", {176, 40, 121, 137});
    Label6 = MakeLabel(Panel3, "Label6", QStringLiteral("Ile usunąć:"), 32, 8);
    Edit4 = MakePositionField(Panel3, "Edit4", {32, 24, 33, 21},
                              QStringLiteral("Podaj ile znakow usunac z poczatku nazwy pliku"));
    UpDown1 = MakeUpDown(Panel3, "UpDown1", Edit4, {65, 24, 16, 21});
    RadioButton1 = MakeRadioButton(Panel3, "RadioButton1", QStringLiteral("Od początku"), {16, 48, 97, 17});
    RadioButton2 = MakeRadioButton(Panel3, "RadioButton2", QStringLiteral("Od końca"), {16, 64, 97, 17});
    RadioButton3 = MakeRadioButton(Panel3, "RadioButton3", QStringLiteral("Od znaku nr :"), {16, 80, 97, 17});
    RadioButton1->setChecked(true);
    Edit5 = MakePositionField(Panel3, "Edit5", {32, 104, 33, 21},
                              QStringLiteral("Podaj, za którym znakiem nazwy pliku zacząć usuwanie"));
    UpDown2 = MakeUpDown(Panel3, "UpDown2", Edit5, {65, 104, 16, 21});
    SetEnabled({Label6, Edit4, UpDown1, RadioButton1, RadioButton2, RadioButton3, Edit5, UpDown2}, false);
}

void TForm4::buildInsertGroup() {
    CheckBox9 =
        MakeCheckBox(this, "CheckBox9", QStringLiteral("Dodaj :"), {312, 16, 121, 17},
                     QStringLiteral("Wybierz jeśli chcesz dodać do początku nazwy plików ciąg znaków"));
    Panel4 = MakePanel(this, "Panel4", {312, 40, 121, 137});
    Label10 = MakeLabel(Panel4, "Label10", QStringLiteral("Tekst :"), 44, 8);
    Edit3 = MakeEdit(Panel4, "Edit3", {16, 24, 89, 21});
    RadioButton4 = MakeRadioButton(Panel4, "RadioButton4", QStringLiteral("Na początku"), {16, 48, 97, 17});
    RadioButton5 = MakeRadioButton(Panel4, "RadioButton5", QStringLiteral("Na końcu"), {16, 64, 97, 17});
    RadioButton6 =
        MakeRadioButton(Panel4, "RadioButton6", QStringLiteral("Za znakiem nr :"), {16, 80, 97, 17});
    RadioButton4->setChecked(true);
    Edit7 = MakePositionField(Panel4, "Edit7", {32, 104, 33, 21},
                              QStringLiteral("Podaj, za którym znakiem nazwy pliku dodać tekst"));
    UpDown3 = MakeUpDown(Panel4, "UpDown3", Edit7, {65, 104, 16, 21});
    SetEnabled({Label10, Edit3, RadioButton4, RadioButton5, RadioButton6, Edit7, UpDown3}, false);
}

void TForm4::buildNumberingGroup() {
    CheckBox7 = MakeCheckBox(this, "CheckBox7", QStringLiteral("Numerowanie :"), {448, 16, 145, 17});
    Panel6 = MakePanel(this, "Panel6", {448, 40, 145, 177});
    Label12 = MakeLabel(Panel6, "Label12", QStringLiteral("Początkowa wartość :"), 16, 16);
    Edit8 = MakeEdit(Panel6, "Edit8", {32, 32, 25, 21});
    Edit8->setText(QStringLiteral("0"));
    Button4 = Named(new QPushButton(QStringLiteral(">"), Panel6), "Button4");
    Button4->setGeometry(64, 32, 25, 21);
    RadioButton7 = MakeRadioButton(Panel6, "RadioButton7", QStringLiteral("Na początku"), {24, 64, 105, 17});
    RadioButton8 = MakeRadioButton(Panel6, "RadioButton8", QStringLiteral("Na końcu"), {24, 80, 105, 17});
    RadioButton9 =
        MakeRadioButton(Panel6, "RadioButton9", QStringLiteral("Za znakiem nr :"), {24, 96, 105, 17});
    RadioButton7->setChecked(true);
    Edit9 = MakePositionField(Panel6, "Edit9", {40, 120, 33, 21},
                              QStringLiteral("Podaj, za którym znakiem nazwy pliku wstawić numer"));
    UpDown4 = MakeUpDown(Panel6, "UpDown4", Edit9, {73, 120, 16, 21});
    CheckBox11 = MakeCheckBox(Panel6, "CheckBox11", QStringLiteral("Dodawaj zer"), {24, 152, 89, 17});
    SetEnabled(
        {Label12, Edit8, Button4, RadioButton7, RadioButton8, RadioButton9, Edit9, UpDown4, CheckBox11},
        false);
}

void TForm4::buildSpacesGroup() {
    CheckBox2 =
        MakeCheckBox(this, "CheckBox2", QStringLiteral("Odstępy :"), {176, 272, 105, 17},
                     QStringLiteral("Zaznaczenie pozwoli zamienić odstępy na podkreślniki lub odwrotnie"));
    Panel1 = MakePanel(this, "Panel1", {176, 296, 201, 49});
    CheckBox5 = MakeCheckBox(Panel1, "CheckBox5", SpacesToUnderscoresCaption, {16, 16, 81, 17});
    CheckBox6 = MakeCheckBox(Panel1, "CheckBox6", UnderscoresToSpacesCaption, {104, 16, 81, 17});
    CheckBox5->setChecked(true);
    SetEnabled({CheckBox5, CheckBox6}, false);
}

void TForm4::buildCaseGroup() {
    CheckBox1 = MakeCheckBox(
        this, "CheckBox1", QStringLiteral("Zmień nazwy"), {400, 272, 105, 17},
        QStringLiteral("Zaznacz jeśli chcesz zamienić znaki w nazwach plików na małe lub duze litery"));
    Panel2 = MakePanel(this, "Panel2", {400, 296, 193, 49});
    CheckBox3 = MakeCheckBox(Panel2, "CheckBox3", QStringLiteral("na małe"), {16, 16, 81, 17});
    CheckBox4 = MakeCheckBox(Panel2, "CheckBox4", QStringLiteral("na duże"), {104, 16, 81, 17});
    CheckBox3->setChecked(true);
    SetEnabled({CheckBox3, CheckBox4}, false);
}

void TForm4::buildOtherControls() {
    RadioGroup1 = Named(new TRadioGroup(QStringLiteral("Podgląd zmian : "),
                                        {QStringLiteral("Podgląd zmian na bieżąco"),
                                         QStringLiteral("Podgląd zmian po zamknięciu tego okna")},
                                        this),
                        "RadioGroup1");
    RadioGroup1->setGeometry(192, 192, 225, 65);
    RadioGroup1->setItemIndex(0);

    RadioGroup2 = Named(new TRadioGroup(QStringLiteral("Zmiany dotyczą : "),
                                        {QStringLiteral("Nazw i rozszerzeń"), QStringLiteral("Tylko w nazw"),
                                         QStringLiteral("Tylko rozszerzeń")},
                                        this),
                        "RadioGroup2");
    RadioGroup2->setGeometry(16, 232, 145, 81);
    RadioGroup2->setItemIndex(0);
    for (TRadioGroup* group : {RadioGroup1, RadioGroup2}) {
        for (int i = 0; i < group->count(); ++i) {
            group->item(i)->setObjectName(group->objectName() + QStringLiteral("Item") + QString::number(i));
        }
    }

    CheckBox13 =
        MakeCheckBox(this, "CheckBox13",
                     QStringLiteral("Wczytuj zmienione pliki ponownie do programu po zastosowaniu zmian"),
                     {16, 352, 369, 17});
    CheckBox13->setChecked(true);
}

void TForm4::arrangeTabOrder() {
    const std::initializer_list<QWidget*> order = {CheckBox1,
                                                   CheckBox3,
                                                   CheckBox4,
                                                   CheckBox10,
                                                   Edit4,
                                                   UpDown1,
                                                   Edit5,
                                                   UpDown2,
                                                   RadioButton1,
                                                   RadioButton2,
                                                   RadioButton3,
                                                   CheckBox9,
                                                   Edit3,
                                                   Edit7,
                                                   UpDown3,
                                                   RadioButton4,
                                                   RadioButton5,
                                                   RadioButton6,
                                                   CheckBox2,
                                                   CheckBox5,
                                                   CheckBox6,
                                                   CheckBox8,
                                                   Edit1,
                                                   Edit2,
                                                   CheckBox7,
                                                   Edit8,
                                                   Edit9,
                                                   UpDown4,
                                                   Button4,
                                                   CheckBox11,
                                                   RadioButton7,
                                                   RadioButton8,
                                                   RadioButton9,
                                                   RadioGroup1->item(0),
                                                   RadioGroup1->item(1),
                                                   RadioGroup2->item(0),
                                                   RadioGroup2->item(1),
                                                   RadioGroup2->item(2),
                                                   CheckBox12,
                                                   Edit6,
                                                   CheckBox13};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (!(widget->focusPolicy() & Qt::TabFocus)) continue;
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

kestrix::RenameOptions TForm4::ReadRenameOptions() const {
    auto text = [](const QLineEdit* edit) { return edit->text().toStdString(); };
    kestrix::RenameOptions options;
    options.ChangeExtension = CheckBox12->isChecked();
    options.NewExtension = text(Edit6);
    options.Scope = RadioGroup2->itemIndex();

    options.ReplaceEnabled = CheckBox8->isChecked();
    options.ReplaceFrom = text(Edit1);
    options.ReplaceTo = text(Edit2);

    options.DeleteEnabled = CheckBox10->isChecked();
    options.DeleteCount = Edit4->text().toInt();
    options.DeleteMode = RadioButton1->isChecked()   ? kestrix::DeleteMode::FromStart
                         : RadioButton2->isChecked() ? kestrix::DeleteMode::FromEnd
                                                     : kestrix::DeleteMode::FromPosition;
    options.DeletePosition = Edit5->text().toInt();

    options.InsertEnabled = CheckBox9->isChecked();
    options.InsertText = text(Edit3);
    options.InsertMode = RadioButton4->isChecked()   ? kestrix::PlaceMode::AtStart
                         : RadioButton5->isChecked() ? kestrix::PlaceMode::AtEnd
                                                     : kestrix::PlaceMode::AfterPosition;
    options.InsertPosition = Edit7->text().toInt();

    options.CaseEnabled = CheckBox1->isChecked();
    options.CaseToLower = CheckBox3->isChecked();

    options.SpacesEnabled = CheckBox2->isChecked();
    options.SpacesToUnderscores = CheckBox5->isChecked();

    options.NumberEnabled = CheckBox7->isChecked();
    options.NumberStart = text(Edit8);
    options.NumberAscending = Form1 ? Form1->NumberAscending : true;
    options.NumberLeadingZeros = CheckBox11->isChecked();
    options.NumberMode = RadioButton7->isChecked()   ? kestrix::PlaceMode::AtStart
                         : RadioButton8->isChecked() ? kestrix::PlaceMode::AtEnd
                                                     : kestrix::PlaceMode::AfterPosition;
    options.NumberPosition = UpDown4->position();
    return options;
}

bool TForm4::ReloadAfterApply() const { return CheckBox13->isChecked(); }
