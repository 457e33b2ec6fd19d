// Building list entries for a large batch of realistic paths, with every rule
// on and with none, and removing duplicates from a large list.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "duplicates.h"
#include "name_transform.h"

namespace {

using kestrix::ListEntry;
using kestrix::RenameOptions;

constexpr std::size_t kPathCount = 100'000;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return Next() % bound; }

private:
    std::uint64_t state_;
};

template <std::size_t N>
std::string_view Pick(Random& random, const std::string_view (&items)[N]) {
    return items[random.Below(N)];
}

// Folders and names of mixed length, about one in four with Polish letters.
std::vector<std::string> RealisticPaths(std::size_t count) {
    constexpr std::string_view kRoots[] = {"/home/anna/", "/home/piotr/", "/mnt/dane/", "/media/usb/"};
    constexpr std::string_view kFolders[] = {"Zdjęcia",
                                             "Dokumenty",
                                             "Muzyka",
                                             "2023",
                                             "Wakacje nad morzem",
                                             "Projekty",
                                             "Pobrane",
                                             "Faktury",
                                             "src",
                                             "Świąteczne",
                                             "Rodzina i znajomi",
                                             "backup_old",
                                             "Klient XY",
                                             "raw",
                                             "Łódź",
                                             "Nowy folder",
                                             "tmp",
                                             "Dokumentacja techniczna"};
    constexpr std::string_view kStems[] = {"IMG_",
                                           "DSC",
                                           "Wakacje nad morzem ",
                                           "Faktura nr ",
                                           "raport_",
                                           "Zdjęcie ",
                                           "scan",
                                           "notatka",
                                           "Umowa najmu ",
                                           "track",
                                           "Piosenka - ",
                                           "wniosek o urlop ",
                                           "mapa",
                                           "Żółw ",
                                           "a",
                                           "Prezentacja końcowa "};
    constexpr std::string_view kExtensions[] = {".JPG", ".jpg", ".png",    ".pdf", ".docx", ".mp3",
                                                ".txt", "",     ".tar.gz", ".CR2", ".odt"};
    Random random(2024);
    std::vector<std::string> paths;
    paths.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string path(Pick(random, kRoots));
        for (std::size_t depth = random.Below(4); depth > 0; --depth)
            path.append(Pick(random, kFolders)).append("/");
        path.append(Pick(random, kStems));
        path.append(std::to_string(random.Below(100000)));
        path.append(Pick(random, kExtensions));
        paths.push_back(std::move(path));
    }
    return paths;
}

const std::vector<std::string>& Paths() {
    static const std::vector<std::string> paths = RealisticPaths(kPathCount);
    return paths;
}

RenameOptions EveryRuleOn() {
    return RenameOptions{
        .ChangeExtension = true,
        .NewExtension = "jpg",
        .Scope = 1,
        .ReplaceEnabled = true,
        .ReplaceFrom = "a",
        .ReplaceTo = "ą",
        .DeleteEnabled = true,
        .DeleteMode = kestrix::DeleteMode::FromPosition,
        .DeleteCount = 2,
        .DeletePosition = 3,
        .InsertEnabled = true,
        .InsertMode = kestrix::PlaceMode::AfterPosition,
        .InsertText = "Lato ",
        .InsertPosition = 4,
        .CaseEnabled = true,
        .CaseToLower = true,
        .SpacesEnabled = true,
        .SpacesToUnderscores = true,
        .NumberEnabled = true,
        .NumberStart = "1",
        .NumberAscending = true,
        .NumberLeadingZeros = true,
        .NumberMode = kestrix::PlaceMode::AfterPosition,
        .NumberPosition = 6,
    };
}

void BuildEntries(benchmark::State& state, const RenameOptions& options) {
    const kestrix::RenameRules rules = kestrix::RenameRules::From(options).value();
    const std::vector<std::string>& paths = Paths();
    const auto count = static_cast<std::int64_t>(paths.size());
    std::vector<ListEntry> entries;
    for (auto _ : state) {
        // Dropping the previous batch is not part of building one; the list's
        // own storage is kept, as a list that is refilled keeps it.
        state.PauseTiming();
        entries.clear();
        entries.reserve(paths.size());
        state.ResumeTiming();
        for (std::int64_t i = 0; i < count; ++i)
            entries.push_back(kestrix::TransformPath(paths[i], i, count, rules));
        benchmark::DoNotOptimize(entries.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_BuildEntriesEveryRule(benchmark::State& state) { BuildEntries(state, EveryRuleOn()); }
void BM_BuildEntriesNoRule(benchmark::State& state) { BuildEntries(state, RenameOptions{}); }

// 100,000 entries of which 10% repeat an earlier entry, spread through the list.
void BM_RemoveDuplicateEntries(benchmark::State& state) {
    const std::vector<std::string>& paths = Paths();
    const std::size_t unique = kPathCount - kPathCount / 10;
    std::vector<ListEntry> source;
    source.reserve(kPathCount);
    for (std::size_t i = 0; i < unique; ++i) source.push_back({paths[i], paths[i] + "x"});
    Random random(7);
    for (std::size_t i = unique; i < kPathCount; ++i) {
        source.push_back(source[random.Below(unique)]);
        std::swap(source.back(), source[random.Below(source.size())]);
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<ListEntry> entries = source;
        state.ResumeTiming();
        benchmark::DoNotOptimize(kestrix::RemoveDuplicateEntries(entries));
        state.PauseTiming();
        entries = {};
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPathCount));
}

}  // namespace

BENCHMARK(BM_BuildEntriesEveryRule)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildEntriesNoRule)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveDuplicateEntries)->Unit(benchmark::kMillisecond);
