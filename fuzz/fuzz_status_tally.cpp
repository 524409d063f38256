// Reverts arbitrary text into a tally, then checks that its text form reverts to the same
// counters up to the first negative one, and to 0 from there on (no sign is read back).

#include <cstddef>
#include <cstdint>

#include "job/VnStatus.h"
#include "job/VnStatusTally.h"

namespace {

// One status code of each counter, in the order of the text form.
const int kCodes[] = {VnStatus::RUNNING,   VnStatus::BLOCKED, VnStatus::COMPLETE, VnStatus::PENDING,
                      VnStatus::SUSPENDED, VnStatus::FAILED,  VnStatus::KILLED,   VnStatus::WAITING,
                      VnStatus::NONE,      VnStatus::WARNING, VnStatus::BADLOGIN};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    VnStatusTally tally, again;
    tally.revert(VnString(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    again.add(VnStatus::RUNNING, 3);
    again.revert(tally.convert());
    bool negative = false;
    for (int code : kCodes) {
        negative = negative || tally.get(code) < 0;
        if (again.get(code) != (negative ? 0 : tally.get(code))) __builtin_trap();
    }
    return 0;
}
