// Reads fuzzed binary or XML data into a job (with its children, agenda, subjobs, callbacks,
// variables, environment and path map), a job list or a label hash of jobs. The first byte
// chooses: bit 0 the XML form, bits 1 and 2 the class (modulo the number of classes).
//
// What was read must write a form that reads back; after one round the writing settles in
// length (hashes inside a job write their pairs in slot order). A job's copies and its partial
// copy of itself write what it writes, and it may be assigned one of its own children.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnJob.h"
#include "testing/FuzzRecords.h"

namespace {

// The copies are compared in the binary form, whichever form was read.
void checkCopies(VnJob& job, bool) {
    fuzz::checkCopies(job, false);
    const std::string before = packed(job);
    const VnJob& self = job;
    job.base(self);
    fuzz::check(packed(job) == before);
    if (job.children().length() > 0) {
        job = *job.children().get(0);  // the source is a part of the target
        packed(job);
    }
}

using fuzz::readChecked;
using fuzz::Settles;

const fuzz::Reader kReaders[] = {readChecked<VnJob, Settles::InLength, checkCopies>,
                                 readChecked<VnJobList, Settles::InLength>,
                                 readChecked<VnJobLabelHash, Settles::InLength>};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 256 * 1024, {0x01, 1, 0x03}, kReaders);
}
