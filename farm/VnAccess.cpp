#include "farm/VnAccess.h"

VnAccess::VnAccess() = default;

VnAccess::~VnAccess() = default;

void VnAccess::copy(const VnAccess& other) {
    *this = other;
}

int VnAccess::type() {
    return VN_TYPE_ACCESS;
}

VnString VnAccess::typeXML() {
    return VnString(VN_XML_ACCESS);
}
