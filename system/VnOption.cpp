#include "system/VnOption.h"

#include <cstring>

VnOption::VnOption() : VnOption(0, "") {}

VnOption::VnOption(int tag, const VnString& name) : _tag(tag), _name(name), _value(""), _exists(0) {}

VnOption::~VnOption() = default;

void VnOption::copy(const VnOption& other) {
    *this = other;
}

int VnOption::tag() const {
    return _tag;
}

const VnString& VnOption::name() const {
    return _name;
}

void VnOption::name(const VnString& name) {
    _name = name;
}

const VnString& VnOption::value() const {
    return _value;
}

void VnOption::value(const VnString& value) {
    _value = value;
}

unsigned char VnOption::exists() const {
    return _exists;
}

void VnOption::exists(unsigned char given) {
    _exists = given;
}

int VnOption::match(const VnString& s) const {
    const int n = s.length();
    if (n == 0 || n > _name.length()) return 0;
    return std::memcmp(s.value(), _name.value(), static_cast<std::size_t>(n)) == 0 ? n : 0;
}

int VnOption::type() {
    return VN_TYPE_OPTION;
}

VnString VnOption::typeXML() {
    return VnString(VN_XML_OPTION);
}

void VnOption::encode() {}

void VnOption::decode() {}

void VnOption::encodeXML() {}

void VnOption::decodeXML() {}
