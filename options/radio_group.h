#pragma once

#include <QGroupBox>
#include <QList>

class QRadioButton;

// An etched frame with its caption on the top line, holding one column of exclusive radio buttons, addressed
// by item index. itemClicked() is emitted whenever the selected item changes,
// whether the user or the code selects it.
class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* item(int index) const { return items_.value(index); }
    int count() const { return static_cast<int>(items_.size()); }

signals:
    void itemClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrangeItems();

    QList<QRadioButton*> items_;
};
