#include "net/VnMessage.h"

#include "base/VnTypes.h"
#include "net/VnRegistry.h"

VnMessage::VnMessage() : _tag(-1), _content(nullptr) {}

VnMessage::VnMessage(int tag) : _tag(tag), _content(nullptr) {}

VnMessage::~VnMessage() {
    delete _content;
}

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
    return _content;
}

void VnMessage::content(VnPack* content) {
    if (content == _content) return;
    delete _content;
    _content = content;
}

int VnMessage::type() {
    return VN_TYPE_MESSAGE;
}

VnString VnMessage::typeXML() {
    return VnString(VN_XML_MESSAGE);
}

void VnMessage::encode() {
    fields(VnFieldStore{*this});
    if (_content) store(CONTENT_TAG, *_content);
}

void VnMessage::decode() {
    fields(VnFieldRestore{*this});
    _restoreContent();
}

void VnMessage::encodeXML() {
    fields(VnFieldStoreXML{*this});
    if (_content) storeXML(CONTENT_NAME, *_content);
}

void VnMessage::decodeXML() {
    fields(VnFieldRestoreXML{*this});
    if (_content) restoreXML(CONTENT_NAME, *_content);
}

// The content is made from the class number in its field.
void VnMessage::_restoreContent() {
    if (VnPack* made = _restoreMade(CONTENT_TAG, vn_registry_create)) content(made);
}
