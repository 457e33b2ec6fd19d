#include "options/up_down_spinner.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyleOption>
#include <QStylePainter>
#include <QTimer>

namespace {

constexpr int FirstRepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 80;

}  // namespace

UpDownSpinner::UpDownSpinner(QLineEdit* associate, QWidget* parent)
    : QWidget(parent), associate_(associate), repeat_(new QTimer(this)) {
    setFocusPolicy(Qt::NoFocus);
    associate_->installEventFilter(this);
    syncAssociate();
    // Holding an arrow half down keeps stepping, as a spinner does.
    connect(repeat_, &QTimer::timeout, this, [this] {
        repeat_->setInterval(RepeatIntervalMs);
        if (pressedHalf_ != 0 && halfAt(mapFromGlobal(QCursor::pos())) == pressedHalf_)
            userStep(pressedHalf_);
    });
}

void UpDownSpinner::setPosition(int position) {
    position_ = std::clamp(position, Minimum, Maximum);
    syncAssociate();
}

void UpDownSpinner::userStep(int delta) {
    if (!isEnabled()) return;
    const int next = std::clamp(position_ + delta, Minimum, Maximum);
    if (next == position_) return;
    position_ = next;
    syncAssociate();
    emit clicked();
}

void UpDownSpinner::syncAssociate() { associate_->setText(QString::number(position_)); }

bool UpDownSpinner::eventFilter(QObject* watched, QEvent* event) {
    if (watched == associate_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            userStep(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int UpDownSpinner::halfAt(const QPoint& point) const {
    if (!rect().contains(point)) return 0;
    return point.y() < height() / 2 ? 1 : -1;
}

QRect UpDownSpinner::halfRect(int half) const {
    const int upperHeight = height() / 2;
    return half > 0 ? QRect(0, 0, width(), upperHeight)
                    : QRect(0, upperHeight, width(), height() - upperHeight);
}

void UpDownSpinner::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    for (int half : {1, -1}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halfRect(half);
        button.state |= pressedHalf_ == half ? QStyle::State_Sunken : QStyle::State_Raised;
        button.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        painter.drawPrimitive(QStyle::PE_PanelButtonCommand, button);
        QStyleOption arrow = button;
        arrow.rect = button.rect.adjusted(3, 2, -3, -2);
        painter.drawPrimitive(half > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, arrow);
    }
}

void UpDownSpinner::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressedHalf_ = halfAt(event->position().toPoint());
    if (pressedHalf_ == 0) return;
    update();
    repeat_->start(FirstRepeatDelayMs);
    userStep(pressedHalf_);
}

void UpDownSpinner::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    repeat_->stop();
    pressedHalf_ = 0;
    update();
}

void UpDownSpinner::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        repeat_->stop();
        pressedHalf_ = 0;
    }
    QWidget::changeEvent(event);
}
