// One request and its reply over loopback, and the framing of a message that carries a list
// of 10,000 strings (packing, compressing and the header) beside zlib's compress alone on the
// same packed bytes. Run by hand:
//   bench_message --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "base/VnStringList.h"
#include "net/VnConnection.h"
#include "testing/TestSupervisor.h"

namespace {

const int kItems = 10000;

// A reply-sized message carrying a list of kItems short strings.
void fill(VnMessage& message) {
    VnStringList* list = new VnStringList();
    for (int i = 0; i < kItems; ++i)
        list->push(new VnString(("frame_" + std::to_string(i)).c_str()));
    message.content(list);
    message.user("bench");
}

void BM_RequestReply(benchmark::State& state) {
    TestSupervisor supervisor(TestSupervisor::Answer);
    for (auto _ : state) {
        VnConnection connection(2000);
        VnMessage request(107), reply;
        if (!connection.open("127.0.0.1", supervisor.port()) || !connection.send(request) ||
            !connection.receive(reply))
            state.SkipWithError("no answer");
        benchmark::DoNotOptimize(reply.content());
    }
}
BENCHMARK(BM_RequestReply)->UseRealTime();

void BM_FrameStringList(benchmark::State& state) {
    VnMessage message(100);
    fill(message);
    std::vector<char> frame;
    VnError error;
    for (auto _ : state) {
        VnConnection::frame(message, frame, error);
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * message.packSize());
    state.counters["frame_bytes"] = static_cast<double>(frame.size());
}
BENCHMARK(BM_FrameStringList);

void BM_CompressOnly(benchmark::State& state) {
    VnMessage message(100);
    fill(message);
    message.pack();
    const std::string packed(message.packContents(), static_cast<std::size_t>(message.packSize()));
    std::vector<Bytef> out(compressBound(packed.size()));
    for (auto _ : state) {
        uLongf length = out.size();
        compress(out.data(), &length, reinterpret_cast<const Bytef*>(packed.data()), packed.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(packed.size()));
}
BENCHMARK(BM_CompressOnly);

void BM_UnframeStringList(benchmark::State& state) {
    VnMessage message(100);
    fill(message);
    std::vector<char> frame;
    VnError error;
    VnConnection::frame(message, frame, error);
    for (auto _ : state) {
        VnMessage back;
        VnConnection::unframe(frame.data(), static_cast<int>(frame.size()), back, error);
        benchmark::DoNotOptimize(back.content());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * message.packSize());
}
BENCHMARK(BM_UnframeStringList);

}  // namespace
