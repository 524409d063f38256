#include "base/VnIntHash.h"

#include "base/VnTypes.h"

VnIntHash::VnIntHash() = default;

VnIntHash::~VnIntHash() = default;

int VnIntHash::type() {
    return VN_TYPE_INT_HASH;
}

VnString VnIntHash::typeXML() {
    return VnString(VN_XML_INT_HASH);
}
