#include "job/VnVariable.h"

#include <ostream>

namespace {

constexpr int kGlobal = 2;

}  // namespace

VnVariable::VnVariable() = default;

VnVariable::VnVariable(int pid) : _pid(pid) {}

VnVariable::VnVariable(const VnString& value) : _value(value) {}

VnVariable::VnVariable(const VnVariable& other) = default;

VnVariable::~VnVariable() = default;

void VnVariable::copy(const VnVariable& other) {
    *this = other;
}

VnString VnVariable::clsstring() const {
    return _vn_variable_clsstring(_cls);
}

void VnVariable::clsstring(const VnString& word) {
    _cls = _vn_variable_clsint(word);
}

VnString VnVariable::fullname() const {
    VnString text;
    if (_cls != kGlobal) {
        text += _pid;
        text += '-';
    }
    text += clsstring();
    text += '.';
    text += _name;
    return text;
}

void VnVariable::fullname(const VnString& text) {
    _vn_variable_fullname(text, _pid, _cls, _name);
}

int VnVariable::type() {
    return VN_TYPE_VARIABLE;
}

VnString VnVariable::typeXML() {
    return VnString(VN_XML_VARIABLE);
}

std::ostream& operator<<(std::ostream& os, const VnVariable& variable) {
    return os << variable.value();
}
