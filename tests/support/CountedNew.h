#ifndef VN_TESTS_SUPPORT_COUNTEDNEW_H
#define VN_TESTS_SUPPORT_COUNTEDNEW_H

// Replaces the global operator new and delete of the one test program whose source includes
// this header (see ReplacedNew.h): every allocation goes through malloc and is counted, and a
// test can make one of them fail.

#include <cstdlib>

namespace {

long allocations = 0;           // made so far
long allocatedBytes = 0;        // what they asked for
long allocationsLeft = -1;      // allocations that succeed before one fails; -1 while none is to fail
bool allocationFailed = false;  // set when one did

}  // namespace

void* testAllocate(std::size_t n) noexcept {
    ++allocations;
    allocatedBytes += static_cast<long>(n);
    if (allocationsLeft == 0) {
        allocationsLeft = -1;
        allocationFailed = true;
        return nullptr;
    }
    if (allocationsLeft > 0) --allocationsLeft;
    return std::malloc(n ? n : 1);
}

void testRelease(void* p) noexcept {
    std::free(p);
}

#include "tests/support/ReplacedNew.h"

#endif  // VN_TESTS_SUPPORT_COUNTEDNEW_H
