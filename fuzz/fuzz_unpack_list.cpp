// Unpacks arbitrary bytes into a string list, then checks that what was read
// packs and reads back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/TestRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    std::vector<char> input(data, data + size);
    TestStringList list;
    list.unpack(input.data(), static_cast<int>(input.size()));

    list.pack();
    std::vector<char> first(list.packContents(), list.packContents() + list.packSize());
    TestStringList again;
    if (again.unpack(first.data(), static_cast<int>(first.size())) != 0) __builtin_trap();
    again.pack();
    if (again.packSize() != static_cast<int>(first.size()) ||
        std::memcmp(again.packContents(), first.data(), first.size()) != 0) {
        __builtin_trap();
    }
    return 0;
}
