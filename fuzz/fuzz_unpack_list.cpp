// Unpacks arbitrary bytes into a string list, then checks that what was read
// packs and reads back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "testing/TestRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    TestStringList list;
    unpackInto(list, std::string(reinterpret_cast<const char*>(data), size));

    const std::string first = packed(list);
    TestStringList again;
    if (unpackInto(again, first) != 0 || packed(again) != first) __builtin_trap();
    return 0;
}
