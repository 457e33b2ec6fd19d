#pragma once

// The pieces both option windows are built of, in one look: named controls
// placed at their designed geometry, pale green edits, sunken panels.
#include <initializer_list>

#include <QColor>
#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class SunkenPanel;

namespace kestrix::options {

// The background of every edit of the option windows.
inline const QColor EditColour(242, 255, 245);

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint = {});
QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& caption,
                              const QRect& geometry);
// Labels size themselves to their caption.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry, const QString& hint = {});
SunkenPanel* MakePanel(QWidget* parent, const char* name, const QRect& geometry);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled);

}  // namespace kestrix::options
