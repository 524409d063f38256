#include "net/VnMessage.h"

#include "base/VnTypes.h"
#include "net/VnRegistry.h"

VnMessage::VnMessage() : _tag(-1), _content(vn_registry_create) {}

VnMessage::VnMessage(int tag) : _tag(tag), _content(vn_registry_create) {}

VnMessage::~VnMessage() = default;

int VnMessage::tag() const {
    return _tag;
}

void VnMessage::tag(int tag) {
    _tag = tag;
}

const VnString& VnMessage::user() const {
    return _user;
}

void VnMessage::user(const VnString& name) {
    _user = name;
}

VnPack* VnMessage::content() {
    return _content.get();
}

void VnMessage::content(VnPack* content) {
    _content.set(content);
}

int VnMessage::type() {
    return VN_TYPE_MESSAGE;
}

VnString VnMessage::typeXML() {
    return VnString(VN_XML_MESSAGE);
}
