// Speed of the packable containers, each beside a reference in the same run:
// - VnStringHash set/get/remove beside std::unordered_map<std::string, std::string>;
// - packXML/unpackXML of a VnStringList beside a bare expat parse of the same text (the
//   reader's lower bound);
// - pack/unpack of a VnStringHash.
// Every benchmark runs at 10,000 and 100,000 elements: the time per item must stay flat.

#include <benchmark/benchmark.h>
#include <expat.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/VnStringHash.h"
#include "base/VnStringList.h"

namespace {

std::vector<std::string> makeTexts(int n, const char* prefix) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        texts.push_back(prefix + std::to_string(i));
    return texts;
}

std::vector<std::unique_ptr<VnString>> makeKeys(int n) {
    std::vector<std::unique_ptr<VnString>> keys;
    for (const std::string& text : makeTexts(n, "key"))
        keys.push_back(std::make_unique<VnString>(text.c_str()));
    return keys;
}

void fill(VnStringHash& hash, int n) {
    for (int i = 0; i < n; ++i)
        hash.set(new VnString("value"), VnString(("key" + std::to_string(i)).c_str()));
}

void fill(VnStringList& list, int n) {
    for (int i = 0; i < n; ++i)
        list.push(new VnString(("item number " + std::to_string(i)).c_str()));
}

std::string wrapped(VnPack& object) {
    object.packXML();
    return "<pack>\n" + std::string(object.packContents(), static_cast<std::size_t>(object.packSize())) +
           "\n</pack>";
}

void BM_VnStringHashSetGetRemove(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto keys = makeKeys(n);
    for (auto _ : state) {
        VnStringHash hash;
        for (const auto& key : keys)
            hash.set(new VnString("value"), *key);
        for (const auto& key : keys)
            benchmark::DoNotOptimize(hash.get(*key));
        for (const auto& key : keys)
            delete hash.remove(*key);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_UnorderedMapSetGetRemove(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto keys = makeTexts(n, "key");
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> map;
        for (const auto& key : keys)
            map[key] = "value";
        for (const auto& key : keys)
            benchmark::DoNotOptimize(map.find(key));
        for (const auto& key : keys)
            map.erase(key);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_VnStringListPackXML(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    VnStringList list;
    fill(list, n);
    for (auto _ : state) {
        list.packXML();
        benchmark::DoNotOptimize(list.packContents());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_VnStringListUnpackXML(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    VnStringList list;
    fill(list, n);
    std::string text = wrapped(list);
    for (auto _ : state) {
        VnStringList back;
        back.unpackXML(&text[0], static_cast<int>(text.size()));
        if (back.length() != n) state.SkipWithError("list not read back whole");
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_ExpatParseOnly(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    VnStringList list;
    fill(list, n);
    const std::string text = wrapped(list);
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) != XML_STATUS_OK)
            state.SkipWithError("expat refused the text");
        XML_ParserFree(parser);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_VnStringHashPack(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    VnStringHash hash;
    fill(hash, n);
    for (auto _ : state) {
        hash.pack();
        benchmark::DoNotOptimize(hash.packContents());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_VnStringHashUnpack(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    VnStringHash hash;
    fill(hash, n);
    hash.pack();
    std::vector<char> bytes(hash.packContents(), hash.packContents() + hash.packSize());
    for (auto _ : state) {
        VnStringHash back;
        back.unpack(bytes.data(), static_cast<int>(bytes.size()));
        if (back.length() != n) state.SkipWithError("hash not read back whole");
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_VnStringHashSetGetRemove)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnorderedMapSetGetRemove)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VnStringListPackXML)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VnStringListUnpackXML)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpatParseOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VnStringHashPack)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VnStringHashUnpack)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
