#include "job/VnWorkId.h"

#include <cstring>
#include <ostream>

VnWorkId::VnWorkId() : _id(-1), _workid(-1) {}

VnWorkId::VnWorkId(int id) : _id(id), _workid(-1) {}

VnWorkId::VnWorkId(int id, const VnString& name) : _id(id), _name(name), _workid(-1) {}

VnWorkId::VnWorkId(const VnString& text) : _id(-1), _name(""), _workid(-1) {
    value(text);
}

VnWorkId::VnWorkId(const VnWorkId& other) = default;

VnWorkId::~VnWorkId() = default;

void VnWorkId::copy(const VnWorkId& other) {
    *this = other;
}

VnString VnWorkId::value() const {
    VnString text(_id);
    if (_name.length() > 0) {
        text += ':';
        text += _name;
    }
    return text;
}

void VnWorkId::value(const VnString& text) {
    const VnString source(text);  // text may be this work id's own name
    const char* bytes = source.value();
    const int length = source.length();
    const void* colon = std::memchr(bytes, ':', static_cast<std::size_t>(length));
    const int end = colon ? static_cast<int>(static_cast<const char*>(colon) - bytes) : length;
    _id = VnString(bytes, end).integervalue();
    if (colon) _name.append(bytes + end + 1, length - end - 1);
}

int VnWorkId::type() {
    return VN_TYPE_WORK_ID;
}

VnString VnWorkId::typeXML() {
    return VnString(VN_XML_WORK_ID);
}

std::ostream& operator<<(std::ostream& os, const VnWorkId& id) {
    return os << id.value();
}

VnDebug& operator<<(VnDebug& debug, const VnWorkId& id) {
    return debug << id.value();
}
