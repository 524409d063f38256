// Sorting a list of 40,000 strings, all equal or all different, against std::sort of the same
// std::string values in the same run. Equal elements used to make the sort quadratic; both
// shapes must now take about n log n comparisons. Run by hand:
//   bench_sort --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/VnStringList.h"

namespace {

std::vector<std::string> texts(int count, bool equal) {
    std::vector<std::string> out;
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(equal ? std::string("same name") : "name" + std::to_string(seed % 1000003u));
    }
    return out;
}

void BM_VnStringListSort(benchmark::State& state) {
    const std::vector<std::string> values = texts(static_cast<int>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        VnStringList list;
        for (const std::string& v : values)
            list.push(new VnString(v.c_str()));
        state.ResumeTiming();
        list.sort();
        benchmark::DoNotOptimize(list.get(0));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_StdSort(benchmark::State& state) {
    const std::vector<std::string> values = texts(static_cast<int>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> copy = values;
        state.ResumeTiming();
        std::sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

// Second argument: 1 for all-equal strings, 0 for distinct ones.
BENCHMARK(BM_VnStringListSort)->Args({40000, 1})->Args({40000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSort)->Args({40000, 1})->Args({40000, 0})->Unit(benchmark::kMillisecond);
