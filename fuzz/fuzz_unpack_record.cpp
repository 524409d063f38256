// Unpacks arbitrary bytes into a record with a field of every type and a
// nested chain of items, then packs what was read. Packed data read back
// packs to the same bytes (after one round, since the first reading may stop
// anywhere inside a nested object).

#include <cstddef>
#include <cstdint>
#include <string>

#include "testing/TestRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    TestRecord record;
    unpackInto(record, std::string(reinterpret_cast<const char*>(data), size));

    const std::string first = packed(record);
    TestRecord second, third;
    if (unpackInto(second, first) != 0) __builtin_trap();
    const std::string settled = packed(second);
    unpackInto(third, settled);
    if (packed(third) != settled) __builtin_trap();
    return 0;
}
