#include "farm/VnHost.h"

VnHost::VnHost() = default;

VnHost::~VnHost() = default;

void VnHost::copy(const VnHost& other) {
    *this = other;
}

const VnString& VnHost::name() const {
    return _name;
}

void VnHost::name(const VnString& name) {
    _name = name;
}

int VnHost::type() {
    return VN_TYPE_HOST;
}

VnString VnHost::typeXML() {
    return VnString(VN_XML_HOST);
}
