#include "farm/VnAddress.h"

#include <cstdint>

#include "base/VnTypes.h"

VnAddress::VnAddress() : _value(0) {}

VnAddress::VnAddress(unsigned int value) : _value(0) {
    this->value(value);
}

VnAddress::~VnAddress() = default;

void VnAddress::copy(const VnAddress& other) {
    *this = other;
}

unsigned int VnAddress::value() const {
    return static_cast<std::uint32_t>(_value);
}

void VnAddress::value(unsigned int value) {
    _value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

VnString VnAddress::stringvalue() const {
    const std::uint32_t bits = value();
    VnString text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += static_cast<int>(bits >> shift & 0xFF);
        if (shift > 0) text += ".";
    }
    return text;
}

int VnAddress::type() {
    return VN_TYPE_ADDRESS;
}

VnString VnAddress::typeXML() {
    return VnString(VN_XML_ADDRESS);
}
