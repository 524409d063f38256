// Unpacks arbitrary bytes into a query, once in the binary form and once as an XML document
// wrapped as the archive reader wraps a file; the query reaches filters and fields. What was
// read, and a copy of it, pack to the same bytes, which read back to the same bytes again.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnQuery.h"
#include "testing/TestRecords.h"

namespace {

void checkRoundTrip(VnQuery& query) {
    const std::string first = packed(query);
    VnQuery copy(query), again;
    copy = query;
    if (packed(copy) != first) __builtin_trap();
    if (unpackInto(again, first) != 0 || packed(again) != first) __builtin_trap();
    query.packXML();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    VnQuery binary, xml;
    unpackInto(binary, input);
    checkRoundTrip(binary);
    unpackInto(xml, input, true);
    checkRoundTrip(xml);
    return 0;
}
