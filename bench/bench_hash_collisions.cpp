// Speed of VnBaseHash when many keys share one hash value, beside as many ordinary keys.
// Keys made of blocks "ab" or "ha" all hash alike (both blocks hash to 783), so all but a few
// of them are stored beyond their probe path. Each benchmark stores N keys and reads every one
// back, for N = 2,000, 8,000 and 32,000: the time per key must stay flat for both kinds, so the
// total grows linearly (the reported complexity is O(N)).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/VnBaseHash.h"

namespace {

using Keys = std::vector<std::unique_ptr<VnString>>;

// 2^16 keys of 16 blocks, all with one hash value.
Keys collidingKeys(int n) {
    Keys keys;
    for (int i = 0; i < n; ++i) {
        std::string key;
        for (int b = 0; b < 16; ++b)
            key += (i >> b) & 1 ? "ha" : "ab";
        keys.push_back(std::make_unique<VnString>(key.c_str()));
    }
    return keys;
}

Keys ordinaryKeys(int n) {
    Keys keys;
    for (int i = 0; i < n; ++i)
        keys.push_back(std::make_unique<VnString>(("key" + std::to_string(i)).c_str()));
    return keys;
}

void setGet(benchmark::State& state, const Keys& keys) {
    for (auto _ : state) {
        VnBaseHash<VnString> hash;
        for (const auto& key : keys)
            hash.set(new VnString("value"), *key);
        for (const auto& key : keys)
            benchmark::DoNotOptimize(hash.get(*key));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(keys.size()));
    state.SetComplexityN(static_cast<std::int64_t>(keys.size()));
}

void BM_CollidingKeysSetGet(benchmark::State& state) {
    setGet(state, collidingKeys(static_cast<int>(state.range(0))));
}

void BM_OrdinaryKeysSetGet(benchmark::State& state) {
    setGet(state, ordinaryKeys(static_cast<int>(state.range(0))));
}

}  // namespace

BENCHMARK(BM_CollidingKeysSetGet)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(32000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_OrdinaryKeysSetGet)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(32000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
