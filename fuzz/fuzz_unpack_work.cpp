// Reads fuzzed binary or XML data into the agenda and subjob lists, the work hash and the
// variable containers. The first byte chooses: its low three bits the class (modulo the number
// of classes), bit 4 the XML form. What was read must write a form that reads back; after one
// round the writing settles, except for the hashes, whose writing only reads back.

#include <cstddef>
#include <cstdint>

#include "job/VnSubjob.h"
#include "job/VnVariable.h"
#include "job/VnVariableId.h"
#include "job/VnWork.h"
#include "testing/FuzzRecords.h"

namespace {

using fuzz::readChecked;
using fuzz::Settles;

const fuzz::Reader kReaders[] = {
    readChecked<VnWorkList>,
    readChecked<VnSubjobList>,
    readChecked<VnVariableHash, Settles::ReadsBack>,
    readChecked<VnWorkHash, Settles::ReadsBack>,
    readChecked<VnVariableList>,
    readChecked<VnVariableIdList>,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 64 * 1024, {0x10, 0, 0x07}, kReaders);
}
