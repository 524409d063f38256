#include "net/VnMessage.h"

#include <memory>

#include "base/VnTypes.h"
#include "net/VnRegistry.h"

namespace {

// Type code of a nested object field.
const int kObjectField = 4;

}  // namespace

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

// The field's payload starts with the class number, which picks the object to make. An
// object that the field does not fill (a length past the data) is dropped again; a class
// that no one knows leaves the field unread, and the reader skips it.
void VnMessage::_restoreContent() {
    if (fieldtag != CONTENT_TAG || fieldtype != kObjectField || packsize < 4) return;
    std::unique_ptr<VnPack> made(vn_registry_create(_rc_int32(packbuffer)));
    if (!made) return;
    restore(CONTENT_TAG, *made);
    if (consumed) content(made.release());
}
