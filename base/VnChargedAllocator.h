#ifndef VN_BASE_VNCHARGEDALLOCATOR_H
#define VN_BASE_VNCHARGEDALLOCATOR_H

#include <cstddef>
#include <limits>
#include <new>

// Charges `blocks` heap blocks of `bytes` in all to the read in progress on this thread, as
// VnPack::_charge does (each block also costs the allocator's overhead); a read that passes its
// budget is refused by the exception the charge throws. Outside a read it does nothing. For
// the low-level containers that cannot see VnPack.
void vn_read_charge(std::size_t bytes, int blocks);

// An allocator for the standard containers that charges every block to the read in progress
// (vn_read_charge) before allocating it, so a container filled by a read counts against the
// read's budget exactly what it allocates; a refused charge allocates nothing.
template <class T>
class VnChargedAllocator {
public:
    using value_type = T;

    VnChargedAllocator() = default;
    template <class U>
    VnChargedAllocator(const VnChargedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
        vn_read_charge(n * sizeof(T), 1);
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

    template <class U>
    bool operator==(const VnChargedAllocator<U>&) const noexcept {
        return true;
    }
    template <class U>
    bool operator!=(const VnChargedAllocator<U>&) const noexcept {
        return false;
    }
};

#endif  // VN_BASE_VNCHARGEDALLOCATOR_H
