#include "farm/VnResource.h"

VnResource::VnResource() = default;

VnResource::~VnResource() = default;

int VnResource::type() {
    return VN_TYPE_RESOURCE;
}

VnString VnResource::typeXML() {
    return VnString(VN_XML_RESOURCE);
}
