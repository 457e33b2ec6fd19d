#pragma once

#include <QComboBox>

#include "folderchooser/owner_draw_delegate.h"

// A drop-down list whose rows, and the chosen row shown in the closed box,
// are drawn by its owner.
class DriveComboBox : public QComboBox {
public:
    DriveComboBox(int rowHeight, OwnerDrawDelegate::DrawRow drawRow, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OwnerDrawDelegate::DrawRow drawRow_;
};
