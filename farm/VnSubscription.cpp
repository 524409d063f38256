#include "farm/VnSubscription.h"

VnSubscription::VnSubscription() = default;

VnSubscription::~VnSubscription() = default;

int VnSubscription::type() {
    return VN_TYPE_SUBSCRIPTION;
}

VnString VnSubscription::typeXML() {
    return VnString(VN_XML_SUBSCRIPTION);
}
