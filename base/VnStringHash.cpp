#include "base/VnStringHash.h"

#include "base/VnTypes.h"

VnStringHash::VnStringHash() = default;

VnStringHash::~VnStringHash() = default;

int VnStringHash::type() {
    return VN_TYPE_STRING_HASH;
}

VnString VnStringHash::typeXML() {
    return VnString(VN_XML_STRING_HASH);
}

VnStringHash& VnStringHash::operator=(const VnStringHash& other) {
    VnHash<VnString>::operator=(other);
    return *this;
}
