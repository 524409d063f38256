// Frame ranges of 100,000 and 1,000,000 frames: parse of "1-N", value() of frames that do not
// form one run (every third frame left out), and chunk into chunks of 10; patternsplit of as
// many names written as "host[1-10]" items. The time per frame should stay the same from one
// size to the next. Run by hand:
//   bench_range --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <string>

#include "base/VnStringList.h"
#include "job/VnRange.h"

namespace {

VnString wholeRange(std::int64_t frames) {
    return VnString(("1-" + std::to_string(frames)).c_str());
}

void perFrame(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.SetComplexityN(state.range(0));
}

void BM_RangeParse(benchmark::State& state) {
    const VnString text = wholeRange(state.range(0));
    for (auto _ : state) {
        VnRange range;
        range.parse(text);
        benchmark::DoNotOptimize(range.length());
    }
    perFrame(state);
}

void BM_RangeValue(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        VnRange range;
        for (int frame = 1; frame <= state.range(0); ++frame)
            if (frame % 3 != 0) range.add(frame);
        state.ResumeTiming();
        benchmark::DoNotOptimize(range.value().length());
    }
    perFrame(state);
}

void BM_RangeChunk(benchmark::State& state) {
    const VnString text = wholeRange(state.range(0));
    for (auto _ : state) {
        VnRange range(text);
        VnStringList chunks;
        range.chunk(10, chunks);
        benchmark::DoNotOptimize(chunks.length());
    }
    perFrame(state);
}

void BM_PatternSplit(benchmark::State& state) {
    std::string text;
    for (std::int64_t i = 0; i < state.range(0) / 10; ++i)
        text += "host" + std::to_string(i) + "_[1-10],";
    const VnString held(text.data(), static_cast<int>(text.size()));
    for (auto _ : state) {
        VnStringList names;
        VnRange::patternsplit(0, held, names);
        benchmark::DoNotOptimize(names.length());
    }
    perFrame(state);
}

}  // namespace

BENCHMARK(BM_RangeParse)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_RangeValue)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_RangeChunk)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_PatternSplit)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
