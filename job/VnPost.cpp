#include "job/VnPost.h"

namespace {

constexpr int kPostLanguage = 6;

}  // namespace

VnPost::VnPost() : _pid(-1), _id(-1), _port(-1) {}

VnPost::~VnPost() = default;

void VnPost::copy(const VnPost& other) {
    *this = other;
}

// Goes through a new string, so bytes may lie inside the triggers themselves.
void VnPost::triggers(const char* bytes, int count) {
    if (!bytes || count < 1) {
        _triggers.clear();
        return;
    }
    _triggers = VnString(bytes, count);
}

VnCallback VnPost::callback() const {
    VnCallback callback;
    callback.pid(_pid);
    callback.triggers(_triggers);
    callback.language(kPostLanguage);
    VnString code = _address.stringvalue();
    code += ":";
    code += _port;
    callback.code(code);
    return callback;
}

int VnPost::type() {
    return VN_TYPE_POST;
}

VnString VnPost::typeXML() {
    return VnString(VN_XML_POST);
}
