#include "job/VnJobLink.h"

VnJobLink::VnJobLink() = default;

VnJobLink::VnJobLink(const VnString&) {}

VnJobLink::~VnJobLink() = default;

void VnJobLink::copy(const VnJobLink& other) {
    *this = other;
}

int VnJobLink::type() {
    return VN_TYPE_JOB_LINK;
}

VnString VnJobLink::typeXML() {
    return VnString(VN_XML_JOB_LINK);
}
