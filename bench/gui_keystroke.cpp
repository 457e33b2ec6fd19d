// One character typed into the insert text of the options window with the
// whole tree of 100 or 1,000 folders of 1,000 real files in the list, shown,
// the conflict marks on: the CPU the window's thread and every thread of the
// process spend on it, and how long until every mark, the disk's too, follows
// it. Beside it, as the reference, the name transformation of the same
// entries alone.
#include <algorithm>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "app/main_window.h"
#include "bench_trees.h"
#include "engine/name_transform.h"
#include "options/rename_options_window.h"
#include "session/session.h"

namespace {

void TypeKey(QWidget* target, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

class TreeWindows {
public:
    explicit TreeWindows(const std::string& root) {
        window_.show();
        session_.addFolderContents(root, {.recurse = true, .folders = false, .files = true});
        waitForMarks();
        window_.showOptionsWindow();
        options().insertBox->click();
        waitForMarks();
    }
    ~TreeWindows() { window_.clearList(); }

    kestrix::session::Session& session() { return session_; }
    RenameOptionsWindow& options() { return *window_.findChild<RenameOptionsWindow*>(); }

    void waitForMarks() {
        while (!session_.conflictsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
    }

private:
    kestrix::session::Session session_;
    MainWindow window_{session_};
};

void BM_KeystrokeInTree(benchmark::State& state) {
    const int folders = static_cast<int>(state.range(0));
    const std::string root = bench::Tree(folders);
    bench::WaitUntilSettled(root, folders);
    TreeWindows windows(root);
    QLineEdit* text = windows.options().insertTextEdit;
    text->setFocus();
    double mainCpu = 0;
    double allCpu = 0;
    double settled = 0;
    for (auto _ : state) {
        text->setText(QStringLiteral("a"));
        windows.waitForMarks();
        QElapsedTimer clock;
        const double threadBefore = CpuMs(RUSAGE_THREAD);
        const double allBefore = CpuMs(RUSAGE_SELF);
        clock.start();
        TypeKey(text, Qt::Key_B, QStringLiteral("b"));
        windows.waitForMarks();
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        mainCpu += CpuMs(RUSAGE_THREAD) - threadBefore;
        allCpu += CpuMs(RUSAGE_SELF) - allBefore;
        settled += ms;
        if (windows.session().conflictCount() != 0) state.SkipWithError("no name is taken, yet marks show");
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["main_cpu_ms"] = mainCpu / n;
    state.counters["all_cpu_ms"] = allCpu / n;
    state.counters["settled_ms"] = settled / n;
    state.counters["entries"] = windows.session().entryCount();
}
BENCHMARK(BM_KeystrokeInTree)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10)
    ->Repetitions(3)
    ->ComputeStatistics("min",
                        [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });

// The reference: the same names transformed, nothing else.
void BM_KeystrokeReferenceTransform(benchmark::State& state) {
    const int folders = static_cast<int>(state.range(0));
    kestrix::RenameOptions options;
    options.InsertEnabled = true;
    options.InsertText = "ab";
    const kestrix::RenameRules rules = kestrix::RenameRules::From(options).value();
    const std::string root = bench::Tree(folders);
    std::vector<std::string> folderPaths;
    for (int f = 0; f < folders; ++f) folderPaths.push_back(root + bench::FolderName(f));
    std::vector<std::string> names;
    for (int i = 0; i < bench::kFilesPerFolder; ++i) names.push_back(bench::FileName(i));
    for (auto _ : state) {
        const std::int64_t count = static_cast<std::int64_t>(folders) * bench::kFilesPerFolder;
        std::int64_t index = 0;
        for (const std::string& folder : folderPaths) {
            for (const std::string& name : names) {
                kestrix::ListEntry entry =
                    kestrix::TransformPath(folder, name, index++, count, rules, kestrix::ItemKind::File);
                benchmark::DoNotOptimize(entry.proposed.data());
            }
        }
    }
}
BENCHMARK(BM_KeystrokeReferenceTransform)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Repetitions(3);

}  // namespace
