#ifndef VN_TESTS_SUPPORT_REPLACEDNEW_H
#define VN_TESTS_SUPPORT_REPLACEDNEW_H

// Replaces the global operator new and delete of the one test program whose source includes
// this header: every allocation goes through testAllocate(n), which the source defines before
// the include and which answers nullptr when the allocation fails; every release goes to
// testRelease(p), which the source defines too (std::free for a program that counts nothing).

#include <cstdlib>
#include <new>

void* operator new(std::size_t n) {
    if (void* p = testAllocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return testAllocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return testAllocate(n);
}
void operator delete(void* p) noexcept {
    testRelease(p);
}
void operator delete[](void* p) noexcept {
    testRelease(p);
}
void operator delete(void* p, std::size_t) noexcept {
    testRelease(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    testRelease(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    testRelease(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    testRelease(p);
}

#endif  // VN_TESTS_SUPPORT_REPLACEDNEW_H
