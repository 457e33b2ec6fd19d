#pragma once

#include <QWidget>

class QLineEdit;
class QTimer;

// A vertical up-down spinner bound to the read-only edit beside it, which
// always shows the position in decimal. A step by the user (arrow halves, or
// the Up/Down keys while the edit has the focus) that moves the position
// emits clicked() after the move; a step past either end changes nothing and
// emits nothing, and setting the position from code emits nothing either.
class UpDownSpinner : public QWidget {
    Q_OBJECT

public:
    UpDownSpinner(QLineEdit* associate, QWidget* parent = nullptr);

    static constexpr int Minimum = 0;
    static constexpr int Maximum = 100;

    int position() const { return position_; }
    void setPosition(int position);

    // One step as the user makes it: +1 up, -1 down.
    void userStep(int delta);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int halfAt(const QPoint& point) const;  // +1 upper half, -1 lower half
    QRect halfRect(int half) const;
    void syncAssociate();

    QLineEdit* associate_;
    QTimer* repeat_;
    int position_ = Minimum;
    int pressedHalf_ = 0;
};
