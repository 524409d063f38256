// Reads fuzzed binary or XML data into a job (with its children, agenda, subjobs, callbacks,
// variables, environment and path map), a job list or a label hash of jobs. The first byte
// chooses: bit 0 the XML form, bits 1 and 2 the class (modulo the number of classes).
//
// What was read must write a form that reads back; after one round (the first reading may
// stop anywhere, XML text is normalised) the writing settles. Hashes inside a job write their
// pairs in slot order, which may differ between equal hashes, so only the length of the
// settled form is compared. A job's copy and its partial copy of itself must not change it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "job/VnJob.h"
#include "tests/support/TestRecords.h"

namespace {

template <class T>
std::unique_ptr<VnPack> make() {
    return std::unique_ptr<VnPack>(new T());
}

std::unique_ptr<VnPack> (*const kMakers[])() = {make<VnJob>, make<VnJobList>, make<VnJobLabelHash>};

void checkCopies(VnJob& job) {
    const std::string before = packed(job);
    VnJob copied(job);
    const VnJob& self = job;
    job.base(self);
    job = self;
    if (packed(copied) != before || packed(job) != before) __builtin_trap();
    if (job.children().length() > 0) {
        job = *job.children().get(0);  // the source is a part of the target
        packed(job);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 256 * 1024) return 0;
    const bool xml = (data[0] & 0x01) != 0;
    auto makeOne = kMakers[(data[0] >> 1 & 0x03) % (sizeof kMakers / sizeof kMakers[0])];
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    std::unique_ptr<VnPack> record = makeOne(), again = makeOne(), third = makeOne();
    unpackInto(*record, input, xml);
    if (unpackInto(*again, packed(*record, xml), xml) != 0) __builtin_trap();
    const std::string second = packed(*again, xml);
    if (unpackInto(*third, second, xml) != 0) __builtin_trap();
    if (packed(*third, xml).size() != second.size()) __builtin_trap();
    if (auto* job = dynamic_cast<VnJob*>(record.get())) checkCopies(*job);
    return 0;
}
