#pragma once

#include <QWidget>

class QLineEdit;
class QTimer;

// A vertical up-down spinner bound to the read-only edit beside it, which
// always shows the position in decimal. A step by the user (arrow halves,
// held down to repeat at the style's spin box rate, or a key while the
// spinner or its edit has the focus: Up/Down one, PageUp/PageDown ten,
// Home/End to either end) that moves the position emits clicked() after the
// move; a step past either end stops there, a step that moves nothing emits
// nothing, and setting the position from code emits nothing either.
class UpDownSpinner : public QWidget {
    Q_OBJECT

public:
    UpDownSpinner(QLineEdit* associate, QWidget* parent = nullptr);

    static constexpr int Minimum = 0;
    static constexpr int Maximum = 100;

    int position() const { return position_; }
    void setPosition(int position);

    // One step as the user makes it: +1 up, -1 down, or more at once.
    void userStep(int delta);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int halfAt(const QPoint& point) const;  // +1 upper half, -1 lower half
    QRect halfRect(int half) const;
    // The step a key makes, 0 for a key that is not a spinner's.
    int keyStep(int key) const;
    void syncAssociate();

    QLineEdit* associate_;
    QTimer* repeat_;
    int position_ = Minimum;
    int pressedHalf_ = 0;
    int pointerHalf_ = 0;  // the half under the pointer while a half is held down
};
