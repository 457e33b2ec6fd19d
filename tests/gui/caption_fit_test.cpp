#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "about/about_window.h"
#include "folderchooser/folder_chooser.h"
#include "gui_fixture.h"
#include "options/extra_rules_window.h"

namespace {

// How far a group's caption stands in from either end of its frame line.
constexpr int GroupCaptionInset = 8;

struct Caption {
    QWidget* control;
    bool inheritsItsFont;  // a control given no font of its own draws in its parent's
    QString text;
    int width;  // of the text in the control's own font
    int room;   // the control gives it
};

QString Describe(const Caption& caption) {
    const QWidget* window = caption.control->window();
    return QStringLiteral("%1/%2 \"%3\": %4 px of text in %5 px of room (font %6 %7 px)")
        .arg(window->objectName(), caption.control->objectName(), caption.text)
        .arg(caption.width)
        .arg(caption.room)
        .arg(QFontInfo(caption.control->font()).family())
        .arg(caption.control->font().pixelSize());
}

// A check box or radio button draws its caption right of the indicator and
// the spacing that follows it.
int ButtonCaptionRoom(const QAbstractButton* button, bool exclusive) {
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle* style = button->style();
    const int indicator = style->pixelMetric(
        exclusive ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, &option, button);
    const int spacing = style->pixelMetric(
        exclusive ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, &option, button);
    return button->width() - indicator - spacing;
}

// A label that sizes itself reaches no further than its parent's edge or the
// next control on its row, whichever comes first.
int LabelRoom(const QLabel* label) {
    const QRect own = label->geometry();
    int right = label->parentWidget()->width();
    for (const QObject* object : label->parentWidget()->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(object);
        if (!sibling || sibling == label || sibling->isWindow() || sibling->isHidden()) continue;
        const QRect other = sibling->geometry();
        const bool sameRow = other.top() <= own.bottom() && own.top() <= other.bottom();
        if (sameRow && other.left() > own.left()) right = std::min(right, other.left());
    }
    const QMargins margins = label->contentsMargins();
    return std::min(label->contentsRect().width(), right - own.left() - margins.left() - margins.right());
}

bool InheritsFont(const QWidget* control) {
    if (control->testAttribute(Qt::WA_SetFont)) return true;
    const QFont own = control->font();
    const QFont parents = control->parentWidget()->font();
    return QFontInfo(own).family() == QFontInfo(parents).family() && own.pixelSize() == parents.pixelSize();
}

void CollectCaptions(QWidget* window, std::vector<Caption>& captions) {
    window->ensurePolished();
    for (QWidget* control : window->findChildren<QWidget*>()) {
        // Another window's controls are walked with their own window, once it is shown.
        if (control->isHidden() || control->window() != window) continue;
        control->ensurePolished();
        const auto add = [&](const QString& text, int room) {
            if (text.isEmpty()) return;
            captions.push_back({control, InheritsFont(control), text,
                                QFontMetrics(control->font()).horizontalAdvance(text), room});
        };
        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (!label->wordWrap()) add(label->text(), LabelRoom(label));
        } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            add(radio->text(), ButtonCaptionRoom(radio, true));
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            add(box->text(), ButtonCaptionRoom(box, false));
        } else if (auto* push = qobject_cast<QPushButton*>(control)) {
            QStyleOptionButton option;
            option.initFrom(push);
            add(push->text(),
                push->width() - 2 * push->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, push));
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            add(group->title(), group->width() - 2 * GroupCaptionInset);
        }
    }
}

class CaptionFitTest : public GuiTest {};

TEST_F(CaptionFitTest, EveryCaptionOfEveryWindowFitsItsControl) {
    auto chooser = std::make_unique<FolderChooser>(*session, mainWindow);
    auto about = std::make_unique<AboutWindow>(mainWindow);
    auto extraRules = std::make_unique<ExtraRulesWindow>(*session, *optionsWindow);

    std::vector<Caption> captions;
    for (QWidget* window : std::initializer_list<QWidget*>{mainWindow, optionsWindow, chooser.get(),
                                                           about.get(), extraRules.get()}) {
        // Shown, so laid-out captions have their final geometry.
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << window->objectName().toStdString();
        const std::size_t before = captions.size();
        CollectCaptions(window, captions);
        EXPECT_GT(captions.size(), before) << "no caption found in " << window->objectName().toStdString();
    }

    for (const Caption& caption : captions) {
        EXPECT_LE(caption.width, caption.room) << Describe(caption).toStdString();
        EXPECT_TRUE(caption.inheritsItsFont)
            << "not in its parent's font: " << Describe(caption).toStdString();
    }
}

// The about window's title wraps inside its box and stays whole.
TEST_F(CaptionFitTest, TheAboutWindowsWrappedTitleFitsItsBox) {
    AboutWindow about(mainWindow);
    auto* title = about.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(title, nullptr);
    about.ensurePolished();
    EXPECT_LE(title->heightForWidth(title->width()), title->height());
}

}  // namespace
