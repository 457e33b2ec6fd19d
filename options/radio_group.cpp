#include "options/radio_group.h"

#include <QPainter>
#include <QRadioButton>

namespace {

// Height of the caption line the items are laid out below.
constexpr int CaptionHeight = 13;

}  // namespace

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        items_.append(button);
        connect(button, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected) emit itemClicked();
        });
    }
    arrangeItems();
}

int RadioGroup::itemIndex() const {
    for (int i = 0; i < items_.size(); ++i) {
        if (items_[i]->isChecked()) return i;
    }
    return -1;
}

void RadioGroup::setItemIndex(int index) {
    if (QRadioButton* button = item(index)) button->setChecked(true);
}

void RadioGroup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));

    // The caption interrupts the top line.
    const QString caption = title();
    const QRect captionRect(8, 0, metrics.horizontalAdvance(caption) + 1, metrics.height());
    painter.fillRect(captionRect, palette().color(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter, caption);
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrangeItems();
}

// One column of equal rows filling the frame below its caption.
void RadioGroup::arrangeItems() {
    if (items_.isEmpty()) return;
    const int count = static_cast<int>(items_.size());
    const int free = height() - CaptionHeight - 5;
    const int rowHeight = free / count;
    const int top = CaptionHeight + 1 + (free % count) / 2;
    for (int i = 0; i < count; ++i) {
        items_[i]->setGeometry(8, top + i * rowHeight, width() - 10, rowHeight);
    }
}
