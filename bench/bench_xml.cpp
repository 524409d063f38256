// Reading the XML form: unpackXML of a string list beside a bare expat parse of the same text
// (a parser with empty handlers), registered in turn so that both come from one run, documents
// of element names that share one std::hash value beside random names, and the peak memory of
// documents made of many small elements. Run by hand, pinned to one core:
//   taskset -c 6 bench_xml --benchmark_filter=String --benchmark_repetitions=3
//       --benchmark_report_aggregates_only=true
//   taskset -c 6 bench_xml --benchmark_filter=Names
// The memory benchmarks each read one document once and report how far the process's peak
// resident size grew while reading it; run each on its own (the peak only ever grows):
//   bench_xml --benchmark_filter=Memory_EmptyElements/1000000/

#include <benchmark/benchmark.h>
#include <expat.h>
#include <sys/resource.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/VnStringList.h"
#include "testing/CollidingKeys.h"
#include "testing/TestRecords.h"

namespace {

// A string list of count strings of 8 to 24 letters and digits, as the archive reader reads
// it: the document that packXML writes, wrapped in a "pack" element.
std::string stringListText(int count) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::mt19937 random(20240611u);
    VnStringList list;
    std::string item;
    for (int i = 0; i < count; ++i) {
        item.assign(8 + random() % 17, ' ');
        for (char& c : item)
            c = kChars[random() % (sizeof kChars - 1)];
        list.push(new VnString(item.c_str()));
    }
    return "<pack>\n" + packed(list, true) + "\n</pack>";
}

void perItem(benchmark::State& state, const std::string& text) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["per_item"] =
        benchmark::Counter(static_cast<double>(state.range(0)),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_StringList_Expat(benchmark::State& state) {
    const std::string text = stringListText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(
            parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
        XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
        benchmark::DoNotOptimize(XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1));
        XML_ParserFree(parser);
    }
    perItem(state, text);
}

// Includes making and freeing the list that is read into.
void BM_StringList_UnpackXML(benchmark::State& state) {
    std::string text = stringListText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        VnStringList list;
        if (list.unpackXML(&text[0], static_cast<int>(text.size())) != 0) state.SkipWithError("not read");
        benchmark::DoNotOptimize(list.length());
    }
    perItem(state, text);
}

// Four blocks of 16 XML name characters, letters first, that each leave std::hash's state for
// keys of length bytes as they found it (see CollidingKeys.h): every sequence of them is a name,
// and all names of one length share one std::hash value.
std::vector<std::string> nameBlocks(std::size_t length) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    auto nameByte = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    };
    const std::uint64_t state = colliding::kSeed ^ (length * colliding::kMul);
    std::mt19937_64 random(12345);
    std::vector<std::string> blocks;
    while (blocks.size() < 4) {
        std::uint64_t free = 0;
        for (int i = 0; i < 8; ++i)
            free |= std::uint64_t(static_cast<unsigned char>(kLetters[random() % 52])) << (8 * i);
        char block[16];
        if (colliding::solveBlock(state, free, block) && std::all_of(block + 8, block + 16, nameByte))
            blocks.emplace_back(block, 16);
    }
    return blocks;
}

// A string list document of count empty elements under distinct names of 16 bytes per four
// names (128 bytes for 65,536), crafted to share one std::hash value or random letters, after
// one name ending in a digit, so that the node files every key exactly.
std::string namesText(int count, bool crafted) {
    int positions = 1;
    while ((std::int64_t(1) << (2 * positions)) < count)
        ++positions;
    const std::vector<std::string> blocks = nameBlocks(16 * std::size_t(positions));
    std::mt19937 random(7);
    std::string text = "<pack>\n<version>1</version>\n<object type = 'string_list'>\n<k1/>\n";
    for (int n = 0; n < count; ++n) {
        std::string name;
        for (int i = 0; i < positions; ++i)
            name += blocks[(n >> (2 * i)) & 3];
        if (!crafted) {
            for (char& c : name)
                c = static_cast<char>('a' + random() % 26);
        }
        text += "<" + name + "></" + name + ">\n";
    }
    return text + "</object>\n</pack>";
}

void readNames(benchmark::State& state, bool crafted) {
    std::string text = namesText(static_cast<int>(state.range(0)), crafted);
    for (auto _ : state) {
        VnStringList list;
        if (list.unpackXML(&text[0], static_cast<int>(text.size())) != 0) state.SkipWithError("not read");
    }
    perItem(state, text);
}

void BM_Names_Crafted(benchmark::State& state) {
    readNames(state, true);
}

void BM_Names_Random(benchmark::State& state) {
    readNames(state, false);
}

std::int64_t peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

// Reads a document of one object block holding count copies of element (which holds perCopy
// elements) into a record once, and reports the growth of the peak resident size per element.
void readManyElements(benchmark::State& state, const std::string& element, int perCopy = 1) {
    const int count = static_cast<int>(state.range(0));
    std::string text = "<pack>\n<version>1</version>\n<object type = 'test_item'>\n";
    text.reserve(text.size() + element.size() * static_cast<std::size_t>(count) + 32);
    for (int i = 0; i < count; ++i)
        text += element;
    text += "</object>\n</pack>";
    const std::int64_t before = peakResidentBytes();
    for (auto _ : state) {
        TestItem record;
        if (record.unpackXML(&text[0], static_cast<int>(text.size())) != 0) state.SkipWithError("not read");
    }
    const double growth = static_cast<double>(peakResidentBytes() - before);
    state.counters["peak_growth_MB"] = growth / (1024.0 * 1024.0);
    state.counters["bytes_per_element"] = growth / (static_cast<double>(count) * perCopy);
    state.counters["text_MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}

void BM_Memory_EmptyElements(benchmark::State& state) {
    readManyElements(state, "<a/>");
}

void BM_Memory_EmptyObjects(benchmark::State& state) {
    readManyElements(state, "<object/>");
}

void BM_Memory_ItemObjects(benchmark::State& state) {
    readManyElements(state, "<item><object><id>1</id></object></item>", 3);
}

void BM_Memory_NumberedNames(benchmark::State& state) {
    readManyElements(state, "<a1/><a/>", 2);
}

void BM_Memory_ManyNames(benchmark::State& state) {
    std::string names;  // 676 names, each repeated count times
    for (int i = 0; i < 26 * 26; ++i)
        names += std::string("<") + char('a' + i / 26) + char('a' + i % 26) + "/>";
    readManyElements(state, names, 26 * 26);
}

}  // namespace

BENCHMARK(BM_StringList_Expat)->Arg(10000);
BENCHMARK(BM_StringList_UnpackXML)->Arg(10000);
BENCHMARK(BM_StringList_Expat)->Arg(100000);
BENCHMARK(BM_StringList_UnpackXML)->Arg(100000);
BENCHMARK(BM_StringList_Expat)->Arg(1000000);
BENCHMARK(BM_StringList_UnpackXML)->Arg(1000000);

BENCHMARK(BM_Names_Crafted)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Names_Random)->Arg(65536)->Arg(131072)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Memory_EmptyElements)->Arg(1000000)->Arg(8000000)->Iterations(1);
BENCHMARK(BM_Memory_EmptyObjects)->Arg(1000000)->Iterations(1);
BENCHMARK(BM_Memory_ItemObjects)->Arg(1000000)->Iterations(1);
BENCHMARK(BM_Memory_NumberedNames)->Arg(1000000)->Iterations(1);
BENCHMARK(BM_Memory_ManyNames)->Arg(2000)->Iterations(1);
