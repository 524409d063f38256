// Packing and unpacking of long lists of short strings and of small records,
// each beside a plain memcpy of the same number of bytes. Run by hand:
//   bench_pack --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "testing/TestRecords.h"

namespace {

void fill(TestStringList& list, int count) {
    for (int i = 0; i < count; ++i)
        list.add(VnString(("name" + std::to_string(i)).c_str()));
}

void fill(TestItemList& list, int count) {
    TestItem item;
    for (int i = 0; i < count; ++i) {
        item.id = i;
        item.grade = static_cast<char>('A' + i % 5);
        item.name = ("item" + std::to_string(i)).c_str();
        item.weight = static_cast<float>(i) * 0.5f;
        item.active = static_cast<unsigned char>(i & 1);
        list.add(item);
    }
}

template <class List>
std::vector<char> packedBytes(int count) {
    List list;
    fill(list, count);
    list.pack();
    return std::vector<char>(list.packContents(), list.packContents() + list.packSize());
}

void report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.SetComplexityN(state.range(0));
}

template <class List>
void BM_Pack(benchmark::State& state) {
    List list;
    fill(list, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        list.pack();
        benchmark::DoNotOptimize(list.packContents());
    }
    report(state, static_cast<std::size_t>(list.packSize()));
}

// Includes building and freeing the list that is read into.
template <class List>
void BM_Unpack(benchmark::State& state) {
    std::vector<char> bytes = packedBytes<List>(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        List list;
        benchmark::DoNotOptimize(list.unpack(bytes.data(), static_cast<int>(bytes.size())));
    }
    report(state, bytes.size());
}

template <class List>
void BM_Memcpy(benchmark::State& state) {
    std::vector<char> bytes = packedBytes<List>(static_cast<int>(state.range(0)));
    std::vector<char> target(bytes.size());
    for (auto _ : state) {
        std::memcpy(target.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    report(state, bytes.size());
}

#define VN_PACK_BENCH(fn, List) \
    BENCHMARK_TEMPLATE(fn, List)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)

VN_PACK_BENCH(BM_Memcpy, TestStringList);
VN_PACK_BENCH(BM_Pack, TestStringList);
VN_PACK_BENCH(BM_Unpack, TestStringList);
VN_PACK_BENCH(BM_Memcpy, TestItemList);
VN_PACK_BENCH(BM_Pack, TestItemList);
VN_PACK_BENCH(BM_Unpack, TestItemList);

}  // namespace
