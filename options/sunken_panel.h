#pragma once

#include <QWidget>

// A plain container drawn with a lowered outer bevel and a raised inner one,
// one pixel each, as the options window frames the controls of each group.
class SunkenPanel : public QWidget {
    Q_OBJECT

public:
    explicit SunkenPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
