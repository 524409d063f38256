// Peak memory of reads that the read allowance refuses: a TCP frame whose zlib body inflates to
// 64 MiB of element headers of a job list (each header makes a default job), read by the
// message's unpack path as a supervisor reply is, and 64 MiB of "<item/>" element headers of a
// job list read by unpackXML. Each case runs once in a forked child and reports how far the
// child's peak resident size rose above what it held at the start (the input is made before),
// beside the allowance of the read (32 bytes per byte of the packed or XML text it reads, plus
// 16 MiB) and their ratio. Run by hand, one case at a time or both:
//   bench_read_peak
//   /usr/bin/time -v bench_read_peak --benchmark_filter=Reply   (the whole process's peak)

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/VnError.h"
#include "base/VnTypes.h"
#include "job/VnJob.h"
#include "net/VnConnection.h"
#include "net/VnMessage.h"
#include "testing/PeakMemory.h"
#include "testing/TestRecords.h"

namespace {

constexpr std::int64_t kTextBytes = 64 * 1024 * 1024;
constexpr double kMB = 1000.0 * 1000.0;

// What a read of length bytes may give the objects it makes.
std::int64_t allowance(std::int64_t length) {
    return 32 * length + 16 * 1024 * 1024;
}

// A reply (message 9 of user "bob") holding a job list of element headers without bodies, 5
// bytes each, as many as make the packed reply kTextBytes long.
std::string replyOfHeaders() {
    const std::string blank = std::string("\0\12\0\2", 4) + 'x';  // tag 10, char
    const std::string head = kVersion + intField(1, 9) + strField(2, "bob");
    // The list object's own header, its length and count field, before its elements.
    const std::int64_t fixed = static_cast<std::int64_t>(head.size() + objField(3, 5, intField(1, 0)).size());
    const int count = static_cast<int>((kTextBytes - fixed) / static_cast<std::int64_t>(blank.size()));
    std::string fields = intField(1, count);
    fields.reserve(fields.size() + blank.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        fields += blank;
    return head + objField(3, VN_TYPE_JOB_LIST, fields);
}

// A job list document of "<item/>" element headers, kTextBytes long in all.
std::string documentOfHeaders() {
    std::string text = "<pack><version>1</version>\n<object type = 'job_list'>\n";
    const std::string close = "</object></pack>";
    const std::size_t count = (static_cast<std::size_t>(kTextBytes) - text.size() - close.size()) / 7;
    text.reserve(static_cast<std::size_t>(kTextBytes));
    for (std::size_t i = 0; i < count; ++i)
        text += "<item/>";
    text += close;
    return text;
}

void report(benchmark::State& state, long grownKb, std::int64_t readLength, std::int64_t inputLength) {
    const double grown = static_cast<double>(grownKb) * 1024.0;
    const double allowed = static_cast<double>(allowance(readLength));
    state.counters["input_bytes"] = static_cast<double>(inputLength);
    state.counters["read_bytes"] = static_cast<double>(readLength);
    state.counters["peak_MB"] = grown / kMB;
    state.counters["allowance_MB"] = allowed / kMB;
    state.counters["peak_per_allowance"] = grown / allowed;
    state.counters["over_allowance_MB"] = (grown - allowed) / kMB;
}

void BM_Peak_ReplyOfHeaders(benchmark::State& state) {
    std::vector<char> frame;
    std::int64_t packedLength = 0;
    {
        const std::string packed = replyOfHeaders();
        packedLength = static_cast<std::int64_t>(packed.size());
        VnError error;
        if (!VnConnection::frame(packed.data(), static_cast<int>(packed.size()), frame, error))
            state.SkipWithError("not framed");
    }
    for (auto _ : state) {
        const long grown = childPeakGrowthKb([&frame] {
            VnMessage reply;
            VnError error;
            const int read =
                VnConnection::unframe(frame.data(), static_cast<int>(frame.size()), reply, error);
            if (read != 0 || error.integervalue() != 14) std::_Exit(2);  // it must be refused
        });
        if (grown < 0) state.SkipWithError("the reply was not refused");
        report(state, grown, packedLength, static_cast<std::int64_t>(frame.size()));
    }
}

void BM_Peak_DocumentOfHeaders(benchmark::State& state) {
    std::string text = documentOfHeaders();
    for (auto _ : state) {
        const long grown = childPeakGrowthKb([&text] {
            VnJobList jobs;
            if (jobs.unpackXML(&text[0], static_cast<int>(text.size())) != 4) std::_Exit(2);
        });
        if (grown < 0) state.SkipWithError("the document was not refused");
        report(state, grown, static_cast<std::int64_t>(text.size()), static_cast<std::int64_t>(text.size()));
    }
}

}  // namespace

BENCHMARK(BM_Peak_ReplyOfHeaders)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peak_DocumentOfHeaders)->Iterations(1)->Unit(benchmark::kMillisecond);
