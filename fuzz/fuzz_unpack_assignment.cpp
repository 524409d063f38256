// Reads fuzzed binary or XML data into an assignment (with its job, subjob, statistics, work
// and variables), a list of them, the statistics, a report, duties, requests and their lists.
// The first byte chooses: its low three bits the class, bit 4 the XML form.
//
// What was read must write a form that reads back; after one round the writing settles in
// length (hashes write their pairs in slot order). A copy writes what its source writes (an
// assignment's copy once given the work, variables and start time that it leaves out), and a
// copy onto itself changes nothing.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnAssignment.h"
#include "job/VnDuty.h"
#include "job/VnJobStats.h"
#include "job/VnReport.h"
#include "job/VnRequest.h"
#include "testing/FuzzRecords.h"

namespace {

void checkAssignmentCopies(VnAssignment& source, bool xml) {
    const std::string before = packed(source, xml);
    VnAssignment copied(source);
    copied.work().copy(source.work());
    copied.variable().copy(source.variable());
    copied.timestart() = source.timestart();
    const VnAssignment& self = source;
    source = self;
    source.copy(self);
    fuzz::check(packed(copied, xml).size() == before.size() && packed(source, xml) == before);
}

template <class T, void (*checkCopies)(T&, bool) = fuzz::checkCopies<T>>
constexpr fuzz::Reader kind = fuzz::readChecked<T, fuzz::Settles::InLength, checkCopies>;

// An assigned list copies its assignments partially, so only the copy onto itself is checked.
const fuzz::Reader kReaders[] = {kind<VnAssignment, checkAssignmentCopies>,
                                 kind<VnAssignmentList, fuzz::checkSelfAssignment<VnAssignmentList>>,
                                 kind<VnJobStats>,
                                 kind<VnDuty>,
                                 kind<VnDutyList>,
                                 kind<VnRequest>,
                                 kind<VnRequestList>,
                                 kind<VnReport>};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 256 * 1024, {0x10, 0, 0x07}, kReaders);
}
