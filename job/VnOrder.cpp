#include "job/VnOrder.h"

#include "base/VnTypes.h"

VnOrder::VnOrder() = default;

VnOrder::VnOrder(const VnOrder& other) : VnPack(other) {
    *this = other;
}

VnOrder::~VnOrder() = default;

void VnOrder::copy(const VnOrder& other) {
    *this = other;
}

int VnOrder::type() {
    return VN_TYPE_ORDER;
}

VnString VnOrder::typeXML() {
    return VnString(VN_XML_ORDER);
}
