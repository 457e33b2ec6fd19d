// Adding a folder tree to the list, beside a plain enumeration of the same
// tree, and duplicate removal after the file dialog, with the real windows.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <dirent.h>

#include "app/main_window.h"
#include "bench_trees.h"
#include "fresh_process.h"
#include "session/session.h"

namespace {

// 100 folders of 1,000 files, made once and kept for later runs.
const std::string& Tree() {
    static const std::string root = [] {
        const std::string path =
            (std::filesystem::temp_directory_path() / "kestrix-bench-tree-100k/").string();
        if (!std::filesystem::exists(path + ".complete")) {
            std::filesystem::remove_all(path);
            for (int folder = 0; folder < 100; ++folder) {
                const std::string dir = path + "Folder " + std::to_string(folder) + " zdjęcia/";
                std::filesystem::create_directories(dir);
                for (int file = 0; file < 1000; ++file) {
                    std::ofstream(dir + "IMG_" + std::to_string(10000 + file) + " wakacje.jpg");
                }
            }
            std::ofstream(path + ".complete");
        }
        return path;
    }();
    return root;
}

void Enumerate(const std::string& folder, std::vector<std::string>& paths) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (entry->d_type == DT_DIR) {
            Enumerate(folder + name + "/", paths);
        } else {
            paths.push_back(folder + name);
        }
    }
    closedir(dir);
}

// The session and the windows as the program builds them, for one benchmark
// (they must not outlive the application object).
struct Windows {
    Windows() { window.show(); }
    kestrix::session::Session session;
    MainWindow window{session};
};

void BM_PlainEnumeration(benchmark::State& state) {
    const std::string& root = Tree();
    for (auto _ : state) {
        std::vector<std::string> paths;
        Enumerate(root, paths);
        benchmark::DoNotOptimize(paths.data());
        state.counters["files"] = static_cast<double>(paths.size());
    }
}
BENCHMARK(BM_PlainEnumeration)->Unit(benchmark::kMillisecond);

void BM_AddFolderContents(benchmark::State& state) {
    const std::string& root = Tree();
    Windows windows;
    kestrix::session::Session& session = windows.session;
    for (auto _ : state) {
        state.PauseTiming();
        windows.window.clearList();
        state.ResumeTiming();
        session.addFolderContents(root, {.recurse = true, .folders = false, .files = true});
        state.counters["entries"] = session.entryCount();
    }
    windows.window.clearList();
}
BENCHMARK(BM_AddFolderContents)->Unit(benchmark::kMillisecond);

// The first adding of a tree of `folders` folders of 1,000 files, each in a
// fresh process as a user's first adding is (no memory freed by an earlier
// adding to reuse), beside a plain enumeration of the same tree in a fresh
// process of its own in the same round, both after the tree was read once,
// so both find it in the system's caches. The time is until the list is
// painted; the counters give the rest and the ratios to the enumeration.
void BM_FirstAddInFreshProcess(benchmark::State& state) {
    const int folders = static_cast<int>(state.range(0));
    const std::string root = bench::Tree(folders);
    bench::WaitUntilSettled(root, folders);
    bench::MeasureInFreshProcess({"enumerate", root});  // the tree in the caches
    for (auto _ : state) {
        const std::vector<double> plain = bench::MeasureInFreshProcess({"enumerate", root});
        const std::vector<double> added = bench::MeasureInFreshProcess({"add", root});
        if (plain.size() != 3 || added.size() != 8 || added[4] != plain[1]) {
            state.SkipWithError("a fresh process failed, or the entries are not every file");
            break;
        }
        state.SetIterationTime(added[1] / 1000.0);
        state.counters["enumeration_ms"] = plain[0];
        state.counters["in_list_ms"] = added[0];
        state.counters["painted_ms"] = added[1];
        state.counters["first_marks_ms"] = added[2];
        state.counters["settled_ms"] = added[3];
        state.counters["painted_x_enum"] = added[1] / plain[0];
        state.counters["settled_after_paint_ms"] = added[3] - added[1];
        state.counters["entries"] = added[4];
        state.counters["MB_over_idle"] = added[5];
        // CPU, which the load of other processes does not stretch.
        state.counters["enumeration_cpu_ms"] = plain[2];
        state.counters["painted_cpu_ms"] = added[6];
        state.counters["painted_cpu_x_enum"] = added[6] / plain[2];
        state.counters["settled_cpu_all_ms"] = added[7];
    }
}
BENCHMARK(BM_FirstAddInFreshProcess)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ComputeStatistics("min",
                        [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });

void BM_RemoveDuplicates(benchmark::State& state) {
    Windows windows;
    kestrix::session::Session& session = windows.session;
    // 90,000 distinct entries, then 10,000 repeats of some of them spread over the list.
    std::vector<kestrix::ListEntry> entries;
    for (int i = 0; i < 100000; ++i) {
        const int id = i % 10 == 9 ? i / 10 * 7 : i;
        const std::string path =
            "/home/użytkownik/Zdjęcia/" + std::to_string(id / 1000) + "/IMG_" + std::to_string(id) + ".jpg";
        entries.push_back({path, path});
    }
    for (auto _ : state) {
        state.PauseTiming();
        session.entryList().setEntries(entries);
        state.ResumeTiming();
        session.removeDuplicates();
        state.counters["left"] = session.entryCount();
    }
    windows.window.clearList();
}
BENCHMARK(BM_RemoveDuplicates)->Unit(benchmark::kMillisecond);

}  // namespace
