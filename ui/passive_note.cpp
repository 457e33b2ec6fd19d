#include "ui/passive_note.h"

#include <QEvent>

PassiveNote::PassiveNote(QWidget* over) : QLabel(over) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAutoFillBackground(true);
    setMargin(6);
    setStyleSheet(
        QStringLiteral("QLabel { background: rgba(40, 40, 40, 215); color: white; border-radius: 4px; }"));
    hide();
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    over->installEventFilter(this);
}

void PassiveNote::showNote(const QString& text) {
    setText(text);
    place();
    show();
    raise();
    hideTimer_.start(kShownFor);
}

bool PassiveNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) place();
    return QLabel::eventFilter(watched, event);
}

void PassiveNote::place() {
    const QWidget* over = parentWidget();
    const int width = over->width() - 16;
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    setGeometry(8, over->height() - height - 8, width, height);
}
