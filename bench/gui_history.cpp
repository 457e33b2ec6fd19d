// Opening the history of runs ("Historia zmian…" in the list's menu) with a
// full history: 20 finished runs of 100,000 renames each, their journals as
// large as such runs leave them. The window reads the two ends of each
// journal, not the journals whole; the set-up reports what reading them whole
// would cost for comparison.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>

#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "history/run_history_window.h"
#include "platform/state_files.h"
#include "run/journal_store.h"
#include "run/journal_writer.h"
#include "run/run_history.h"
#include "session/session.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A finished run over `count` photos of one folder, every one renamed, as the
// run journals it: the plan, the items' identities, the outcomes a frame at a
// time, the end and the summary.
bool WriteFinishedRun(const std::string& folder, int count) {
    const std::string runId = kestrix::run::NewRunId();
    const std::string photos = "/home/ania/Zdjęcia/Wakacje 2024/";
    std::vector<kestrix::run::PlanEntry> plan;
    plan.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(100000 + i).substr(1);
        kestrix::run::PlanEntry entry;
        entry.current = photos + "IMG_" + number + ".JPG";
        entry.proposed = photos + "wakacje_" + number + ".jpg";
        entry.identity.type = kestrix::platform::ItemIdentity::Type::File;
        entry.identity.inode = 1'000'000 + static_cast<std::uint64_t>(i);
        entry.identity.hasTimes = true;
        entry.identity.size = 3'000'000;
        entry.identity.modifiedNs = 1'720'000'000'000'000'000;
        plan.push_back(std::move(entry));
    }
    kestrix::run::JournalWriter writer;
    if (!writer.create(kestrix::run::UnfinishedJournalPath(folder, runId),
                       kestrix::run::JournalHeader{kestrix::run::RunKind::Rename, runId, std::string()}) ||
        !writer.writePlan(plan) || !writer.syncPlan() || !writer.writeIdentities(plan)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        writer.addOutcome(i, kestrix::run::Outcome::Renamed, 0, {}, {});
        if (i % 4096 == 4095 && !writer.flush()) return false;
    }
    if (!writer.finish(kestrix::run::SummaryOfRun(count, plan.front().current))) return false;
    writer.close();
    int error = 0;
    return kestrix::platform::RenameFile(writer.path(), kestrix::run::FinishedJournalPath(folder, runId),
                                         error);
}

void BM_OpenRunHistory(benchmark::State& state) {
    const int runs = static_cast<int>(state.range(0));
    const int entries = static_cast<int>(state.range(1));
    const std::string folder = kestrix::run::DefaultJournalFolder();
    for (const std::string& name : kestrix::platform::FileNamesIn(folder)) {
        int error = 0;
        kestrix::platform::RemoveFile(folder + name, error);
    }
    for (int i = 0; i < runs; ++i) {
        if (!WriteFinishedRun(folder, entries)) {
            state.SkipWithError("a journal could not be written");
            return;
        }
    }
    // For comparison: every journal read whole.
    const Clock::time_point wholeStart = Clock::now();
    std::size_t bytes = 0;
    for (const std::string& name : kestrix::platform::FileNamesIn(folder)) {
        std::string content;
        int error = 0;
        kestrix::platform::ReadWholeFile(folder + name, content, error);
        bytes += content.size();
        benchmark::DoNotOptimize(kestrix::run::ParseJournal(content).finished);
    }
    state.counters["read_whole_ms"] = MillisecondsSince(wholeStart);
    state.counters["journal_MB"] = static_cast<double>(bytes) / 1e6;

    kestrix::session::Session session;
    MainWindow window(session);
    window.show();
    QApplication::processEvents();
    double total = 0;
    double worst = 0;
    for (auto _ : state) {
        // A window of its own each time: made, the history read, shown and painted.
        delete window.runHistoryWindow;
        window.runHistoryWindow = nullptr;
        const Clock::time_point start = Clock::now();
        window.runHistoryAction->trigger();
        QApplication::processEvents();
        const double opened = MillisecondsSince(start);
        state.SetIterationTime(opened / 1000.0);
        total += opened;
        worst = std::max(worst, opened);
        if (!window.runHistoryWindow || window.runHistoryWindow->runs().size() != static_cast<size_t>(runs))
            state.SkipWithError("the window does not list every run");
    }
    state.counters["open_ms"] = total / static_cast<double>(state.iterations());
    state.counters["worst_ms"] = worst;
}

BENCHMARK(BM_OpenRunHistory)
    ->Args({20, 100'000})
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
