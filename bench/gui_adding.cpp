// Adding a folder tree to the list, beside a plain enumeration of the same
// tree, and duplicate removal after the file dialog, with the real windows.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <dirent.h>

#include "app/main_window.h"
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
