// Unpacks arbitrary bytes into a record with a field of every type and a
// nested chain of items, then packs what was read. Packed data read back
// packs to the same bytes (after one round, since the first reading may stop
// anywhere inside a nested object).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/TestRecords.h"

namespace {

std::vector<char> repack(TestRecord& record) {
    record.pack();
    return std::vector<char>(record.packContents(), record.packContents() + record.packSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    std::vector<char> input(data, data + size);
    TestRecord record;
    record.unpack(input.data(), static_cast<int>(input.size()));

    std::vector<char> first = repack(record);
    TestRecord second;
    if (second.unpack(first.data(), static_cast<int>(first.size())) != 0) __builtin_trap();
    std::vector<char> settled = repack(second);
    TestRecord third;
    third.unpack(settled.data(), static_cast<int>(settled.size()));
    if (repack(third) != settled) __builtin_trap();
    return 0;
}
