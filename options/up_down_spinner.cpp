#include "options/up_down_spinner.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOption>
#include <QStylePainter>
#include <QTimer>

namespace {

constexpr int PageStep = 10;

// A screen reader hears a spin button with its value and range.
class SpinnerAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinnerAccessible(UpDownSpinner* spinner) : QAccessibleWidget(spinner, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return QString::number(spinner()->position());
        return QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return spinner()->position(); }
    void setCurrentValue(const QVariant& value) override {
        spinner()->userStep(value.toInt() - spinner()->position());
    }
    QVariant maximumValue() const override { return UpDownSpinner::Maximum; }
    QVariant minimumValue() const override { return UpDownSpinner::Minimum; }
    QVariant minimumStepSize() const override { return 1; }

private:
    UpDownSpinner* spinner() const { return static_cast<UpDownSpinner*>(widget()); }
};

QAccessibleInterface* MakeSpinnerAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("UpDownSpinner") && object->isWidgetType())
        return new SpinnerAccessible(static_cast<UpDownSpinner*>(object));
    return nullptr;
}

}  // namespace

UpDownSpinner::UpDownSpinner(QLineEdit* associate, QWidget* parent)
    : QWidget(parent), associate_(associate), repeat_(new QTimer(this)) {
    static const bool accessibleKnown = (QAccessible::installFactory(&MakeSpinnerAccessible), true);
    Q_UNUSED(accessibleKnown);
    // The Tab key reaches the spinner, since its edit takes no tab stop.
    setFocusPolicy(Qt::TabFocus);
    associate_->installEventFilter(this);
    syncAssociate();
    // Holding an arrow half down keeps stepping, as a spin box does, while
    // the pointer stays on that half.
    connect(repeat_, &QTimer::timeout, this, [this] {
        repeat_->setInterval(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, this));
        if (pressedHalf_ != 0 && pointerHalf_ == pressedHalf_) userStep(pressedHalf_);
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

void UpDownSpinner::syncAssociate() {
    associate_->setText(QString::number(position_));
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, position_);
        QAccessible::updateAccessibility(&changed);
    }
}

int UpDownSpinner::keyStep(int key) const {
    switch (key) {
        case Qt::Key_Up:
            return 1;
        case Qt::Key_Down:
            return -1;
        case Qt::Key_PageUp:
            return PageStep;
        case Qt::Key_PageDown:
            return -PageStep;
        case Qt::Key_Home:
            return Minimum - position_;
        case Qt::Key_End:
            return Maximum - position_;
        default:
            return 0;
    }
}

bool UpDownSpinner::eventFilter(QObject* watched, QEvent* event) {
    if (watched == associate_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && keyStep(key->key()) != 0) {
            userStep(keyStep(key->key()));
            return true;
        }
        // Home and End at either end: the edit's own cursor keys have nothing to do.
        if (key->key() == Qt::Key_Home || key->key() == Qt::Key_End) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownSpinner::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() == Qt::NoModifier ? keyStep(event->key()) : 0;
    if (step == 0 && event->key() != Qt::Key_Home && event->key() != Qt::Key_End)
        return QWidget::keyPressEvent(event);
    userStep(step);
    event->accept();
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
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void UpDownSpinner::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressedHalf_ = halfAt(event->position().toPoint());
    pointerHalf_ = pressedHalf_;
    if (pressedHalf_ == 0) return;
    update();
    repeat_->start(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, this));
    userStep(pressedHalf_);
}

void UpDownSpinner::mouseMoveEvent(QMouseEvent* event) {
    if (pressedHalf_ == 0) return QWidget::mouseMoveEvent(event);
    pointerHalf_ = halfAt(event->position().toPoint());
}

void UpDownSpinner::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    repeat_->stop();
    pressedHalf_ = 0;
    pointerHalf_ = 0;
    update();
}

void UpDownSpinner::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        repeat_->stop();
        pressedHalf_ = 0;
    }
    QWidget::changeEvent(event);
}
