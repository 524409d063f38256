#include "farm/VnPropertyHash.h"

#include "base/VnTypes.h"

VnPropertyHash::VnPropertyHash() = default;

VnPropertyHash::~VnPropertyHash() = default;

VnPropertyHash& VnPropertyHash::operator=(const VnPropertyHash& other) {
    VnHash<VnProperty>::operator=(other);
    return *this;
}

int VnPropertyHash::type() {
    return VN_TYPE_PROPERTY_HASH;
}

VnString VnPropertyHash::typeXML() {
    return VnString(VN_XML_PROPERTY_HASH);
}
