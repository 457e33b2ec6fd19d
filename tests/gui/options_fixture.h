#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "gui_fixture.h"
#include "options/up_down_spinner.h"

// The options window opened from the main window's tool bar, driven with the
// mouse and the keyboard; controls are found by their names.
class OptionsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        refreshSpy =
            std::make_unique<QSignalSpy>(session.get(), &kestrix::session::Session::previewRefreshed);
        QTest::mouseClick(mainWindow->optionsButton, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(optionsWindow));
    }

    void TearDown() override {
        refreshSpy.reset();
        GuiTest::TearDown();
    }

public:
    // Public so that tables of steps can drive the window.
    template <typename T = QWidget>
    T* control(const char* name) const {
        T* found = optionsWindow->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAbstractButton* button(const char* name) const { return control<QAbstractButton>(name); }
    QLineEdit* edit(const char* name) const { return control<QLineEdit>(name); }
    UpDownSpinner* spinner(const char* name) const { return control<UpDownSpinner>(name); }

    // Clicks a check box or radio button on its mark, a push button in its middle.
    static void click(QAbstractButton* target) {
        const bool isPushButton = target->inherits("QPushButton");
        const QPoint where = isPushButton ? target->rect().center() : QPoint(7, target->height() / 2);
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
    }
    void click(const char* name) const { click(button(name)); }

    // Types at the end of an edit's text, one key at a time.
    void type(const char* name, const QString& text) const {
        QLineEdit* target = edit(name);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_End);
        for (const QChar character : text) {
            if (character.unicode() < 128) {
                QTest::keyClick(target, character.toLatin1());
            } else {  // a letter typed through the keyboard layout: no key code of its own
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(character),
                                    Qt::NoModifier);
            }
        }
    }
    // Selects an edit's whole text and removes it with the Delete key.
    void erase(const char* name) const {
        QLineEdit* target = edit(name);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_Delete);
    }
    // Replaces an edit's whole text in one change, as pasting over a selection does.
    void paste(const char* name, const QString& text) const {
        QLineEdit* target = edit(name);
        target->selectAll();
        target->insert(text);
    }

    // One step of a spinner's arrow half: +1 up, -1 down.
    void step(const char* name, int delta) const {
        UpDownSpinner* target = spinner(name);
        const QPoint where(target->width() / 2, delta > 0 ? 3 : target->height() - 3);
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
    }

    // The rule summary as the main window shows it.
    QStringList summary() const {
        QStringList lines;
        for (int i = 0; i < mainWindow->ruleSummaryList->count(); ++i) {
            lines.append(mainWindow->ruleSummaryList->item(i)->text());
        }
        return lines;
    }
    // How many times the session has refreshed the preview since the window opened.
    int refreshes() const { return static_cast<int>(refreshSpy->count()); }

    // Adds the given paths to the list as a drop does, with the options as they stand.
    void addEntries(const std::vector<std::string>& paths) const {
        for (const std::string& entryPath : paths) session->addPath(entryPath);
    }
    void addEntries(int count) const {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) paths.push_back("/data/plik " + std::to_string(i) + ".txt");
        addEntries(paths);
    }

    std::unique_ptr<QSignalSpy> refreshSpy;
};
