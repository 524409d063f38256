#include "farm/VnProperty.h"

#include "net/VnRegistry.h"

VnProperty::VnProperty() : _id(-1), _value(vn_registry_create) {}

VnProperty::VnProperty(const VnProperty& other)
    : VnPack(other), _id(other._id), _name(other._name), _text(other._text), _value(vn_registry_create) {}

VnProperty::~VnProperty() = default;

VnProperty& VnProperty::operator=(const VnProperty& other) {
    VnPack::operator=(other);
    _id = other._id;
    _name = other._name;
    _text = other._text;
    return *this;
}

void VnProperty::copy(const VnProperty& other) {
    *this = other;
}

int VnProperty::id() const {
    return _id;
}

void VnProperty::id(int id) {
    _id = id;
}

const VnString& VnProperty::name() const {
    return _name;
}

void VnProperty::name(const VnString& name) {
    _name = name;
}

const VnString& VnProperty::text() const {
    return _text;
}

void VnProperty::text(const VnString& text) {
    _text = text;
}

VnPack* VnProperty::value() {
    return _value.get();
}

const VnPack* VnProperty::value() const {
    return _value.get();
}

void VnProperty::value(VnPack* value) {
    _value.set(value);
}

int VnProperty::type() {
    return VN_TYPE_PROPERTY;
}

VnString VnProperty::typeXML() {
    return VnString(VN_XML_PROPERTY);
}
