#include "base/VnChargedAllocator.h"

#include "base/VnPack.h"

void vn_read_charge(std::size_t bytes, int blocks) {
    VnPack::_charge(bytes, blocks);
}
