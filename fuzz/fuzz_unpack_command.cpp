// Reads fuzzed binary or XML data into the commands (the modify command with its job), the
// operation and the order. The first byte chooses: its low three bits the class (modulo the
// number of classes), bit 4 the XML form. What was read, and a copy of it, must write a form
// that reads back; after one round (the first reading may stop anywhere, XML text is
// normalised) the writing settles.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "job/VnBumpCommand.h"
#include "job/VnCommand.h"
#include "job/VnModifyCommand.h"
#include "job/VnOperation.h"
#include "job/VnOrder.h"
#include "tests/support/TestRecords.h"

namespace {

struct Kind {
    std::unique_ptr<VnPack> (*make)();
    std::unique_ptr<VnPack> (*clone)(VnPack& from);
};

template <class T>
std::unique_ptr<VnPack> make() {
    return std::unique_ptr<VnPack>(new T());
}

template <class T>
std::unique_ptr<VnPack> clone(VnPack& from) {
    return std::unique_ptr<VnPack>(new T(static_cast<T&>(from)));
}

template <class T>
constexpr Kind kind() {
    return {make<T>, clone<T>};
}

const Kind kKinds[] = {kind<VnCommand>(), kind<VnBumpCommand>(), kind<VnOperation>(), kind<VnOrder>(),
                       kind<VnModifyCommand>()};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    const Kind& kind = kKinds[(data[0] & 0x07) % (sizeof kKinds / sizeof kKinds[0])];
    const bool xml = (data[0] & 0x10) != 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    std::unique_ptr<VnPack> record = kind.make(), again = kind.make(), third = kind.make();
    unpackInto(*record, input, xml);
    const std::string first = packed(*record, xml);
    if (packed(*kind.clone(*record), xml) != first) __builtin_trap();
    if (unpackInto(*again, first, xml) != 0) __builtin_trap();
    const std::string second = packed(*again, xml);
    if (unpackInto(*third, second, xml) != 0) __builtin_trap();
    if (packed(*third, xml) != second) __builtin_trap();
    return 0;
}
