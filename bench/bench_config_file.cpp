// Sectioned configuration texts and the expansion of their references: 10,000 references in a
// section whose name is 16 bytes to 1 MB long (the time per reference should not grow with the
// name), 20,000 values that hold "$" in such a section, its name plain or ending in "." (the
// time per value should not grow with the name either), chains of 100,000 and 1,000,000 references (the time per link should stay the same),
// 25 values in one cycle, each reading the next four times, and headers that name 100,000
// sections, given a key each, then named again with a second key. Run by hand:
//   bench_config_file --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <iostream>
#include <string>

#include "system/VnConfigFile.h"

namespace {

void parse(benchmark::State& state, const std::string& text, std::int64_t items) {
    const VnString held(text.data(), static_cast<int>(text.size()));
    for (auto _ : state) {
        VnConfigFile file;
        file.parse(held);
        benchmark::DoNotOptimize(file.config("s"));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * items);
}

void BM_ReferencesInALongNamedSection(benchmark::State& state) {
    std::string text = "[" + std::string(state.range(0), 'n') + "]\nx = 1\nv = ";
    for (int i = 0; i < 10000; ++i)
        text += "$x";
    parse(state, text + "\n", 10000);
}

void BM_ValuesInALongNamedSection(benchmark::State& state) {
    std::string text = "[" + std::string(state.range(0), 'n') + (state.range(1) ? "." : "") + "]\nx = 1\n";
    for (int i = 0; i < 20000; ++i)
        text += "k" + std::to_string(i) + " = $x\n";
    parse(state, text, 20000);
}

void BM_Chain(benchmark::State& state) {
    std::string text = "[s]\n";
    for (int i = 0; i < state.range(0); ++i)
        text += "k" + std::to_string(i) + " = $k" + std::to_string(i + 1) + "\n";
    std::cerr.setstate(std::ios::failbit);  // the cut links warn
    parse(state, text + "k" + std::to_string(state.range(0)) + " = end\n", state.range(0));
    std::cerr.clear();
}

void BM_Cycle(benchmark::State& state) {
    std::string text = "[s]\n";
    for (int i = 0; i < 25; ++i) {
        const std::string next = "k" + std::to_string((i + 1) % 25);
        text += "k" + std::to_string(i) + " = \"<" + std::to_string(i) + ">$" + next + "$s." + next + "$" +
                next + "${s." + next + "}\"\n";
    }
    parse(state, text, 25);
}

void BM_Headers(benchmark::State& state) {
    parse(state, "[h[1-100000]]\nk = 1\n[h[1-100000]]\nj = \"$self.k\"\n", 200000);
}

}  // namespace

BENCHMARK(BM_ReferencesInALongNamedSection)
    ->Arg(16)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValuesInALongNamedSection)
    ->Args({16, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chain)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cycle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Headers)->Unit(benchmark::kMillisecond);
