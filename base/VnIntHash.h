#ifndef VN_BASE_VNINTHASH_H
#define VN_BASE_VNINTHASH_H

#include "base/VnDataHash.h"
#include "base/VnString.h"

// The packable hash from strings to 32-bit integers (class 176, "int_hash").
class VnIntHash : public VnDataHash<int> {
public:
    VnIntHash();
    VnIntHash(VnIntHash&& other) noexcept = default;
    ~VnIntHash() override;
    VnIntHash& operator=(VnIntHash&& other) noexcept = default;

    int type() override;
    VnString typeXML() override;
};

#endif
