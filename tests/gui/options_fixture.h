#pragma once

#include <string>
#include <vector>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include "app/form1.h"
#include "engine/name_transform.h"
#include "filelist/file_list_model.h"
#include "gui_fixture.h"
#include "options/form4.h"
#include "options/updown.h"

// The options window opened from the main window's tool bar, driven with the
// mouse and the keyboard; controls are found by their names.
class OptionsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        QTest::mouseClick(form1->ToolButton3, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form4));
    }

public:
    // Public so that tables of steps can drive the window.
    template <typename T = QWidget>
    T* control(const char* name) const {
        T* found = form4->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAbstractButton* button(const char* name) const { return control<QAbstractButton>(name); }
    QLineEdit* edit(const char* name) const { return control<QLineEdit>(name); }
    TUpDown* upDown(const char* name) const { return control<TUpDown>(name); }

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
        TUpDown* target = upDown(name);
        const QPoint where(target->width() / 2, delta > 0 ? 3 : target->height() - 3);
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
    }

    QStringList summary() const {
        QStringList lines;
        for (int i = 0; i < form1->ListBox3->count(); ++i) lines.append(form1->ListBox3->item(i)->text());
        return lines;
    }
    int refreshes() const { return form4->refreshCount(); }

    // Puts entries for the given paths into the list as adding does, with the options as they stand.
    void addEntries(const std::vector<std::string>& paths) const {
        for (const std::string& entryPath : paths) {
            const int position = form1->entryCount();
            form1->fileList()->append(
                kestrix::TransformPath(entryPath, position, position + 1, kestrix::RenameRules::From(form1->CurrentRenameOptions()).value()));
        }
    }
    void addEntries(int count) const {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) paths.push_back("/data/plik " + std::to_string(i) + ".txt");
        addEntries(paths);
    }
};
