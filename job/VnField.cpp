#include "job/VnField.h"

namespace {

const char kSigns[] = {'~', '=', '>', '<', '%', '*'};

bool isSign(char c) {
    for (char sign : kSigns) {
        if (c == sign) return true;
    }
    return false;
}

}  // namespace

VnField::VnField() : _value(""), _sign(0) {}

VnField::VnField(const VnString& text) : _value(""), _sign(0) {
    value(text);
}

VnField::VnField(const VnField& other) = default;

VnField::~VnField() = default;

void VnField::copy(const VnField& other) {
    *this = other;
}

void VnField::value(const VnString& text) {
    const char first = text.get(0);
    if (text.length() == 0 || !isSign(first)) {
        _value = text;
        return;
    }
    // The rest is taken into a string of its own first: text may be this field's value.
    const VnString rest(text.value() + 1, text.length() - 1);
    _value = rest;
    _sign = first;
}

int VnField::type() {
    return VN_TYPE_FIELD;
}

VnString VnField::typeXML() {
    return VnString(VN_XML_FIELD);
}
