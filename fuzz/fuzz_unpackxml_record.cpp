// Reads arbitrary text into a record with a field of every type and a nested
// chain of items, both wrapped as the archive reader wraps a file and as it
// is. What was read must write a document that reads back; texts and floats
// settle after one round (line ends given by character reference are
// normalised, floats rounded to six decimals), so the second writing must
// equal the third.

#include <cstddef>
#include <cstdint>
#include <string>

#include "testing/TestRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    TestRecord unwrapped;
    std::string raw = input;
    unwrapped.unpackXML(&raw[0], static_cast<int>(raw.size()));

    TestRecord record, again, third;
    unpackInto(record, input, true);
    const std::string first = packed(record, true);
    if (unpackInto(again, first, true) != 0) __builtin_trap();
    const std::string second = packed(again, true);
    if (unpackInto(third, second, true) != 0 || packed(third, true) != second) __builtin_trap();
    return 0;
}
