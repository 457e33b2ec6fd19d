#pragma once

#include <QLabel>
#include <QTimer>

// A short note over the bottom of a widget, as a file manager shows a passive
// message: nothing to click, it takes no input and goes by itself after a few
// seconds. It follows the widget's size while shown.
class PassiveNote : public QLabel {
    Q_OBJECT

public:
    explicit PassiveNote(QWidget* over);

    // How long a note stays, in milliseconds.
    static constexpr int kShownFor = 4000;

    void showNote(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QTimer hideTimer_;
};
