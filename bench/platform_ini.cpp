// The settings file at 50 MB: reading it as the main window's start does
// (every key of "Wyglad", as stored or not) and writing its seven keys as the
// close does. Both must stay well under a second: the work grows with the
// file's size and nothing else.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "ini_file.h"

namespace {

constexpr std::size_t kFileSize = std::size_t{50} << 20;
const char* const kKeys[] = {"Wys", "Szer", "PolY", "PolX", "PodglWys", "SzerKol", "WyglListy"};

// A settings file another program filled: a large section of its own before
// and after "Wyglad", with lines ending in CR LF.
class LargeSettingsFile {
public:
    LargeSettingsFile() {
        std::string pattern = "/tmp/kestrix-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        folder_ = pattern;
        path_ = folder_ + "/kestrix.ini";
        std::string content = "[Inne]\r\n";
        std::size_t line = 0;
        while (content.size() < kFileSize / 2)
            content += "klucz" + std::to_string(line++) + "=wartość tekstowa\r\n";
        content += "[Wyglad]\r\nWys=600\r\nSzer=700\r\nPolY=30\r\nPolX=40\r\n[Dalej]\r\n";
        while (content.size() < kFileSize) content += "; komentarz " + std::to_string(line++) + "\r\n";
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~LargeSettingsFile() {
        std::remove(path_.c_str());
        rmdir(folder_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

const LargeSettingsFile& File() {
    static const LargeSettingsFile file;
    return file;
}

void BM_ReadSettingsOf50MB(benchmark::State& state) {
    const std::string& path = File().path();
    for (auto _ : state) {
        const kestrix::platform::IniFile ini(path);
        int sum = 0;
        // The start asks twice per key, to tell a stored value from a fallback.
        for (const char* key : kKeys)
            sum += ini.readInteger("Wyglad", key, 0) + ini.readInteger("Wyglad", key, 1);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_ReadSettingsOf50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteSettingsOf50MB(benchmark::State& state) {
    const std::string& path = File().path();
    int round = 0;
    for (auto _ : state) {
        kestrix::platform::IniFile ini(path);
        std::vector<std::pair<std::string, std::string>> values;
        for (const char* key : kKeys) values.emplace_back(key, std::to_string(++round));
        if (!ini.writeStrings("Wyglad", values))
            state.SkipWithError("the settings file could not be written");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_WriteSettingsOf50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
