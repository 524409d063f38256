#include "farm/VnHostname.h"

VnHostname::VnHostname() : _port(0) {}

VnHostname::VnHostname(const VnString& name) : _name(name), _port(0) {}

VnHostname::~VnHostname() = default;

void VnHostname::copy(const VnHostname& other) {
    *this = other;
}

const VnString& VnHostname::name() const {
    return _name;
}

void VnHostname::name(const VnString& name) {
    _name = name;
}

int VnHostname::port() const {
    return _port;
}

void VnHostname::port(int port) {
    _port = port;
}

VnString VnHostname::value() const {
    VnString text(_name);
    if (_port != 0) {
        text += ":";
        text += _port;
    }
    return text;
}

int VnHostname::type() {
    return VN_TYPE_HOSTNAME;
}

VnString VnHostname::typeXML() {
    return VnString(VN_XML_HOSTNAME);
}
