#include "expression/VnReference.h"

#include "base/VnTypes.h"

VnReference::VnReference() : refcount(0) {}

VnReference::VnReference(const VnReference& other) : VnPack(other), refcount(0) {}

VnReference::~VnReference() {}

VnReference& VnReference::operator=(const VnReference& other) {
    copy(other);
    return *this;
}

void VnReference::copy(const VnReference& other) {
    VnPack::operator=(other);
}

int VnReference::type() {
    return VN_TYPE_REFERENCE;
}

void VnReference::encode() {}

void VnReference::decode() {}

VnString VnReference::typeXML() {
    return VnString(VN_XML_REFERENCE);
}

void VnReference::encodeXML() {}

void VnReference::decodeXML() {}

void VnReference::value(const VnString& name, VnString& out) {
    out.copy(name);
}

int VnReference::valid(const VnString&) {
    return 1;
}

int VnReference::variable(const VnString&) {
    return 0;
}

void VnReference::increment() {
    ++refcount;
}

void VnReference::decrement() {
    --refcount;
}

int VnReference::count() {
    return refcount;
}
