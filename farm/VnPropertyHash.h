#ifndef VN_FARM_VNPROPERTYHASH_H
#define VN_FARM_VNPROPERTYHASH_H

#include "base/VnHash.h"
#include "base/VnString.h"
#include "farm/VnProperty.h"

// The packable hash of properties, each under a string key, packed as every VnHash is.
class VnPropertyHash : public VnHash<VnProperty> {
public:
    VnPropertyHash();
    ~VnPropertyHash() override;

    // A deep copy of other's entries, each property copied as VnProperty::copy copies (without
    // its value object); each hash keeps its own packing state.
    VnPropertyHash& operator=(const VnPropertyHash& other);

    int type() override;
    VnString typeXML() override;
};

#endif  // VN_FARM_VNPROPERTYHASH_H
