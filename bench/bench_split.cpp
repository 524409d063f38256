// split of long comma lists of short items, some quoted or braced, at 10,000 and 100,000
// items: the time per item should stay the same. Run by hand:
//   bench_split --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <string>

#include "expression/VnExpression.h"

namespace {

std::string commaList(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += ", ";
        switch (i % 4) {
            case 0:
                text += "item" + std::to_string(i);
                break;
            case 1:
                text += "'quoted, " + std::to_string(i) + "'";
                break;
            case 2:
                text += "{braced,{" + std::to_string(i) + "}}";
                break;
            default:
                text += "name=" + std::to_string(i);
                break;
        }
    }
    return text;
}

void BM_Split(benchmark::State& state) {
    const std::string list = commaList(static_cast<int>(state.range(0)));
    const VnString text(list.data(), static_cast<int>(list.size()));
    for (auto _ : state) {
        VnStringList items;
        VnExpression::split(text, items);
        benchmark::DoNotOptimize(items.length());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(list.size()));
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_Split)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
