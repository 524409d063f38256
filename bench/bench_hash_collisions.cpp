// Speed of VnBaseHash when many keys share one hash value, beside as many ordinary keys.
// Keys made of blocks "ab" or "ha" all hash alike (both blocks hash to 783), so all but a few
// of them are stored beyond their probe path. Each benchmark stores N keys and reads every one
// back, for N = 2,000, 8,000 and 32,000: the time per key must stay flat for both kinds, so the
// total grows linearly (the reported complexity is O(N)).
//
// The Crafted rows take keys that a hostile peer computes offline (tests/support/CollidingKeys.h):
// they share the library's hash value and std::hash's value too, so they all meet in the
// overflow index. The Random rows take as many random keys of the same length. For N = 65,536
// and 131,072 each stores the keys and looks every one up (SetGet), or reads them from a packed
// string hash, as a reply brings it, and looks every one up (Reply). Crafted must cost at most a
// few times Random, the ratio flat as N doubles; std::unordered_map with the random keys is the
// reference.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/VnBaseHash.h"
#include "base/VnStringHash.h"
#include "tests/support/CollidingKeys.h"
#include "tests/support/TestRecords.h"

namespace {

using Keys = std::vector<std::unique_ptr<VnString>>;
using Texts = std::vector<std::string>;

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

// n crafted keys, or n random keys of printable bytes as long as the crafted ones; made once
// per count and kind.
const Texts& texts(int n, bool crafted) {
    static std::map<std::pair<int, bool>, Texts> made;
    Texts& out = made[{n, crafted}];
    if (!out.empty()) return out;
    out = colliding::keys(static_cast<std::size_t>(n), true);
    if (crafted) return out;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> printable('!', '~');
    for (std::string& key : out)
        for (char& c : key)
            c = static_cast<char>(printable(random));
    return out;
}

Keys vnKeys(const Texts& texts) {
    Keys keys;
    for (const std::string& text : texts)
        keys.push_back(std::make_unique<VnString>(text.data(), static_cast<int>(text.size())));
    return keys;
}

void countItems(benchmark::State& state, std::size_t n) {
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
    state.SetComplexityN(static_cast<std::int64_t>(n));
}

void setGet(benchmark::State& state, const Keys& keys) {
    for (auto _ : state) {
        VnBaseHash<VnString> hash;
        for (const auto& key : keys)
            hash.set(new VnString("value"), *key);
        for (const auto& key : keys)
            benchmark::DoNotOptimize(hash.get(*key));
    }
    countItems(state, keys.size());
}

// The binary form of a string hash of the keys, each with the value "value", as a reply holds it.
std::string reply(const Texts& keys) {
    std::string data = kVersion + intField(1, static_cast<int>(keys.size()));
    for (const std::string& key : keys)
        data += strField(10, key) + strField(30, "value");
    return data;
}

void readReply(benchmark::State& state, bool crafted) {
    const Texts& keys = texts(static_cast<int>(state.range(0)), crafted);
    const Keys lookUps = vnKeys(keys);
    std::string data = reply(keys);
    for (auto _ : state) {
        VnStringHash hash;
        if (hash.unpack(&data[0], static_cast<int>(data.size())) != 0) state.SkipWithError("read refused");
        for (const auto& key : lookUps)
            benchmark::DoNotOptimize(hash.get(*key));
    }
    countItems(state, keys.size());
}

void BM_CollidingKeysSetGet(benchmark::State& state) {
    setGet(state, collidingKeys(static_cast<int>(state.range(0))));
}

void BM_OrdinaryKeysSetGet(benchmark::State& state) {
    setGet(state, ordinaryKeys(static_cast<int>(state.range(0))));
}

void BM_CraftedKeysSetGet(benchmark::State& state) {
    setGet(state, vnKeys(texts(static_cast<int>(state.range(0)), true)));
}

void BM_RandomKeysSetGet(benchmark::State& state) {
    setGet(state, vnKeys(texts(static_cast<int>(state.range(0)), false)));
}

void BM_UnorderedMapRandomKeysSetGet(benchmark::State& state) {
    const Texts& keys = texts(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> map;
        for (const std::string& key : keys)
            map[key] = "value";
        for (const std::string& key : keys)
            benchmark::DoNotOptimize(map.find(key));
    }
    countItems(state, keys.size());
}

void BM_CraftedKeysReply(benchmark::State& state) {
    readReply(state, true);
}

void BM_RandomKeysReply(benchmark::State& state) {
    readReply(state, false);
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
BENCHMARK(BM_CraftedKeysSetGet)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomKeysSetGet)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnorderedMapRandomKeysSetGet)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CraftedKeysReply)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomKeysReply)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);
