// Reads arbitrary bytes into an error, once in the binary form and once as an XML document
// wrapped as the archive reader wraps a file, then checks that what was read packs and
// reads back in the binary form with the same number and text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/VnError.h"
#include "testing/TestRecords.h"

namespace {

std::string text(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}

void checkRoundTrip(VnError& error) {
    const std::string before = text(error.value());
    error.packXML();
    VnError again;
    if (unpackInto(again, packed(error)) != 0 || again.integervalue() != error.integervalue() ||
        text(again.value()) != before)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    VnError binary, xml;
    unpackInto(binary, input);
    checkRoundTrip(binary);
    unpackInto(xml, input, true);
    checkRoundTrip(xml);
    return 0;
}
