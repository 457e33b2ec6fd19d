#include "about/about_window.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

#include "about/bevel_panel.h"
#include "about/click_label.h"
#include "ui/pixel_font.h"

using kestrix::ui::PixelFont;

namespace {

const QColor kPurple(128, 0, 128);
const QColor kOrange(255, 128, 64);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);

const char kAuthor[] = "Zespół Kestrix";
const char kMailAddress[] = "kestrix@example.org";
const char kWebAddress[] = "kestrix.example.org";
const char kNotice[] = "Wolny program na licencji GNU GPL w wersji 3 lub późniejszej";

// Only the underline, or no style at all.
void SetUnderlined(QWidget* label, bool underlined) {
    QFont font = label->font();
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    font.setUnderline(underlined);
    label->setFont(font);
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("o programie"));
    setFixedSize(355, 239);
    setWindowOpacity(180 / 255.0);
    setFont(kestrix::ui::DesignedSansFont(11));
    QPalette purple = palette();
    purple.setColor(QPalette::Window, kPurple);
    setPalette(purple);
    setAutoFillBackground(true);

    backgroundPanel = new BevelPanel(this);
    backgroundPanel->setObjectName(QStringLiteral("Panel1"));
    backgroundPanel->setGeometry(rect());

    const QFont title = PixelFont(QStringLiteral("Arial Black"), 19, QFont::Black);
    const QFont arial = PixelFont(QStringLiteral("Arial"), 16);
    const QFont small = kestrix::ui::DesignedSansFont(11);
    titleLabel = addLabel("Label1", QRect(2, 2, 351, 54), QStringLiteral("Kestrix (małe/duże itp) v2.0.5"),
                          title, kOrange);
    titleLabel->setWordWrap(true);
    titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    authorHeading =
        addLabel("Label5", QRect(121, 72, 112, 18), QStringLiteral("Autor programu:"), arial, kWhite);
    authorLabel = addLabel("Label6", QRect(132, 96, 90, 18), QString::fromUtf8(kAuthor), arial, kWhite);
    mailLink = addLabel("Label7", QRect(80, 120, 194, 18), QString::fromUtf8(kMailAddress), arial, kYellow);
    descriptionHeading =
        addLabel("Label3", QRect(123, 152, 108, 18), QStringLiteral("Opis programu:"), arial, kWhite);
    webLink = addLabel("Label8", QRect(22, 176, 311, 18), QString::fromUtf8(kWebAddress), arial, kYellow);
    noticeLabel = addLabel("Label2", QRect(65, 216, 226, 13), QString::fromUtf8(kNotice), small, kWhite);
    noticeLabel->setAutoFillBackground(true);  // the one label drawn with its own background
    for (QLabel* label : {authorHeading, authorLabel, mailLink, descriptionHeading, webLink, noticeLabel})
        fitToText(label);
    mailLink->setCursor(Qt::PointingHandCursor);
    webLink->setCursor(Qt::PointingHandCursor);
    mailLink->setAccessibleDescription(QStringLiteral("Adres poczty autora"));
    webLink->setAccessibleDescription(QStringLiteral("Strona programu"));

    // A click anywhere but on a link closes the window.
    connect(backgroundPanel, &BevelPanel::clicked, this, &AboutWindow::close);
    for (ClickLabel* label : {titleLabel, noticeLabel, descriptionHeading, authorHeading, authorLabel}) {
        connect(label, &ClickLabel::clicked, this, &AboutWindow::close);
    }
    connect(mailLink, &ClickLabel::clicked, this, &AboutWindow::openMailLink);
    connect(webLink, &ClickLabel::clicked, this, &AboutWindow::openWebLink);
    // A link is underlined while the pointer is over it.
    for (ClickLabel* link : {mailLink, webLink}) {
        connect(link, &ClickLabel::mouseEntered, this, [link] { SetUnderlined(link, true); });
        connect(link, &ClickLabel::mouseLeft, this, [link] { SetUnderlined(link, false); });
    }
}

ClickLabel* AboutWindow::addLabel(const char* name, const QRect& box, const QString& text, const QFont& font,
                                  const QColor& colour) {
    auto* label = new ClickLabel(backgroundPanel);
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
void AboutWindow::fitToText(QLabel* label) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    if (needed <= label->width()) return;
    QRect box = label->geometry();
    box.setLeft(box.left() - (needed - box.width()) / 2);
    box.setWidth(needed);
    label->setGeometry(box);
}

QUrl AboutWindow::mailUrl() const {
    return QUrl(QStringLiteral("mailto:") + mailLink->text() + QStringLiteral("?subject=temacik"));
}

QUrl AboutWindow::webUrl() const { return QUrl(QStringLiteral("http://") + webLink->text()); }

// A link that no program opens is silently ignored; the window stays open.
void AboutWindow::openMailLink() { QDesktopServices::openUrl(mailUrl()); }

void AboutWindow::openWebLink() { QDesktopServices::openUrl(webUrl()); }

void AboutWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOverOwner();
}

void AboutWindow::centreOverOwner() {
    QRect over;
    if (parentWidget() != nullptr) {
        over = parentWidget()->window()->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        over = screen->availableGeometry();
    }
    if (over.isValid()) move(over.center() - QPoint(width() / 2, height() / 2));
}
