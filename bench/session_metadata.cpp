// The date taken of 10,000 JPEGs (a 1x1 picture with the EXIF of a camera
// and 16 KB of picture data each), side by side in one run: `exiftool -T
// -DateTimeOriginal` over the folder, the session's read into an empty cache
// on every core, and the same read again from the cache. Each iteration reads
// with a fresh cache; the files stay in the page cache for both programs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include "media_files.h"
#include "session/metadata_cache.h"
#include "session/metadata_job.h"
#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPictures = 10'000;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// `kPictures` JPEGs in `folder`, each with a date of its own.
std::vector<std::string> MakePictures(const std::string& folder) {
    const std::string model = folder + "/model.jpg";
    const std::string date = "2024:07:15 10:20:30";
    media::MakeJpeg(model, {{"Exif.Image.Make", "Kestrix"},
                            {"Exif.Image.Model", "Bench 1"},
                            {"Exif.Photo.DateTimeOriginal", date},
                            {"Exif.Photo.DateTimeDigitized", date}});
    std::string bytes = media::ReadBytes(model);
    std::filesystem::remove(model);
    // Picture data before the end marker, as a photo has (no 0xFF in it).
    if (bytes.size() > 2) bytes.insert(bytes.size() - 2, std::string(16 * 1024, '\x11'));
    const std::size_t at = bytes.find(date);
    std::vector<std::string> paths;
    for (int i = 0; i < kPictures; ++i) {
        std::string own = "2024:" + TwoDigits(1 + i % 12) + ":" + TwoDigits(1 + i % 28) + " " +
                          TwoDigits(i % 24) + ":" + TwoDigits(i % 60) + ":30";
        bytes.replace(at, date.size(), own);
        paths.push_back(folder + "/IMG_" + std::to_string(10000 + i) + ".JPG");
        media::WriteBytes(paths.back(), bytes);
    }
    return paths;
}

// How many lines exiftool printed with a date in them.
int ExifToolDates(const std::string& folder) {
    const std::string command = "exiftool -q -T -DateTimeOriginal '" + folder + "'";
    FILE* out = popen(command.c_str(), "r");
    if (!out) return -1;
    int dates = 0;
    char line[256];
    while (fgets(line, sizeof line, out))
        if (std::string(line).starts_with("2024:")) ++dates;
    return pclose(out) == 0 ? dates : -1;
}

int Dates(const kestrix::session::MetadataJob& job) {
    return static_cast<int>(std::count_if(job.results().begin(), job.results().end(), [](const auto& read) {
        return read && read->dateTaken.has_value();
    }));
}

void BM_DateTakenOf10000Jpegs(benchmark::State& state) {
    int argc = 1;
    char name[] = "session_bench";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    kestrix::platform::testing::TempFolder temp;
    const std::vector<std::string> paths = MakePictures(temp.path());
    double exiftoolTotal = 0;
    double coldTotal = 0;
    double cachedTotal = 0;
    double cachedWorst = 0;
    for (auto _ : state) {
        const Clock::time_point exiftoolStart = Clock::now();
        const int exiftoolDates = ExifToolDates(temp.path());
        const double exiftool = Milliseconds(Clock::now() - exiftoolStart);
        if (exiftoolDates != kPictures) state.SkipWithError("exiftool did not read every date");

        kestrix::session::MetadataCache cache;
        const Clock::time_point coldStart = Clock::now();
        kestrix::session::MetadataJob cold(cache, paths, kestrix::platform::DateTakenField);
        cold.waitForEnd();
        const double coldRead = Milliseconds(Clock::now() - coldStart);
        if (Dates(cold) != kPictures) state.SkipWithError("the reader missed dates");

        const Clock::time_point cachedStart = Clock::now();
        kestrix::session::MetadataJob cached(cache, paths, kestrix::platform::DateTakenField);
        cached.waitForEnd();
        const double cachedRead = Milliseconds(Clock::now() - cachedStart);
        if (Dates(cached) != kPictures) state.SkipWithError("the cache missed dates");

        state.SetIterationTime(coldRead / 1000.0);
        exiftoolTotal += exiftool;
        coldTotal += coldRead;
        cachedTotal += cachedRead;
        cachedWorst = std::max(cachedWorst, cachedRead);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["exiftool_ms"] = exiftoolTotal / iterations;
    state.counters["cold_ms"] = coldTotal / iterations;
    state.counters["cached_ms"] = cachedTotal / iterations;
    state.counters["cached_worst_ms"] = cachedWorst;
    state.counters["speedup"] = exiftoolTotal / coldTotal;
}
BENCHMARK(BM_DateTakenOf10000Jpegs)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

// The read from the cache alone, many times over the same files.
void BM_CachedDateTakenOf10000Jpegs(benchmark::State& state) {
    int argc = 1;
    char name[] = "session_bench";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    kestrix::platform::testing::TempFolder temp;
    const std::vector<std::string> paths = MakePictures(temp.path());
    kestrix::session::MetadataCache cache;
    kestrix::session::MetadataJob cold(cache, paths, kestrix::platform::DateTakenField);
    cold.waitForEnd();
    for (int i = 0; i < 3; ++i) {
        const Clock::time_point start = Clock::now();
        kestrix::session::MetadataJob cached(cache, paths, kestrix::platform::DateTakenField);
        cached.waitForEnd();
        state.counters["first_ms" + std::to_string(i)] = Milliseconds(Clock::now() - start);
    }
    for (auto _ : state) {
        kestrix::session::MetadataJob cached(cache, paths, kestrix::platform::DateTakenField);
        cached.waitForEnd();
        if (Dates(cached) != kPictures) state.SkipWithError("the cache missed dates");
    }
}
BENCHMARK(BM_CachedDateTakenOf10000Jpegs)->Unit(benchmark::kMillisecond);
