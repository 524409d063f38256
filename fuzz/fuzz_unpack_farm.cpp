// Reads fuzzed binary or XML data into one of the farm records or their lists and hashes. The
// first byte chooses: its low four bits the class (modulo the number of classes), bit 4 the
// XML form. What was read must write a form that reads back; after one round (the first
// reading may stop anywhere, XML text is normalised) the writing settles. Classes holding a
// hash write their pairs in slot order, which may differ between equal hashes, so for them
// only the reading back is checked.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "farm/VnAddress.h"
#include "farm/VnHost.h"
#include "farm/VnHostname.h"
#include "farm/VnMacAddress.h"
#include "farm/VnPathMap.h"
#include "farm/VnReservation.h"
#include "farm/VnReservationHash.h"
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
    {make<VnAddress>, true},          {make<VnMacAddress>, true},  {make<VnHost>, true},
    {make<VnHostList>, true},         {make<VnHostname>, true},    {make<VnHostnameList>, true},
    {make<VnPathMap>, false},         {make<VnReservation>, true}, {make<VnReservationList>, true},
    {make<VnReservationHash>, false},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    const Kind& kind = kKinds[(data[0] & 0x0F) % (sizeof kKinds / sizeof kKinds[0])];
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
