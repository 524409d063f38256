// Reads fuzzed binary or XML data into one of the farm records or their lists and hashes. The
// first byte chooses: its low four bits the class (modulo the number of classes), bit 4 the
// XML form. What was read must write a form that reads back; after one round the writing
// settles, except for the classes holding a hash, whose writing only reads back.

#include <cstddef>
#include <cstdint>

#include "farm/VnAddress.h"
#include "farm/VnHost.h"
#include "farm/VnHostname.h"
#include "farm/VnMacAddress.h"
#include "farm/VnPathMap.h"
#include "farm/VnReservation.h"
#include "farm/VnReservationHash.h"
#include "tests/support/FuzzRecords.h"

namespace {

using fuzz::readChecked;
using fuzz::Settles;

const fuzz::Reader kReaders[] = {
    readChecked<VnAddress>,
    readChecked<VnMacAddress>,
    readChecked<VnHost>,
    readChecked<VnHostList>,
    readChecked<VnHostname>,
    readChecked<VnHostnameList>,
    readChecked<VnPathMap, Settles::ReadsBack>,
    readChecked<VnReservation>,
    readChecked<VnReservationList>,
    readChecked<VnReservationHash, Settles::ReadsBack>,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 64 * 1024, {0x10, 0, 0x0F}, kReaders);
}
