// Reads arbitrary text into a record with a field of every type and a nested
// chain of items, both wrapped as the archive reader wraps a file and as it
// is. What was read must write a document that reads back; texts and floats
// settle after one round (line ends given by character reference are
// normalised, floats rounded to six decimals), so the second writing must
// equal the third.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string writeXML(TestRecord& record) {
    record.packXML();
    return std::string(record.packContents(), static_cast<std::size_t>(record.packSize()));
}

int readRaw(TestRecord& record, std::string text) {
    return record.unpackXML(&text[0], static_cast<int>(text.size()));
}

int readXML(TestRecord& record, const std::string& document) {
    return readRaw(record, "<pack>\n" + document + "\n</pack>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    TestRecord unwrapped;
    readRaw(unwrapped, input);

    TestRecord record;
    readXML(record, input);
    const std::string first = writeXML(record);
    TestRecord again;
    if (readXML(again, first) != 0) __builtin_trap();
    const std::string second = writeXML(again);
    TestRecord third;
    if (readXML(third, second) != 0 || writeXML(third) != second) __builtin_trap();
    return 0;
}
