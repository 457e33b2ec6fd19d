#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

// Draws one row of the rule summary: the mark image, then the line in black.
class RuleSummaryDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int RowHeight = 18;
    static const QColor SelectionColour;  // red 215, green 234, blue 255

    explicit RuleSummaryDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QIcon mark_;
};
