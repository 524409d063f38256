// Reads arbitrary text into a string list, as it is (only then can a document type declaration
// come before the top element) and wrapped as the archive reader wraps a file, then checks that
// what was read wrapped writes and reads back. Line ends written by character reference come
// back normalised once, so the second writing must equal the third.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/VnStringList.h"
#include "testing/FuzzRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzz::readUnwrapped<VnStringList>(input);
    VnStringList list;
    unpackInto(list, input, true);

    const std::string first = packed(list, true);
    VnStringList again, third;
    if (unpackInto(again, first, true) != 0 || again.length() != list.length()) __builtin_trap();
    const std::string second = packed(again, true);
    if (unpackInto(third, second, true) != 0 || packed(third, true) != second) __builtin_trap();
    return 0;
}
