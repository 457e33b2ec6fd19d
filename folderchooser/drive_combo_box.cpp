#include "folderchooser/drive_combo_box.h"

#include <QAbstractItemView>
#include <QStyleOptionComboBox>
#include <QStylePainter>

DriveComboBox::DriveComboBox(int rowHeight, OwnerDrawDelegate::DrawRow drawRow, QWidget* parent)
    : QComboBox(parent), drawRow_(drawRow) {
    setItemDelegate(new OwnerDrawDelegate(rowHeight, std::move(drawRow), this));
}

void DriveComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0) return;

    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.save();
    painter.setClipRect(field);
    // The chosen drive shows as selected while the box has the focus.
    drawRow_(&painter, field, currentIndex(), hasFocus() && !view()->isVisible());
    painter.restore();
}
