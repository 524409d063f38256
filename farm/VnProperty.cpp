#include "farm/VnProperty.h"

#include "net/VnRegistry.h"

VnProperty::VnProperty() : _id(-1), _value(nullptr) {}

VnProperty::VnProperty(const VnProperty& other)
    : VnPack(other), _id(other._id), _name(other._name), _text(other._text), _value(nullptr) {}

VnProperty::~VnProperty() {
    delete _value;
}

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
    return _value;
}

const VnPack* VnProperty::value() const {
    return _value;
}

void VnProperty::value(VnPack* value) {
    if (value == _value) return;
    delete _value;
    _value = value;
}

int VnProperty::type() {
    return VN_TYPE_PROPERTY;
}

VnString VnProperty::typeXML() {
    return VnString(VN_XML_PROPERTY);
}

void VnProperty::encode() {
    fields(VnFieldStore{*this});
    if (_value) store(VALUE_TAG, *_value);
}

void VnProperty::decode() {
    fields(VnFieldRestore{*this});
    _restoreValue();
}

void VnProperty::encodeXML() {
    fields(VnFieldStoreXML{*this});
    if (_value) storeXML(VALUE_NAME, *_value);
}

void VnProperty::decodeXML() {
    fields(VnFieldRestoreXML{*this});
    if (_value) restoreXML(VALUE_NAME, *_value);
}

// The value is made from the class number in its field.
void VnProperty::_restoreValue() {
    if (VnPack* made = _restoreMade(VALUE_TAG, vn_registry_create)) value(made);
}
