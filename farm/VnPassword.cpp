#include "farm/VnPassword.h"

VnPassword::VnPassword() = default;

VnPassword::~VnPassword() = default;

void VnPassword::copy(const VnPassword& other) {
    *this = other;
}

int VnPassword::type() {
    return VN_TYPE_PASSWORD;
}

VnString VnPassword::typeXML() {
    return VnString(VN_XML_PASSWORD);
}
