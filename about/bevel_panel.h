#pragma once

#include <QWidget>

// A panel filled with its background colour and framed by a two-line bevel,
// raised outside and lowered inside. Reports a completed left click on itself.
class BevelPanel : public QWidget {
    Q_OBJECT

public:
    explicit BevelPanel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};
