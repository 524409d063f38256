#include "job/VnRequest.h"

VnRequest::VnRequest() = default;

VnRequest::VnRequest(const VnRequest& other) = default;

VnRequest::~VnRequest() = default;

void VnRequest::copy(const VnRequest& other) {
    *this = other;
}

int VnRequest::type() {
    return VN_TYPE_REQUEST;
}

VnString VnRequest::typeXML() {
    return VnString(VN_XML_REQUEST);
}
