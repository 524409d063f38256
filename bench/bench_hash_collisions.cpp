// Speed of VnBaseHash when many keys share one hash value, beside as many ordinary keys.
// Keys made of blocks "ab" or "ha" all hash alike (both blocks hash to 783), so all but a few
// of them are stored beyond their probe path. Each benchmark stores N keys and reads every one
// back, for N = 2,000, 8,000 and 32,000: the time per key must stay flat for both kinds, so the
// total grows linearly (the reported complexity is O(N)).
//
// The Crafted rows take keys that a hostile peer computes offline (testing/CollidingKeys.h):
// they share the library's hash value and std::hash's value too, so they all meet in the
// overflow index. The Random rows take as many random keys of the same length. For N = 65,536
// and 131,072 each stores the keys and looks every one up (SetGet), or reads them from a packed
// string hash, as a reply brings it, and looks every one up (Reply). Crafted must cost at most a
// few times Random, the ratio flat as N doubles; std::unordered_map with the random keys is the
// reference.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "base/VnBaseHash.h"
#include "base/VnSimpleHash.h"
#include "base/VnStringHash.h"
#include "bench/CraftedKeys.h"
#include "system/VnConfig.h"
#include "system/VnConfigFile.h"
#include "testing/CollidingKeys.h"
#include "testing/TestRecords.h"

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

// ---------------------------------------------------------------- crafted beside random keys
//
// The Ratio rows time crafted keys and as many random keys of their length in one benchmark,
// in turn, three runs of each, and report the least run of each kind: crafted_ms, random_ms,
// and map_ms, std::unordered_map storing and finding the random keys, the reference; ratio is
// crafted_ms / random_ms and map_ratio crafted_ms / map_ms. The least run is the one the least
// disturbed by other work on the machine. Cases: store and look up every key in a bare
// VnSimpleHash that copies each key (Bare) or takes the key objects made aside (Handed), or in
// a VnBaseHash, a value allocated per key, as VnHash stores (SetGet); read a packed string
// hash as a reply brings it and look up every key (Reply); parse a flat configuration text of
// "key = v" lines (Flat) or a sectioned one of one section (Sectioned) and look up every key.
// Key families (bench/CraftedKeys.h): Library keys share the library's hash value only, with
// the digits that tell them apart at the End (a long shared first part) or the Start; Both
// keys share std::hash's value too (16 bytes per bit of the count). Crafted keys are shuffled,
// as random keys come in no order. Run by hand, pinned to one core:
//   taskset -c 6 bench_hash_collisions --benchmark_filter=Ratio
// (scripts/measure_hash_ratios.sh prints the table).

enum class Family { LibraryEnd, LibraryStart, Both };

const char* familyName(Family family) {
    return family == Family::LibraryEnd     ? "LibraryEnd"
           : family == Family::LibraryStart ? "LibraryStart"
                                            : "Both";
}

// The keys of a family, or random keys as long; made once per family, length and count.
const Texts& keySet(Family family, std::size_t length, std::size_t n, bool random) {
    static std::map<std::tuple<int, std::size_t, std::size_t, bool>, Texts> made;
    Texts& out = made[{static_cast<int>(family), length, n, random}];
    if (!out.empty()) return out;
    if (random) {
        out = crafted::randomKeys(n, length);
    } else if (family == Family::Both) {
        out = crafted::sharedBothHashes(n);
    } else {
        out = crafted::sharedLibraryHash(n, length, family == Family::LibraryEnd);
    }
    // In no order: keys made in their order would fill the ordered index at one end only.
    if (!random) std::shuffle(out.begin(), out.end(), std::mt19937(11));
    return out;
}

std::size_t bothLength(std::size_t n) {
    std::size_t blocks = 1;
    while ((std::size_t(1) << blocks) < n)
        ++blocks;
    return 16 * blocks;
}

// One case: the input it reads, made from the keys, and a run over it that answers how many
// keys it found. A case that hands key objects to the table (handsKeys) gets its own copies of
// the keys, made before the clock starts; it looks up with the others.
struct Case {
    const char* name;
    std::function<std::string(const Texts&)> input;
    std::function<std::size_t(const std::string&, const Keys&, Keys&)> run;
    bool handsKeys = false;
};

std::string configText(const Texts& keys, const char* head) {
    std::string text = head;
    for (const std::string& key : keys)
        text += key + " = v\n";
    return text;
}

std::size_t runBare(const std::string&, const Keys& keys, Keys&) {
    VnSimpleHash<int> hash;
    for (const auto& key : keys)
        hash.set(1, *key);
    std::size_t found = 0;
    for (const auto& key : keys)
        found += hash.get(*key) != 0;
    return found;
}

// The table takes the key objects as they are, copying none.
std::size_t runHanded(const std::string&, const Keys& keys, Keys& handed) {
    VnSimpleHash<int> hash;
    for (auto& key : handed)
        hash.set(1, key.release());
    std::size_t found = 0;
    for (const auto& key : keys)
        found += hash.get(*key) != 0;
    return found;
}

std::size_t runSetGet(const std::string&, const Keys& keys, Keys&) {
    VnBaseHash<VnString> hash;
    for (const auto& key : keys)
        hash.set(new VnString("value"), *key);
    std::size_t found = 0;
    for (const auto& key : keys)
        found += hash.get(*key) != nullptr;
    return found;
}

std::size_t runReply(const std::string& data, const Keys& keys, Keys&) {
    std::string copy = data;
    VnStringHash hash;
    if (hash.unpack(&copy[0], static_cast<int>(copy.size())) != 0) return 0;
    std::size_t found = 0;
    for (const auto& key : keys)
        found += hash.get(*key) != nullptr;
    return found;
}

std::size_t runFlat(const std::string& text, const Keys& keys, Keys&) {
    VnConfig config;
    config.parse(VnString(text.data(), static_cast<int>(text.size())));
    std::size_t found = 0;
    for (const auto& key : keys)
        found += config.exists(*key);
    return found;
}

std::size_t runSectioned(const std::string& text, const Keys& keys, Keys&) {
    VnConfigFile file;
    file.parse(VnString(text.data(), static_cast<int>(text.size())));
    const VnConfig* section = file.config("s");
    std::size_t found = 0;
    for (const auto& key : keys)
        found += section != nullptr && section->exists(*key);
    return found;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"Bare", [](const Texts&) { return std::string(); }, runBare},
        {"Handed", [](const Texts&) { return std::string(); }, runHanded, true},
        {"SetGet", [](const Texts&) { return std::string(); }, runSetGet},
        {"Reply", reply, runReply},
        {"Flat", [](const Texts& keys) { return configText(keys, ""); }, runFlat},
        {"Sectioned", [](const Texts& keys) { return configText(keys, "[s]\n"); }, runSectioned},
    };
    return all;
}

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double msOf(const Case& c, const std::string& input, const Texts& texts, const Keys& keys,
            benchmark::State& state) {
    Keys handed = c.handsKeys ? vnKeys(texts) : Keys();
    const auto start = Clock::now();
    if (c.run(input, keys, handed) != keys.size()) state.SkipWithError("keys lost");
    return msSince(start);
}

// The reference: std::unordered_map storing and finding the keys.
double mapMsOf(const Texts& keys, benchmark::State& state) {
    const auto start = Clock::now();
    std::unordered_map<std::string, int> map;
    for (const std::string& key : keys)
        map.emplace(key, 1);
    std::size_t found = 0;
    for (const std::string& key : keys)
        found += map.find(key) != map.end();
    if (found != keys.size()) state.SkipWithError("keys lost");
    return msSince(start);
}

constexpr int kRuns = 3;  // runs of each kind per row; the least counts

void ratio(benchmark::State& state, const Case& c, Family family, std::size_t length) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Texts& craftedKeys = keySet(family, length, n, false);
    const Texts& randomKeys = keySet(family, length, n, true);
    const std::string craftedInput = c.input(craftedKeys), randomInput = c.input(randomKeys);
    const Keys craftedLookUps = vnKeys(craftedKeys), randomLookUps = vnKeys(randomKeys);
    double craftedMs = 1e300, randomMs = 1e300, mapMs = 1e300;
    const auto runCrafted = [&] {
        craftedMs = std::min(craftedMs, msOf(c, craftedInput, craftedKeys, craftedLookUps, state));
    };
    bool craftedFirst = true;
    for (auto _ : state) {
        if (craftedFirst) runCrafted();
        randomMs = std::min(randomMs, msOf(c, randomInput, randomKeys, randomLookUps, state));
        if (!craftedFirst) runCrafted();
        mapMs = std::min(mapMs, mapMsOf(randomKeys, state));
        craftedFirst = !craftedFirst;
    }
    state.counters["key_bytes"] = static_cast<double>(craftedKeys[0].size());
    state.counters["crafted_ms"] = craftedMs;
    state.counters["random_ms"] = randomMs;
    state.counters["map_ms"] = mapMs;
    state.counters["ratio"] = craftedMs / randomMs;
    state.counters["map_ratio"] = craftedMs / mapMs;
}

// Ratio/<case>/<family>/<key bytes>/<count>; Both keys take the length their count gives.
const bool kRatiosRegistered = [] {
    const std::vector<std::pair<Family, std::size_t>> sets = {
        {Family::LibraryEnd, 12},  {Family::LibraryEnd, 34}, {Family::LibraryStart, 34},
        {Family::LibraryEnd, 200}, {Family::Both, 0},
    };
    for (const Case& c : cases()) {
        for (const auto& set : sets) {
            for (const int n : {65536, 131072}) {
                const std::size_t length = set.first == Family::Both ? bothLength(n) : set.second;
                const std::string name = std::string("Ratio/") + c.name + "/" + familyName(set.first) + "/" +
                                         std::to_string(length);
                benchmark::RegisterBenchmark(
                    name.c_str(),
                    [&c, set, length](benchmark::State& state) { ratio(state, c, set.first, length); })
                    ->Arg(n)
                    ->Iterations(kRuns)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    return true;
}();

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
