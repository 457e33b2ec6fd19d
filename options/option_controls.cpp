#include "options/option_controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "options/sunken_panel.h"

namespace kestrix::options {

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint) {
    auto* box = Named(new QCheckBox(caption, parent), name);
    box->setGeometry(geometry);
    box->setToolTip(hint);
    return box;
}

QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& caption,
                              const QRect& geometry) {
    auto* button = Named(new QRadioButton(caption, parent), name);
    button->setGeometry(geometry);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = Named(new QLabel(caption, parent), name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry, const QString& hint) {
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setGeometry(geometry);
    edit->setToolTip(hint);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, EditColour);
    edit->setPalette(palette);
    return edit;
}

SunkenPanel* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = Named(new SunkenPanel(parent), name);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setGeometry(geometry);
    return button;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

}  // namespace kestrix::options
