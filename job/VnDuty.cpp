#include "job/VnDuty.h"

VnDuty::VnDuty() = default;

VnDuty::VnDuty(const VnDuty& other) = default;

VnDuty::~VnDuty() = default;

void VnDuty::copy(const VnDuty& other) {
    *this = other;
}

int VnDuty::type() {
    return VN_TYPE_DUTY;
}

VnString VnDuty::typeXML() {
    return VnString(VN_XML_DUTY);
}
