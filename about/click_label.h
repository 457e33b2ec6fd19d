#pragma once

#include <QLabel>

// A label that reports a completed left click (press and release on it) and
// the mouse pointer entering and leaving it. It takes the press itself, so a
// click on it never reaches the widget below.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(QWidget* parent = nullptr);

signals:
    void clicked();
    void mouseEntered();
    void mouseLeft();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool pressed_ = false;
};
