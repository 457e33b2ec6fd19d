// 10,000 renames that change only letter case, in one folder of an exFAT
// volume (FUSE), through a journaled run, beside a plain loop of 20,000
// rename() calls on the same volume: two moves per item, as a rename through
// a temporary name takes. Needs root to mount the volume; skipped otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include "exfat_mount.h"
#include "run/rename_run.h"
#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 10'000;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A fresh folder of `kItems` photos named as a camera names them.
std::vector<std::string> MakeFolder(const std::string& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::vector<std::string> names;
    for (int i = 0; i < kItems; ++i) {
        names.push_back("IMG_" + std::to_string(10000 + i) + ".JPG");
        close(open((folder + "/" + names.back()).c_str(), O_CREAT | O_WRONLY, 0644));
    }
    return names;
}

std::string Lower(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

class NoWindow : public kestrix::run::RunListener {
public:
    void entryDone(std::int64_t, const kestrix::run::EntryOutcome& outcome) override {
        failed += outcome.outcome == kestrix::run::Outcome::Failed;
    }
    int failed = 0;
};

void BM_CaseOnlyRenamesOnExfat(benchmark::State& state) {
    kestrix::testing::ExfatMount volume(128);
    const std::string reason = volume.mount();
    if (!reason.empty()) {
        state.SkipWithError(("exFAT volume not available: " + reason).c_str());
        return;
    }
    const std::string folder = volume.root() + "/DCIM";
    kestrix::platform::testing::TempFolder journals;
    double plainTotal = 0;
    double runTotal = 0;
    double plainBest = 1e300;
    double runBest = 1e300;
    for (auto _ : state) {
        std::vector<std::string> names = MakeFolder(folder);
        const Clock::time_point plainStart = Clock::now();
        for (const std::string& name : names) {
            const std::string temporary = folder + "/.tmp-" + name;
            if (rename((folder + "/" + name).c_str(), temporary.c_str()) != 0 ||
                rename(temporary.c_str(), (folder + "/" + Lower(name)).c_str()) != 0) {
                state.SkipWithError("a plain rename failed");
            }
        }
        const double plain = Milliseconds(Clock::now() - plainStart);

        names = MakeFolder(folder);
        std::vector<kestrix::ListEntry> entries;
        for (const std::string& name : names)
            entries.push_back({folder + "/" + name, folder + "/" + Lower(name)});
        const Clock::time_point runStart = Clock::now();
        kestrix::run::RenameRun run(journals.path() + "/");
        if (!run.beginListRun(entries)) state.SkipWithError("the journal could not be written");
        NoWindow window;
        run.execute(window);
        const double ran = Milliseconds(Clock::now() - runStart);
        state.SetIterationTime(ran / 1000.0);
        if (window.failed != 0) state.SkipWithError("renames of the run failed");
        plainTotal += plain;
        runTotal += ran;
        plainBest = std::min(plainBest, plain);
        runBest = std::min(runBest, ran);
    }
    std::filesystem::remove_all(folder);
    const double iterations = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plainTotal / iterations;
    state.counters["run_ms"] = runTotal / iterations;
    state.counters["ratio"] = runTotal / plainTotal;
    state.counters["best_ratio"] = runBest / plainBest;
}
BENCHMARK(BM_CaseOnlyRenamesOnExfat)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
