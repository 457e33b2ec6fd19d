#pragma once

#include <QWidget>

// The progress gauge of the tool bar: a horizontal bar, black on white with a
// single-line border, filled from the left in proportion to its value (0 to
// 100, clamped), with the value and "%" centred over it.
class ProgressGauge : public QWidget {
    Q_OBJECT

public:
    explicit ProgressGauge(QWidget* parent = nullptr);

    int progress() const { return progress_; }
    void setProgress(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
};
