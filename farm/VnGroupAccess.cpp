#include "farm/VnGroupAccess.h"

VnGroupAccess::VnGroupAccess() = default;

VnGroupAccess::~VnGroupAccess() = default;

void VnGroupAccess::copy(const VnGroupAccess& other) {
    *this = other;
}

int VnGroupAccess::type() {
    return VN_TYPE_GROUP_ACCESS;
}

VnString VnGroupAccess::typeXML() {
    return VnString(VN_XML_GROUP_ACCESS);
}
