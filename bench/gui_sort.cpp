// Sorting 100,000 entries of the list with the real windows: by name (the
// keys computed once per entry), and by modification time, the items asked
// about on disk, with the system's caches of inodes and names dropped first
// where the process may (root), otherwise warm (the "cold" counter says which).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/main_window.h"
#include "session/session.h"

namespace {

constexpr int kEntries = 100'000;

struct Windows {
    Windows() { window.show(); }
    kestrix::session::Session session;
    MainWindow window{session};
};

// Numbering from 1 at the start of the names, so that every moved entry is renumbered.
void NumberFromOne(kestrix::session::Session& session, bool on) {
    kestrix::RenameOptions options;
    options.NumberEnabled = on;
    options.NumberStart = "1";
    session.setOptions(options);
}

std::vector<kestrix::ListEntry> Shuffled(std::vector<kestrix::ListEntry> entries) {
    std::shuffle(entries.begin(), entries.end(), std::mt19937(2024));
    return entries;
}

// Names as cameras, phones and people give them, in a shuffled order.
std::vector<kestrix::ListEntry> MixedNames() {
    std::vector<kestrix::ListEntry> entries;
    for (int i = 0; i < kEntries; ++i) {
        const std::string folder = "/home/użytkownik/Zdjęcia/" + std::to_string(i / 1000) + "/";
        std::string name;
        switch (i % 4) {
            case 0:
                name = "Wakacje nad morzem 2024 (" + std::to_string(i) + ").jpg";
                break;
            case 1:
                name = "IMG_" + std::to_string(i) + ".JPG";
                break;
            case 2:
                name = "DSC_" + std::to_string(i) + ".jpg";
                break;
            default:
                name = "Łąka w Żabnie " + std::to_string(i) + ".jpg";
                break;
        }
        entries.push_back({folder + name, folder + name});
    }
    return Shuffled(std::move(entries));
}

// 100 folders of 1,000 files with scattered modification times, made once and kept.
const std::vector<kestrix::ListEntry>& FilesOnDisk() {
    static const std::vector<kestrix::ListEntry> entries = [] {
        const std::string root =
            (std::filesystem::temp_directory_path() / "kestrix-bench-sort-100k/").string();
        const bool made = std::filesystem::exists(root + ".complete");
        if (!made) std::filesystem::remove_all(root);
        std::mt19937 random(7);
        std::vector<kestrix::ListEntry> list;
        for (int folder = 0; folder < 100; ++folder) {
            const std::string dir = root + "Folder " + std::to_string(folder) + "/";
            if (!made) std::filesystem::create_directories(dir);
            for (int file = 0; file < 1000; ++file) {
                const std::string path = dir + "DSC_" + std::to_string(file) + ".jpg";
                if (!made) {
                    std::ofstream(path) << file;
                    const timespec times[2] = {
                        {1'600'000'000 + static_cast<time_t>(random() % 100'000'000), 0},
                        {1'600'000'000 + static_cast<time_t>(random() % 100'000'000), 0}};
                    utimensat(AT_FDCWD, path.c_str(), times, 0);
                }
                list.push_back({path, path});
            }
        }
        if (!made) std::ofstream(root + ".complete");
        return Shuffled(std::move(list));
    }();
    return entries;
}

// Drops the kernel's caches of pages, inodes and names; false where not allowed.
bool DropCaches() {
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool dropped = write(fd, "3", 1) == 1;
    close(fd);
    return dropped;
}

void BM_SortByName(benchmark::State& state) {
    Windows windows;
    kestrix::session::Session& session = windows.session;
    NumberFromOne(session, state.range(0) != 0);
    const std::vector<kestrix::ListEntry> entries = MixedNames();
    for (auto _ : state) {
        state.PauseTiming();
        session.entryList().setEntries(entries);
        state.ResumeTiming();
        session.sortEntries(kestrix::session::SortKey::Name);
    }
    state.counters["entries"] = session.entryCount();
    windows.window.clearList();
}
BENCHMARK(BM_SortByName)->ArgName("numbering")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SortByModificationTime(benchmark::State& state) {
    Windows windows;
    kestrix::session::Session& session = windows.session;
    NumberFromOne(session, true);
    const std::vector<kestrix::ListEntry>& entries = FilesOnDisk();
    const bool cold = state.range(0) != 0;
    bool dropped = cold;
    for (auto _ : state) {
        state.PauseTiming();
        session.entryList().setEntries(entries);
        if (cold) dropped = DropCaches() && dropped;
        state.ResumeTiming();
        session.sortEntries(kestrix::session::SortKey::Modified);
    }
    state.counters["entries"] = session.entryCount();
    state.counters["cold"] = dropped ? 1 : 0;
    windows.window.clearList();
}
BENCHMARK(BM_SortByModificationTime)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The reference: one plain fstatat() per file on one thread, each folder
// opened once, over the same files as they lie in the list.
void BM_PlainStatLoop(benchmark::State& state) {
    const std::vector<kestrix::ListEntry>& entries = FilesOnDisk();
    const bool cold = state.range(0) != 0;
    bool dropped = cold;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) dropped = DropCaches() && dropped;
        state.ResumeTiming();
        std::vector<int> folders;
        for (int folder = 0; folder < 100; ++folder) {
            const std::string& first = entries.front().current;
            const std::string root = first.substr(0, first.rfind("Folder "));
            folders.push_back(
                open((root + "Folder " + std::to_string(folder)).c_str(), O_PATH | O_DIRECTORY));
        }
        std::int64_t newest = 0;
        for (const kestrix::ListEntry& entry : entries) {
            const std::size_t slash = entry.current.rfind('/');
            const std::size_t space = entry.current.rfind(' ', slash);
            const int folder = std::stoi(entry.current.substr(space + 1, slash - space - 1));
            struct stat st;
            if (fstatat(folders[static_cast<size_t>(folder)], entry.current.c_str() + slash + 1, &st,
                        AT_SYMLINK_NOFOLLOW) == 0)
                newest = std::max<std::int64_t>(newest, st.st_mtim.tv_sec);
        }
        for (int fd : folders) close(fd);
        benchmark::DoNotOptimize(newest);
    }
    state.counters["cold"] = dropped ? 1 : 0;
}
BENCHMARK(BM_PlainStatLoop)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
