// Reads arbitrary text as a job id and as a work id, then checks that each printed form
// reads back to the same id: the job id and the subjob id (a negative subjob id other than
// "all subjobs" prints as none), the work id's job id and name.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnJobId.h"
#include "job/VnWorkId.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void checkJobId(const VnString& text) {
    const VnJobId id(text);
    const VnJobId again(id.value());
    const int subid = id.subid() < 0 && id.subid() != -2 ? -1 : id.subid();
    check(again.id() == id.id() && again.subid() == subid);
    check(id.sid(7) > -7 && id.sid(7) < 7 && id.sid(0) == 0 && id.sid(-1) == 0);
}

void checkWorkId(const VnString& text) {
    VnWorkId id(text);
    id.workid(5);
    const VnWorkId again(id.value());
    check(again.id() == id.id() && str(again.name()) == str(id.name()) && again.workid() == -1);
    id.value(text);  // appends the name once more
    check(id.name().length() == 2 * again.name().length() && id.workid() == 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    checkJobId(text);
    checkWorkId(text);
    return 0;
}
