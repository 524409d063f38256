// Reads fuzzed binary or XML data into the commands (the modify command with its job), the
// operation and the order. The first byte chooses: its low three bits the class (modulo the
// number of classes), bit 4 the XML form. What was read must write a form that reads back;
// after one round the writing settles. Its copies write what it writes.

#include <cstddef>
#include <cstdint>

#include "job/VnBumpCommand.h"
#include "job/VnCommand.h"
#include "job/VnModifyCommand.h"
#include "job/VnOperation.h"
#include "job/VnOrder.h"
#include "testing/FuzzRecords.h"

namespace {

template <class T>
constexpr fuzz::Reader kind = fuzz::readChecked<T, fuzz::Settles::Exactly, fuzz::checkCopies<T>>;

const fuzz::Reader kReaders[] = {kind<VnCommand>, kind<VnBumpCommand>, kind<VnOperation>, kind<VnOrder>,
                                 kind<VnModifyCommand>};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 64 * 1024, {0x10, 0, 0x07}, kReaders);
}
