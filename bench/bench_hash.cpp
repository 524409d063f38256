// Look-ups in a VnStringHash beside std::unordered_map<std::string, std::string> holding the
// same keys, in the same run:
// - get, hit, keys "item1".."itemN" (many of them share one hash value);
// - get, hit, random 16-byte keys;
// - get, miss, random 16-byte keys that are not stored.
// Each iteration looks every key up once, in the order of storing and (the "Shuffled" pairs)
// in one shuffled order shared by both containers, for N = 10,000, 100,000 and 1,000,000.
// The "Set" pairs store every key into an empty container, growth included.
// Compare the pairs by their time per item.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/VnStringHash.h"

namespace {

enum Kind { kItemKeys, kRandomKeys };

std::string randomKey(std::mt19937_64& random) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string key(16, ' ');
    for (char& c : key)
        c = letters[random() % (sizeof letters - 1)];
    return key;
}

// The keys to look up, in the forms each container takes, made afresh in the order of the
// look-ups so that neither container finds its probe keys laid out in its own order.
struct Queries {
    std::vector<std::string> texts;
    std::vector<std::unique_ptr<VnString>> strings;

    explicit Queries(const std::vector<std::string>& keys) : texts(keys.begin(), keys.end()) {
        for (const std::string& key : texts)
            strings.push_back(std::make_unique<VnString>(key.c_str()));
    }
};

// Both containers filled with the same N keys, and the keys to look up: the stored ones in
// the order they were stored and shuffled, and as many that are not stored.
struct Fixture {
    Kind kind;
    int n;
    VnStringHash hash;
    std::unordered_map<std::string, std::string> map;
    std::unique_ptr<Queries> inOrder, shuffled, misses;

    Fixture(Kind k, int count) : kind(k), n(count) {
        std::mt19937_64 random(12345);
        std::vector<std::string> keys, absent;
        for (int i = 1; i <= n; ++i)
            keys.push_back(kind == kItemKeys ? "item" + std::to_string(i) : randomKey(random));
        for (int i = 0; i < n; ++i)
            absent.push_back(randomKey(random));  // 62^16 keys: none of them stored
        for (const std::string& key : keys) {
            hash.set(new VnString(key.c_str()), VnString(key.c_str()));
            map[key] = key;
        }
        inOrder = std::make_unique<Queries>(keys);
        std::shuffle(keys.begin(), keys.end(), random);
        shuffled = std::make_unique<Queries>(keys);
        misses = std::make_unique<Queries>(absent);
    }
};

// One fixture at a time: building the 1M ones takes a while, and they are used in turn.
Fixture& fixture(Kind kind, int n) {
    static std::unique_ptr<Fixture> current;
    if (!current || current->kind != kind || current->n != n) {
        current.reset();
        current = std::make_unique<Fixture>(kind, n);
    }
    return *current;
}

enum Look { kHitInOrder, kHitShuffled, kMiss };

void lookUp(benchmark::State& state, Kind kind, Look look, bool vn) {
    Fixture& f = fixture(kind, static_cast<int>(state.range(0)));
    const Queries& queries = look == kHitInOrder    ? *f.inOrder
                             : look == kHitShuffled ? *f.shuffled
                                                    : *f.misses;
    std::int64_t found = 0;
    for (auto _ : state) {
        found = 0;
        if (vn) {
            for (const auto& key : queries.strings) {
                VnString* value = f.hash.get(*key);
                benchmark::DoNotOptimize(value);
                found += value != nullptr;
            }
        } else {
            for (const auto& key : queries.texts) {
                auto at = f.map.find(key);
                benchmark::DoNotOptimize(at);
                found += at != f.map.end();
            }
        }
    }
    if (found != (look == kMiss ? 0 : f.n)) state.SkipWithError("wrong number of keys found");
    state.SetItemsProcessed(state.iterations() * f.n);
}

void BM_HashGetHitItem(benchmark::State& s) {
    lookUp(s, kItemKeys, kHitInOrder, true);
}
void BM_MapGetHitItem(benchmark::State& s) {
    lookUp(s, kItemKeys, kHitInOrder, false);
}
void BM_HashGetHitItemShuffled(benchmark::State& s) {
    lookUp(s, kItemKeys, kHitShuffled, true);
}
void BM_MapGetHitItemShuffled(benchmark::State& s) {
    lookUp(s, kItemKeys, kHitShuffled, false);
}
void BM_HashGetHitRandom(benchmark::State& s) {
    lookUp(s, kRandomKeys, kHitInOrder, true);
}
void BM_MapGetHitRandom(benchmark::State& s) {
    lookUp(s, kRandomKeys, kHitInOrder, false);
}
void BM_HashGetHitRandomShuffled(benchmark::State& s) {
    lookUp(s, kRandomKeys, kHitShuffled, true);
}
void BM_MapGetHitRandomShuffled(benchmark::State& s) {
    lookUp(s, kRandomKeys, kHitShuffled, false);
}
void BM_HashGetMissRandom(benchmark::State& s) {
    lookUp(s, kRandomKeys, kMiss, true);
}
void BM_MapGetMissRandom(benchmark::State& s) {
    lookUp(s, kRandomKeys, kMiss, false);
}

// Stores the fixture's keys into a new container each iteration; the keys are made beforehand.
void store(benchmark::State& state, Kind kind, bool vn) {
    Fixture& f = fixture(kind, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (vn) {
            VnStringHash hash;
            for (const auto& key : f.inOrder->strings)
                hash.set(new VnString(*key), *key);
            benchmark::DoNotOptimize(hash.length());
        } else {
            std::unordered_map<std::string, std::string> map;
            for (const std::string& key : f.inOrder->texts)
                map[key] = key;
            benchmark::DoNotOptimize(map.size());
        }
    }
    state.SetItemsProcessed(state.iterations() * f.n);
}

void BM_HashSetItem(benchmark::State& s) {
    store(s, kItemKeys, true);
}
void BM_MapSetItem(benchmark::State& s) {
    store(s, kItemKeys, false);
}
void BM_HashSetRandom(benchmark::State& s) {
    store(s, kRandomKeys, true);
}
void BM_MapSetRandom(benchmark::State& s) {
    store(s, kRandomKeys, false);
}

}  // namespace

// Registered size by size, each library benchmark beside its reference, so that one fixture
// serves both and the ratio comes from one run.
#define VN_BENCH_HASH_SIZE(n)                                                      \
    BENCHMARK(BM_HashGetHitItem)->Arg(n)->Unit(benchmark::kMicrosecond);           \
    BENCHMARK(BM_MapGetHitItem)->Arg(n)->Unit(benchmark::kMicrosecond);            \
    BENCHMARK(BM_HashGetHitItemShuffled)->Arg(n)->Unit(benchmark::kMicrosecond);   \
    BENCHMARK(BM_MapGetHitItemShuffled)->Arg(n)->Unit(benchmark::kMicrosecond);    \
    BENCHMARK(BM_HashGetHitRandom)->Arg(n)->Unit(benchmark::kMicrosecond);         \
    BENCHMARK(BM_MapGetHitRandom)->Arg(n)->Unit(benchmark::kMicrosecond);          \
    BENCHMARK(BM_HashGetHitRandomShuffled)->Arg(n)->Unit(benchmark::kMicrosecond); \
    BENCHMARK(BM_MapGetHitRandomShuffled)->Arg(n)->Unit(benchmark::kMicrosecond);  \
    BENCHMARK(BM_HashGetMissRandom)->Arg(n)->Unit(benchmark::kMicrosecond);        \
    BENCHMARK(BM_MapGetMissRandom)->Arg(n)->Unit(benchmark::kMicrosecond);         \
    BENCHMARK(BM_HashSetItem)->Arg(n)->Unit(benchmark::kMicrosecond);              \
    BENCHMARK(BM_MapSetItem)->Arg(n)->Unit(benchmark::kMicrosecond);               \
    BENCHMARK(BM_HashSetRandom)->Arg(n)->Unit(benchmark::kMicrosecond);            \
    BENCHMARK(BM_MapSetRandom)->Arg(n)->Unit(benchmark::kMicrosecond)

VN_BENCH_HASH_SIZE(10000);
VN_BENCH_HASH_SIZE(100000);
VN_BENCH_HASH_SIZE(1000000);
