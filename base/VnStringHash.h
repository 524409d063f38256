#ifndef VN_BASE_VNSTRINGHASH_H
#define VN_BASE_VNSTRINGHASH_H

#include "base/VnHash.h"
#include "base/VnString.h"

// The packable hash from strings to strings (class 56, "string_hash").
class VnStringHash : public VnHash<VnString> {
public:
    VnStringHash();
    VnStringHash(const VnStringHash& other) = default;
    VnStringHash(VnStringHash&& other) noexcept = default;
    ~VnStringHash() override;

    int type() override;
    VnString typeXML() override;

    // A deep copy of other's entries; each hash keeps its own packing state.
    VnStringHash& operator=(const VnStringHash& other);
    VnStringHash& operator=(VnStringHash&& other) noexcept = default;
};

#endif
