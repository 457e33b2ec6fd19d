// One refresh of the preview with 100,000 entries in the list, the list shown:
// when every proposed path changes (a character typed into the insert text
// with insertion on) and when none does; and the replacement of characters
// beside the regular expression of the further rules, each changing every
// proposed path at every refresh.
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "engine/name_transform.h"
#include "options/extra_rules_window.h"
#include "options/rename_options_window.h"
#include "session/session.h"

namespace {

constexpr int EntryCount = 100'000;

// A key pressed and released on a widget, as the keyboard delivers it.
void TypeKey(QWidget* target, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// The main window with a full list and the options window open on it, as a
// user sees them while typing.
class RefreshWindows {
public:
    RefreshWindows() {
        std::vector<kestrix::ListEntry> entries;
        entries.reserve(EntryCount);
        const kestrix::RenameRules none = kestrix::RenameRules::From(kestrix::RenameOptions{}).value();
        for (int i = 0; i < EntryCount; ++i) {
            const std::string path = "/home/ewa/Zdjęcia/Folder " + std::to_string(i / 1000) + "/IMG_" +
                                     std::to_string(10000 + i % 1000) + " wakacje.jpg";
            entries.push_back(kestrix::TransformPath(path, i, EntryCount, none));
        }
        session_.entryList().append(std::move(entries));
        window_.show();
        window_.showOptionsWindow();
        settle();
        // Insertion on, so that each typed character moves every proposed path.
        options().insertBox->click();
        settle();
    }

    kestrix::session::Session& session() { return session_; }
    RenameOptionsWindow& options() { return *window_.findChild<RenameOptionsWindow*>(); }
    const kestrix::ListEntry& lastEntry() const { return session_.entryList().at(EntryCount - 1); }
    // Lets the views repaint what the refresh changed.
    static void settle() { QApplication::processEvents(); }

private:
    kestrix::session::Session session_;
    MainWindow window_{session_};
};

void BM_RefreshEveryPathChanges(benchmark::State& state) {
    RefreshWindows windows;
    QLineEdit* text = windows.options().insertTextEdit;
    text->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        // Start each round from a one-letter text whose paths are in the list.
        text->setText(QStringLiteral("a"));
        RefreshWindows::settle();
        state.ResumeTiming();
        TypeKey(text, Qt::Key_B, QStringLiteral("b"));  // one refresh: every proposed path gains the letter
        RefreshWindows::settle();
    }
    if (windows.lastEntry().proposed != "/home/ewa/Zdjęcia/Folder 99/abIMG_10999 wakacje.jpg") {
        state.SkipWithError("the typed letter did not reach the proposed paths");
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_RefreshEveryPathChanges)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RefreshNoPathChanges(benchmark::State& state) {
    RefreshWindows windows;
    windows.options().insertTextEdit->setText(QStringLiteral("a"));
    RefreshWindows::settle();
    for (auto _ : state) {
        windows.session().refreshPreview();
        RefreshWindows::settle();
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_RefreshNoPathChanges)->Unit(benchmark::kMillisecond)->Iterations(20);

// Every round gives every entry another replacement text, so every proposed path changes.
void BM_RefreshReplaceRule(benchmark::State& state) {
    RefreshWindows windows;
    RenameOptionsWindow& options = windows.options();
    options.replaceBox->click();
    options.replaceFromEdit->setText(QStringLiteral("IMG_"));
    RefreshWindows::settle();
    int round = 0;
    for (auto _ : state) {
        options.replaceToEdit->setText(++round % 2 ? QStringLiteral("nr") : QStringLiteral("no"));
        RefreshWindows::settle();
    }
    if (windows.lastEntry().proposed.find("/IMG_") != std::string::npos) {
        state.SkipWithError("the replacement did not reach the proposed paths");
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_RefreshReplaceRule)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same with the pattern (\d+) and the replacement nr$1 (or no$1) of the further rules.
void BM_RefreshRegexRule(benchmark::State& state) {
    RefreshWindows windows;
    windows.options().moreRulesButton->click();
    ExtraRulesWindow& extra = *windows.options().findChild<ExtraRulesWindow*>();
    extra.regexBox->click();
    extra.patternEdit->setText(QStringLiteral("(\\d+)"));
    RefreshWindows::settle();
    int round = 0;
    for (auto _ : state) {
        extra.regexReplacementEdit->setText(++round % 2 ? QStringLiteral("nr$1") : QStringLiteral("no$1"));
        RefreshWindows::settle();
    }
    if (windows.lastEntry().proposed != "/home/ewa/Zdjęcia/Folder 99/IMG_no10999 wakacje.jpg") {
        state.SkipWithError("the pattern did not reach the proposed paths");
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_RefreshRegexRule)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same while the pattern itself is typed: every round a pattern not met
// before, so every name is matched anew, and every proposed path changes.
void BM_RefreshRegexPatternChanges(benchmark::State& state) {
    RefreshWindows windows;
    windows.options().moreRulesButton->click();
    ExtraRulesWindow& extra = *windows.options().findChild<ExtraRulesWindow*>();
    extra.regexBox->click();
    extra.regexReplacementEdit->setText(QStringLiteral("nr$1"));
    RefreshWindows::settle();
    int round = 0;
    for (auto _ : state) {
        extra.patternEdit->setText(++round % 2 ? QStringLiteral("(\\d+)") : QStringLiteral("(\\d)"));
        RefreshWindows::settle();
    }
    if (windows.lastEntry().proposed != "/home/ewa/Zdjęcia/Folder 99/IMG_nr1nr0nr9nr9nr9 wakacje.jpg") {
        state.SkipWithError("the pattern did not reach the proposed paths");
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_RefreshRegexPatternChanges)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
