#include "options/radio_group.h"

#include <QRadioButton>

namespace {

// Height of the caption line the items are laid out below.
constexpr int CaptionHeight = 13;

}  // namespace

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
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

int TRadioGroup::itemIndex() const {
    for (int i = 0; i < items_.size(); ++i) {
        if (items_[i]->isChecked()) return i;
    }
    return -1;
}

void TRadioGroup::setItemIndex(int index) {
    if (QRadioButton* button = item(index)) button->setChecked(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrangeItems();
}

// One column of equal rows filling the frame below its caption.
void TRadioGroup::arrangeItems() {
    if (items_.isEmpty()) return;
    const int count = static_cast<int>(items_.size());
    const int free = height() - CaptionHeight - 5;
    const int rowHeight = free / count;
    const int top = CaptionHeight + 1 + (free % count) / 2;
    for (int i = 0; i < count; ++i) {
        items_[i]->setGeometry(8, top + i * rowHeight, width() - 10, rowHeight);
    }
}
