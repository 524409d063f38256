// Reads fuzzed binary or XML data into the agenda and subjob lists, the work hash and the
// variable containers. The first byte chooses: its low three bits the class (modulo the number
// of classes), bit 4 the XML form. What was read must write a form that reads back; after one
// round (the first reading may stop anywhere, XML text is normalised) the writing settles.
// Hashes write their pairs in slot order, which may differ between equal hashes, so for them
// only the reading back is checked.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "job/VnSubjob.h"
#include "job/VnVariable.h"
#include "job/VnVariableId.h"
#include "job/VnWork.h"
#include "tests/support/TestRecords.h"

namespace {

struct Kind {
    std::unique_ptr<VnPack> (*make)();
    bool settles;  // holds no hash, so its writing is fixed by its value
};

template <class T>
std::unique_ptr<VnPack> make() {
    return std::unique_ptr<VnPack>(new T());
}

const Kind kKinds[] = {
    {make<VnWorkList>, true},  {make<VnSubjobList>, true},   {make<VnVariableHash>, false},
    {make<VnWorkHash>, false}, {make<VnVariableList>, true}, {make<VnVariableIdList>, true},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    const Kind& kind = kKinds[(data[0] & 0x07) % (sizeof kKinds / sizeof kKinds[0])];
    const bool xml = (data[0] & 0x10) != 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    std::unique_ptr<VnPack> record = kind.make(), again = kind.make(), third = kind.make();
    unpackInto(*record, input, xml);
    if (unpackInto(*again, packed(*record, xml), xml) != 0) __builtin_trap();
    const std::string second = packed(*again, xml);
    if (unpackInto(*third, second, xml) != 0) __builtin_trap();
    if (kind.settles && packed(*third, xml) != second) __builtin_trap();
    return 0;
}
