#include "farm/VnSupe.h"

VnSupe::VnSupe() = default;

VnSupe::~VnSupe() = default;

int VnSupe::type() {
    return VN_TYPE_SUPE;
}

VnString VnSupe::typeXML() {
    return VnString(VN_XML_SUPE);
}
