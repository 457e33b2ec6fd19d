// The conflict marks with 100,000 entries in 100 real folders, the list shown
// and the options window open: one typed character changes every proposed
// name. How long the refresh takes (the marks that need no disk included),
// and how long until every mark, the disk's too, is shown.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "engine/name_transform.h"
#include "options/rename_options_window.h"
#include "session/folder_cache.h"
#include "session/run_prediction.h"
#include "session/session.h"

namespace {

constexpr int FolderCount = 100;
constexpr int FilesPerFolder = 1000;
constexpr int EntryCount = FolderCount * FilesPerFolder;

void TypeKey(QWidget* target, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

std::string FileName(int i) { return "IMG_" + std::to_string(10000 + i) + " wakacje.jpg"; }

// The folders on disk, made once for every benchmark of this file. Each also
// holds one item outside the list under the name its first file gets once
// "ab" is inserted, so that the typed letter makes 100 conflicts.
const std::string& Folders() {
    static QTemporaryDir root;
    static const std::string base = [] {
        const std::string path = root.path().toStdString();
        for (int f = 0; f < FolderCount; ++f) {
            const std::string folder = path + "/Folder " + std::to_string(f);
            std::filesystem::create_directories(folder);
            for (int i = 0; i < FilesPerFolder; ++i) std::ofstream(folder + "/" + FileName(i));
            std::ofstream(folder + "/ab" + FileName(0));
        }
        return path;
    }();
    return base;
}

std::vector<kestrix::ListEntry> ListOfFolders(const std::string& inserted) {
    std::vector<kestrix::ListEntry> entries;
    entries.reserve(EntryCount);
    for (int f = 0; f < FolderCount; ++f) {
        const std::string folder = Folders() + "/Folder " + std::to_string(f) + "/";
        for (int i = 0; i < FilesPerFolder; ++i)
            entries.push_back({folder + FileName(i), folder + inserted + FileName(i)});
    }
    return entries;
}

// The two parts of the prediction on their own, without the windows.
void BM_PredictWithoutDisk(benchmark::State& state) {
    const std::vector<kestrix::ListEntry> entries = ListOfFolders("ab");
    for (auto _ : state) benchmark::DoNotOptimize(kestrix::session::PredictWithoutDisk(entries));
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_PredictWithoutDisk)->Unit(benchmark::kMillisecond);

void BM_PredictRun(benchmark::State& state) {
    const std::vector<kestrix::ListEntry> entries = ListOfFolders("ab");
    for (auto _ : state) {
        const auto marks = kestrix::session::PredictRun(entries);
        if (std::count_if(marks->begin(), marks->end(), [](const auto& m) { return m.failing(); }) !=
            FolderCount)
            state.SkipWithError("the conflicts were not all found");
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_PredictRun)->Unit(benchmark::kMillisecond);

// The same with the folders kept from the play before, as the conflict watch
// keeps them from keystroke to keystroke (the folders are read anew until
// their stamps are old enough to tell changes).
void BM_PredictRunWithKeptFolders(benchmark::State& state) {
    const std::vector<kestrix::ListEntry> entries = ListOfFolders("ab");
    kestrix::session::FolderCache folders;
    kestrix::session::PredictRun(entries, {}, &folders);
    for (auto _ : state) {
        const auto marks = kestrix::session::PredictRun(entries, {}, &folders);
        if (std::count_if(marks->begin(), marks->end(), [](const auto& m) { return m.failing(); }) !=
            FolderCount)
            state.SkipWithError("the conflicts were not all found");
    }
    state.counters["folder_reads"] = static_cast<double>(folders.reads());
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_PredictRunWithKeptFolders)->Unit(benchmark::kMillisecond);

class ConflictWindows {
public:
    ConflictWindows() {
        std::vector<kestrix::ListEntry> entries;
        entries.reserve(EntryCount);
        const kestrix::RenameRules none = kestrix::RenameRules::From(kestrix::RenameOptions{}).value();
        for (int f = 0; f < FolderCount; ++f) {
            for (int i = 0; i < FilesPerFolder; ++i) {
                const std::string path = Folders() + "/Folder " + std::to_string(f) + "/" + FileName(i);
                entries.push_back(kestrix::TransformPath(path, 0, EntryCount, none));
            }
        }
        session_.entryList().append(std::move(entries));
        window_.show();
        window_.showOptionsWindow();
        options().insertBox->click();
        waitForMarks();
    }

    kestrix::session::Session& session() { return session_; }
    RenameOptionsWindow& options() { return *window_.findChild<RenameOptionsWindow*>(); }

    // Until every mark follows the last change, then once more for the paint.
    void waitForMarks() {
        while (!session_.conflictsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
    }

private:
    kestrix::session::Session session_;
    MainWindow window_{session_};
};

// From the keystroke until the refresh has run and the views have repainted.
void BM_KeystrokeRefreshWithMarks(benchmark::State& state) {
    ConflictWindows windows;
    QLineEdit* text = windows.options().insertTextEdit;
    text->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        text->setText(QStringLiteral("a"));
        windows.waitForMarks();
        state.ResumeTiming();
        TypeKey(text, Qt::Key_B, QStringLiteral("b"));
        QApplication::processEvents();
        state.PauseTiming();
        windows.waitForMarks();
        if (windows.session().conflictCount() != FolderCount)
            state.SkipWithError("the conflicts were not all marked");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_KeystrokeRefreshWithMarks)->Unit(benchmark::kMillisecond)->Iterations(10);

// From the keystroke until every mark, the disk's too, is shown.
void BM_KeystrokeUntilEveryMarkShown(benchmark::State& state) {
    ConflictWindows windows;
    QLineEdit* text = windows.options().insertTextEdit;
    text->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        text->setText(QStringLiteral("a"));
        windows.waitForMarks();
        state.ResumeTiming();
        TypeKey(text, Qt::Key_B, QStringLiteral("b"));
        windows.waitForMarks();
        state.PauseTiming();
        if (windows.session().conflictCount() != FolderCount)
            state.SkipWithError("the conflicts were not all marked");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}
BENCHMARK(BM_KeystrokeUntilEveryMarkShown)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
