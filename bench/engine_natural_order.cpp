// The keys of 100,000 names in natural order, and their stable order: the
// part of sorting the list by name that is neither the list nor the numbering.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "entry_order.h"
#include "natural_order.h"

namespace {

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < 100'000; ++i) {
        switch (i % 4) {
            case 0:
                names.push_back("Wakacje nad morzem 2024 (" + std::to_string(i) + ").jpg");
                break;
            case 1:
                names.push_back("IMG_" + std::to_string(i) + ".JPG");
                break;
            case 2:
                names.push_back("DSC_" + std::to_string(i) + ".jpg");
                break;
            default:
                names.push_back("Łąka w Żabnie " + std::to_string(i) + ".jpg");
                break;
        }
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(2024));
    return names;
}

void BM_NaturalSortKeys(benchmark::State& state) {
    const std::vector<std::string> names = Names();
    for (auto _ : state) {
        std::vector<std::string> keys;
        keys.reserve(names.size());
        for (const std::string& name : names) keys.push_back(kestrix::NaturalSortKey(name));
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_NaturalSortKeys)->Unit(benchmark::kMillisecond);

void BM_OrderByKeys(benchmark::State& state) {
    std::vector<std::string> keys;
    for (const std::string& name : Names()) keys.push_back(kestrix::NaturalSortKey(name));
    for (auto _ : state) benchmark::DoNotOptimize(kestrix::OrderByText(keys, false).data());
}
BENCHMARK(BM_OrderByKeys)->Unit(benchmark::kMillisecond);

}  // namespace
