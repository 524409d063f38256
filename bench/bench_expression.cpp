// Parsing and evaluating a flat expression of n terms, which makes a tree n
// levels deep: both should grow linearly with n.

#include <benchmark/benchmark.h>

#include <string>

#include "expression/VnExpression.h"
#include "expression/VnScalar.h"

namespace {

// "1 + 2 * 3 - 4 / 5 + 6 ..." with n terms.
VnString flatText(int n) {
    static const char* const ops[] = {" + ", " * ", " - ", " / "};
    std::string text = "1";
    for (int i = 1; i < n; ++i) {
        text += ops[i % 4];
        text += std::to_string(i % 9 + 1);
    }
    return VnString(text.c_str());
}

void BM_Parse(benchmark::State& state) {
    const VnString text = flatText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        VnExpression root;
        root.parse(text);
        benchmark::DoNotOptimize(root.b());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Parse)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN);

void BM_Eval(benchmark::State& state) {
    VnExpression root;
    root.parse(flatText(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        VnScalar out;
        root.eval(out);
        benchmark::DoNotOptimize(out.ival);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Eval)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN);

}  // namespace
