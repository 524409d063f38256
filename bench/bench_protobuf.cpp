// The binary form beside protobuf on the same data, library and reference
// registered one after the other at each size so that each ratio comes from
// one run:
// - a string list of 8-24-byte strings: pack / serialize, unpack / parse of a
//   repeated string;
// - a list of records of two ints, two strings and a float: pack / serialize,
//   unpack / parse of a repeated sub-message.
// Unpacking and parsing both build a fresh list and free it in every
// iteration; packing and serialising both reuse their output buffer.
// Run by hand, pinned to one core:
//   taskset -c 5 bench_protobuf --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/VnFields.h"
#include "base/VnStringList.h"
#include "bench_records.pb.h"
#include "testing/TestRecords.h"

namespace {

// Two ints, two strings and a float, as vnbench::Record.
class BenchRecord : public VnPack {
public:
    int id = 0;
    int count = 0;
    VnString name;
    VnString label;
    float weight = 0.0f;

    int type() override { return TEST_TYPE_ITEM; }
    VnString typeXML() override { return VnString(TEST_XML_ITEM); }

    template <class Field>
    void fields(Field field) {
        field(1, "id", id);
        field(2, "count", count);
        field(3, "name", name);
        field(4, "label", label);
        field(5, "weight", weight);
    }
    VN_RECORD_PACKING
};

using BenchRecordList = TestList<BenchRecord, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST>;

// The same pseudo-random texts in every run: lowercase letters, from 8 to 24 bytes.
class Texts {
public:
    std::string next(int shortest = 8, int longest = 24) {
        const int length = shortest + static_cast<int>(step() % std::uint32_t(longest - shortest + 1));
        std::string text(static_cast<std::size_t>(length), 'a');
        for (char& c : text)
            c = static_cast<char>('a' + step() % 26);
        return text;
    }

private:
    std::uint32_t step() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    std::uint32_t state = 12345;
};

struct Data {
    VnStringList strings;
    vnbench::StringList protoStrings;
    BenchRecordList records;
    vnbench::RecordList protoRecords;
};

void fill(Data& data, int n) {
    Texts texts;
    for (int i = 0; i < n; ++i) {
        const std::string text = texts.next();
        data.strings.push(new VnString(text.c_str()));
        data.protoStrings.add_items(text);
    }
    for (int i = 0; i < n; ++i) {
        const std::string name = texts.next(), label = texts.next(8, 16);
        auto* record = new BenchRecord();
        record->id = i;
        record->count = i * 37 % 100000;
        record->name = name.c_str();
        record->label = label.c_str();
        record->weight = static_cast<float>(i) * 0.25f;
        data.records.push(record);
        vnbench::Record* proto = data.protoRecords.add_items();
        proto->set_id(record->id);
        proto->set_count(record->count);
        proto->set_name(name);
        proto->set_label(label);
        proto->set_weight(record->weight);
    }
}

const Data& dataOf(int n) {
    static std::vector<std::pair<int, Data*>> made;  // kept for the whole run
    for (const auto& entry : made)
        if (entry.first == n) return *entry.second;
    made.emplace_back(n, new Data());
    fill(*made.back().second, n);
    return *made.back().second;
}

std::vector<char> packedBytes(VnPack& object) {
    object.pack();
    return std::vector<char>(object.packContents(), object.packContents() + object.packSize());
}

std::string serialized(const google::protobuf::Message& message) {
    return message.SerializeAsString();
}

void report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

template <class List>
void packLibrary(benchmark::State& state, List Data::*member) {
    List& list = const_cast<Data&>(dataOf(static_cast<int>(state.range(0)))).*member;
    for (auto _ : state) {
        list.pack();
        benchmark::DoNotOptimize(list.packContents());
    }
    report(state, static_cast<std::size_t>(list.packSize()));
}

template <class Message>
void serializeProto(benchmark::State& state, Message Data::*member) {
    const Message& message = dataOf(static_cast<int>(state.range(0))).*member;
    std::string out;
    for (auto _ : state) {
        message.SerializeToString(&out);
        benchmark::DoNotOptimize(out.data());
    }
    report(state, out.size());
}

template <class List>
void unpackLibrary(benchmark::State& state, List Data::*member) {
    std::vector<char> bytes =
        packedBytes(const_cast<Data&>(dataOf(static_cast<int>(state.range(0)))).*member);
    for (auto _ : state) {
        List list;
        benchmark::DoNotOptimize(list.unpack(bytes.data(), static_cast<int>(bytes.size())));
    }
    report(state, bytes.size());
}

template <class Message>
void parseProto(benchmark::State& state, Message Data::*member) {
    const std::string bytes = serialized(dataOf(static_cast<int>(state.range(0))).*member);
    for (auto _ : state) {
        Message message;
        benchmark::DoNotOptimize(message.ParseFromArray(bytes.data(), static_cast<int>(bytes.size())));
    }
    report(state, bytes.size());
}

// Library and reference side by side at each size.
template <class First, class Second>
void sideBySide(const std::string& name, First library, Second reference) {
    for (int n : {10000, 100000, 1000000}) {
        benchmark::RegisterBenchmark((name + "/vn").c_str(), library)->Arg(n)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/protobuf").c_str(), reference)
            ->Arg(n)
            ->Unit(benchmark::kMicrosecond);
    }
}

const bool registered = [] {
    sideBySide(
        "StringListPack", [](benchmark::State& s) { packLibrary(s, &Data::strings); },
        [](benchmark::State& s) { serializeProto(s, &Data::protoStrings); });
    sideBySide(
        "StringListUnpack", [](benchmark::State& s) { unpackLibrary(s, &Data::strings); },
        [](benchmark::State& s) { parseProto(s, &Data::protoStrings); });
    sideBySide(
        "RecordListPack", [](benchmark::State& s) { packLibrary(s, &Data::records); },
        [](benchmark::State& s) { serializeProto(s, &Data::protoRecords); });
    sideBySide(
        "RecordListUnpack", [](benchmark::State& s) { unpackLibrary(s, &Data::records); },
        [](benchmark::State& s) { parseProto(s, &Data::protoRecords); });
    return true;
}();

}  // namespace
