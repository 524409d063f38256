// Reads arbitrary text, wrapped as the archive reader wraps a file, into a string list, then
// checks that what was read writes and reads back. Line ends written by character reference
// come back normalised once, so the second writing must equal the third.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/VnStringList.h"

namespace {

std::string writeXML(VnStringList& list) {
    list.packXML();
    return std::string(list.packContents(), static_cast<std::size_t>(list.packSize()));
}

int readXML(VnStringList& list, const std::string& document) {
    std::string wrapped = "<pack>\n" + document + "\n</pack>";
    return list.unpackXML(&wrapped[0], static_cast<int>(wrapped.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    VnStringList list;
    readXML(list, std::string(reinterpret_cast<const char*>(data), size));

    const std::string first = writeXML(list);
    VnStringList again;
    if (readXML(again, first) != 0 || again.length() != list.length()) __builtin_trap();
    const std::string second = writeXML(again);
    VnStringList third;
    if (readXML(third, second) != 0 || writeXML(third) != second) __builtin_trap();
    return 0;
}
