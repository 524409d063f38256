#include "farm/VnMacAddress.h"

#include "base/VnTypes.h"

VnMacAddress::VnMacAddress() = default;

VnMacAddress::~VnMacAddress() = default;

void VnMacAddress::copy(const VnMacAddress& other) {
    *this = other;
}

const VnString& VnMacAddress::value() const {
    return _value;
}

void VnMacAddress::value(const VnString& text) {
    _value = text;
}

int VnMacAddress::type() {
    return VN_TYPE_MAC_ADDRESS;
}

VnString VnMacAddress::typeXML() {
    return VnString(VN_XML_MAC_ADDRESS);
}
