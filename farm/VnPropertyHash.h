#ifndef VN_FARM_VNPROPERTYHASH_H
#define VN_FARM_VNPROPERTYHASH_H

#include "base/VnHash.h"
#include "base/VnTypes.h"
#include "farm/VnProperty.h"

// The packable hash of properties, each under a string key, packed as every VnHash is. Its
// assignment is a deep copy of the other's entries, each property copied as VnProperty::copy
// copies (without its value object); each hash keeps its own packing state.
VN_DECLARE_HASH(VnPropertyHash, VnProperty, VN_TYPE_PROPERTY_HASH, VN_XML_PROPERTY_HASH)

#endif  // VN_FARM_VNPROPERTYHASH_H
