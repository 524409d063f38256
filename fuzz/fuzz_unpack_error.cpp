// Reads arbitrary bytes into an error, once in the binary form and once as an XML document
// wrapped as the archive reader wraps a file, then checks that what was read packs and
// reads back in the binary form with the same number and text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/VnError.h"

namespace {

std::string text(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}

void checkRoundTrip(VnError& error) {
    const std::string before = text(error.value());
    error.packXML();
    error.pack();
    std::string packed(error.packContents(), static_cast<std::size_t>(error.packSize()));
    VnError again;
    if (again.unpack(&packed[0], static_cast<int>(packed.size())) != 0 ||
        again.integervalue() != error.integervalue() || text(again.value()) != before)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    std::string input(reinterpret_cast<const char*>(data), size);

    VnError binary;
    binary.unpack(&input[0], static_cast<int>(input.size()));
    checkRoundTrip(binary);

    std::string document = "<pack>\n" + input + "\n</pack>";
    VnError xml;
    xml.unpackXML(&document[0], static_cast<int>(document.size()));
    checkRoundTrip(xml);
    return 0;
}
