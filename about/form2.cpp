#include "about/form2.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

#include "about/bevel_panel.h"
#include "about/click_label.h"

TForm2* Form2 = nullptr;

namespace {

const QColor kPurple(128, 0, 128);
const QColor kOrange(255, 128, 64);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);

const char kAuthor[] = "Zespół Kestrix";
const char kMailAddress[] = "kestrix@example.org";
const char kWebAddress[] = "kestrix.example.org";
const char kNotice[] = "Program darmowy do użytku domowego";

// Fonts are sized in pixels so the layout keeps its designed geometry at any
// screen resolution; families missing here fall back through fontconfig.
QFont pixelFont(const QString& family, int pixels, QFont::Weight weight = QFont::Normal) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// Only the underline, or no style at all.
void setUnderlined(QWidget* label, bool underlined) {
    QFont font = label->font();
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    font.setUnderline(underlined);
    label->setFont(font);
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("o programie"));
    setFixedSize(355, 239);
    setWindowOpacity(180 / 255.0);
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    QPalette purple = palette();
    purple.setColor(QPalette::Window, kPurple);
    setPalette(purple);
    setAutoFillBackground(true);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(rect());

    const QFont title = pixelFont(QStringLiteral("Arial Black"), 19, QFont::Black);
    const QFont arial = pixelFont(QStringLiteral("Arial"), 16);
    const QFont small = pixelFont(QStringLiteral("MS Sans Serif"), 11);
    Label1 = addLabel("Label1", QRect(2, 2, 351, 54), QStringLiteral("Kestrix (małe/duże itp) v2.0.5"), title,
                      kOrange);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label5 = addLabel("Label5", QRect(121, 72, 112, 18), QStringLiteral("Autor programu:"), arial, kWhite);
    Label6 = addLabel("Label6", QRect(132, 96, 90, 18), QString::fromUtf8(kAuthor), arial, kWhite);
    Label7 = addLabel("Label7", QRect(80, 120, 194, 18), QString::fromUtf8(kMailAddress), arial, kYellow);
    Label3 = addLabel("Label3", QRect(123, 152, 108, 18), QStringLiteral("Opis programu:"), arial, kWhite);
    Label8 = addLabel("Label8", QRect(22, 176, 311, 18), QString::fromUtf8(kWebAddress), arial, kYellow);
    Label2 = addLabel("Label2", QRect(65, 216, 226, 13), QString::fromUtf8(kNotice), small, kWhite);
    Label2->setAutoFillBackground(true);  // the one label drawn with its own background
    for (QLabel* label : {Label5, Label6, Label7, Label3, Label8, Label2}) fitToText(label);
    Label7->setCursor(Qt::PointingHandCursor);
    Label8->setCursor(Qt::PointingHandCursor);

    connect(Panel1, &BevelPanel::clicked, this, &TForm2::FormClick);
    for (ClickLabel* label : {Label1, Label2, Label3, Label5, Label6}) {
        connect(label, &ClickLabel::clicked, this, &TForm2::FormClick);
    }
    connect(Label7, &ClickLabel::clicked, this, &TForm2::Label7Click);
    connect(Label8, &ClickLabel::clicked, this, &TForm2::Label8Click);
    connect(Label7, &ClickLabel::mouseEntered, this, &TForm2::Label7MouseEnter);
    connect(Label7, &ClickLabel::mouseLeft, this, &TForm2::Label7MouseLeave);
    connect(Label8, &ClickLabel::mouseEntered, this, &TForm2::Label8MouseEnter);
    connect(Label8, &ClickLabel::mouseLeft, this, &TForm2::Label8MouseLeave);
}

ClickLabel* TForm2::addLabel(const char* name, const QRect& box, const QString& text, const QFont& font,
                             const QColor& colour) {
    auto* label = new ClickLabel(Panel1);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    colours.setColor(QPalette::Window, kPurple);
    label->setPalette(colours);
    label->setText(text);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setGeometry(box);
    return label;
}

// The one-line labels are centred on the window's middle; a text wider than
// its designed box (another font, another author) grows the box evenly on
// both sides, so it is never cut.
void TForm2::fitToText(QLabel* label) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    if (needed <= label->width()) return;
    QRect box = label->geometry();
    box.setLeft(box.left() - (needed - box.width()) / 2);
    box.setWidth(needed);
    label->setGeometry(box);
}

QUrl TForm2::MailLink() const {
    return QUrl(QStringLiteral("mailto:") + Label7->text() + QStringLiteral("?subject=temacik"));
}

QUrl TForm2::WebLink() const { return QUrl(QStringLiteral("http://") + Label8->text()); }

void TForm2::FormClick() { close(); }

// A link that no program opens is silently ignored; the window stays open.
void TForm2::Label7Click() { QDesktopServices::openUrl(MailLink()); }

void TForm2::Label8Click() { QDesktopServices::openUrl(WebLink()); }

void TForm2::Label7MouseEnter() { setUnderlined(Label7, true); }

void TForm2::Label7MouseLeave() { setUnderlined(Label7, false); }

void TForm2::Label8MouseEnter() { setUnderlined(Label8, true); }

void TForm2::Label8MouseLeave() { setUnderlined(Label8, false); }

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOverOwner();
}

void TForm2::centreOverOwner() {
    QRect over;
    if (parentWidget() != nullptr) {
        over = parentWidget()->window()->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        over = screen->availableGeometry();
    }
    if (over.isValid()) move(over.center() - QPoint(width() / 2, height() / 2));
}
