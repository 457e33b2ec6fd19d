// Applying the renames of a full list through the rename button, beside a
// plain loop of renameat2 calls doing the same renames, each on fresh files:
// lower case and numbering on, the list reloaded afterwards. The run journals
// itself as it does for a user (the plan written and synced first).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "app/main_window.h"
#include "engine/name_transform.h"
#include "options/rename_options_window.h"
#include "session/session.h"
#include "ui/dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

// The session and the windows as the program builds them, shown, with the
// options the run uses and every question answered Yes (a failure report
// counts as an error).
class Windows {
public:
    Windows() {
        kestrix::ui::dialogSeams().messageBox = [this](QWidget*, QMessageBox::Icon, const QString& caption,
                                                       const QString& text, QMessageBox::StandardButtons) {
            if (caption != QStringLiteral("Pytanie")) {
                ++reports_;
                lastReport_ = text;
            }
            if (text == QStringLiteral("Przerwać zmianę nazw?")) stopAnswered_ = Clock::now();
            return QMessageBox::Yes;
        };
        window_.show();
        RenameOptionsWindow& options = *window_.findChild<RenameOptionsWindow*>();
        options.caseBox->setChecked(true);              // lower case
        options.numberingBox->setChecked(true);         // numbering from 0
        options.reloadAfterApplyBox->setChecked(true);  // reload
        QApplication::processEvents();
    }
    ~Windows() { kestrix::ui::resetDialogSeams(); }

    kestrix::session::Session& session() { return session_; }
    MainWindow& window() { return window_; }
    int reports() const { return reports_; }
    const QString& lastReport() const { return lastReport_; }
    Clock::time_point stopAnswered() const { return stopAnswered_; }

    // Starts the run through the rename button and turns the event loop until it has ended.
    void applyAndWait() {
        QEventLoop loop;
        QObject::connect(&session_, &kestrix::session::Session::runFinished, &loop, &QEventLoop::quit);
        window_.applyRenames();
        if (session_.runGoingOn()) loop.exec();
    }

private:
    kestrix::session::Session session_;
    MainWindow window_{session_};
    int reports_ = 0;
    QString lastReport_;
    Clock::time_point stopAnswered_;
};

// `count` fresh files in folders of 1,000, each named as a camera names it.
std::vector<std::string> MakeFiles(const std::string& root, int count) {
    std::filesystem::remove_all(root);
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string folder = root + "Folder " + std::to_string(i / 1000) + "/";
        if (i % 1000 == 0) std::filesystem::create_directories(folder);
        paths.push_back(folder + "IMG_" + std::to_string(10000 + i % 1000) + " Wakacje.JPG");
        close(open(paths.back().c_str(), O_CREAT | O_WRONLY, 0644));
    }
    // A user's files were written long before a run: their creation is on
    // disk, and does not weigh on the first sync of the run's journal. The
    // first sync writes them; the work it leaves behind (freeing the blocks
    // of the files removed above, which with online discard follows the
    // commit) would hold up the next commit, so a second sync waits for it.
    sync();
    sync();
    return paths;
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A folder of the benchmark's own, with its slash (another benchmark may run
// beside it); empty, and the benchmark skipped, when none can be made.
std::string OwnFolder(benchmark::State& state, const char* pattern) {
    std::string root = (std::filesystem::temp_directory_path() / pattern).string();
    if (!mkdtemp(root.data())) {
        state.SkipWithError("no temporary folder");
        return {};
    }
    return root + '/';
}

// Each iteration times both on fresh files: the plain loop, then the run
// through the window. The benchmark's own time is the window's run.
void BM_ApplyRenames(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string root = OwnFolder(state, "kestrix-bench-apply-XXXXXX");
    if (root.empty()) return;
    Windows windows;
    kestrix::session::Session& session = windows.session();
    double plainTotal = 0;
    double windowTotal = 0;
    // On a machine shared with other work, the fastest of several runs tells
    // what each costs; both are also given as means.
    double plainBest = 1e300;
    double windowBest = 1e300;

    for (auto _ : state) {
        const kestrix::RenameRules rules = kestrix::RenameRules::From(session.options()).value();
        std::vector<kestrix::ListEntry> entries;
        entries.reserve(static_cast<size_t>(count));
        for (const std::string& path : MakeFiles(root, count)) {
            entries.push_back(
                kestrix::TransformPath(path, static_cast<std::int64_t>(entries.size()), count, rules));
        }
        const Clock::time_point plainStart = Clock::now();
        for (const kestrix::ListEntry& entry : entries) {
            if (entry.current == entry.proposed) continue;
            if (renameat2(AT_FDCWD, entry.current.c_str(), AT_FDCWD, entry.proposed.c_str(),
                          RENAME_NOREPLACE) != 0) {
                state.SkipWithError("a plain rename failed");
            }
        }
        const double plain = Milliseconds(Clock::now() - plainStart);

        MakeFiles(root, count);
        session.entryList().setEntries(std::move(entries));
        // A user presses the button after looking at the preview, by which
        // time its conflict marks are in; their cost has a benchmark of its own.
        while (!session.conflictsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
        const Clock::time_point windowStart = Clock::now();
        windows.applyAndWait();
        const double window = Milliseconds(Clock::now() - windowStart);
        state.SetIterationTime(window / 1000.0);

        if (windows.reports() != 0) state.SkipWithError("the run reported failures");
        if (session.entryCount() != count) state.SkipWithError("the list was not reloaded");
        plainTotal += plain;
        windowTotal += window;
        plainBest = std::min(plainBest, plain);
        windowBest = std::min(windowBest, window);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plainTotal / iterations;
    state.counters["window_ms"] = windowTotal / iterations;
    state.counters["ratio"] = windowTotal / plainTotal;
    state.counters["best_ratio"] = windowBest / plainBest;
    windows.window().clearList();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_ApplyRenames)->Arg(10'000)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyRenames)->Arg(100'000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// Five rounds in one process, each on fresh files: the run through the
// rename button beside a plain renameat2 loop doing the same renames, and the
// undo through Ctrl+Z's action beside a plain loop renaming them back. Each
// round's ratios are counters of their own, so that a cost growing from round
// to round shows.
void BM_ApplyAndUndoRounds(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string root = OwnFolder(state, "kestrix-bench-rounds-XXXXXX");
    if (root.empty()) return;
    Windows windows;
    kestrix::session::Session& session = windows.session();
    int round = 0;
    for (auto _ : state) {
        ++round;
        const kestrix::RenameRules rules = kestrix::RenameRules::From(session.options()).value();
        std::vector<kestrix::ListEntry> entries;
        entries.reserve(static_cast<size_t>(count));
        for (const std::string& path : MakeFiles(root, count)) {
            entries.push_back(
                kestrix::TransformPath(path, static_cast<std::int64_t>(entries.size()), count, rules));
        }
        const auto plainLoop = [&](bool back) {
            const Clock::time_point start = Clock::now();
            for (const kestrix::ListEntry& entry : entries) {
                if (entry.current == entry.proposed) continue;
                const std::string& from = back ? entry.proposed : entry.current;
                const std::string& to = back ? entry.current : entry.proposed;
                if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
                    state.SkipWithError("a plain rename failed");
            }
            return Milliseconds(Clock::now() - start);
        };
        const double plainApply = plainLoop(false);
        const double plainBack = plainLoop(true);

        MakeFiles(root, count);
        session.entryList().setEntries(std::move(entries));
        while (!session.conflictsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
        Clock::time_point start = Clock::now();
        windows.applyAndWait();
        const double apply = Milliseconds(Clock::now() - start);

        QEventLoop loop;
        QObject::connect(&session, &kestrix::session::Session::runFinished, &loop, &QEventLoop::quit);
        start = Clock::now();
        windows.window().undoLastRun();
        if (session.runGoingOn()) loop.exec();
        const double undo = Milliseconds(Clock::now() - start);
        state.SetIterationTime((apply + undo) / 1000.0);

        if (windows.reports() != 0) state.SkipWithError("a run reported failures");
        if (session.entryCount() != count) state.SkipWithError("the list was not reloaded");
        const std::string suffix = "_" + std::to_string(round);
        state.counters["apply_ratio" + suffix] = apply / plainApply;
        state.counters["undo_ratio" + suffix] = undo / plainBack;
        state.counters["apply_ms" + suffix] = apply;
        state.counters["undo_ms" + suffix] = undo;
    }
    windows.window().clearList();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_ApplyAndUndoRounds)->Arg(100'000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// Escape answered with Yes once a fifth of the run is done: the time from the
// answer to the run's end signalled (the journal's end recorded, the list
// settled). The run of the whole list is what the gauge would have gone on for.
void BM_StopRun(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string root = OwnFolder(state, "kestrix-bench-stop-XXXXXX");
    if (root.empty()) return;
    Windows windows;
    kestrix::session::Session& session = windows.session();
    double total = 0;
    double worst = 0;
    for (auto _ : state) {
        const kestrix::RenameRules rules = kestrix::RenameRules::From(session.options()).value();
        std::vector<kestrix::ListEntry> entries;
        entries.reserve(static_cast<size_t>(count));
        for (const std::string& path : MakeFiles(root, count)) {
            entries.push_back(
                kestrix::TransformPath(path, static_cast<std::int64_t>(entries.size()), count, rules));
        }
        session.entryList().setEntries(std::move(entries));
        while (!session.conflictsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QMetaObject::Connection asking =
            QObject::connect(&session, &kestrix::session::Session::runProgress, [&](int percent) {
                if (percent < 20) return;
                QObject::disconnect(asking);
                // As Escape does, once the event loop is back.
                QMetaObject::invokeMethod(
                    &windows.window(), [&] { windows.window().askToStopRun(); }, Qt::QueuedConnection);
            });
        windows.applyAndWait();
        const double stopped = Milliseconds(Clock::now() - windows.stopAnswered());
        QObject::disconnect(asking);
        state.SetIterationTime(stopped / 1000.0);
        if (!windows.lastReport().startsWith(QStringLiteral("Zmiana nazw została przerwana")))
            state.SkipWithError("the run was not stopped");
        total += stopped;
        worst = std::max(worst, stopped);
    }
    state.counters["stop_ms"] = total / static_cast<double>(state.iterations());
    state.counters["worst_ms"] = worst;
    windows.window().clearList();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_StopRun)->Arg(100'000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
