#include "job/VnVariableId.h"

#include <ostream>

namespace {

struct ClassWord {
    int cls;
    const char* word;
};

// In the order in which words are looked up.
const ClassWord kClassWords[] = {
    {256, "host"},
    {257, "scoped"},
    {2, "global"},
    {1, "job"},
};

// The bytes from pos up to the next "." (or "-" as well, when atDash) or the end; pos moves past
// that stop.
VnString piece(const VnString& text, int& pos, bool atDash) {
    const char* bytes = text.value();
    int end = pos;
    while (end < text.length() && bytes[end] != '.' && !(atDash && bytes[end] == '-'))
        ++end;
    VnString word(bytes + pos, end - pos);
    pos = end < text.length() ? end + 1 : end;
    return word;
}

}  // namespace

VnString _vn_variable_clsstring(int cls) {
    for (const ClassWord& c : kClassWords) {
        if (c.cls == cls) return VnString(c.word);
    }
    return VnString("unknown");
}

int _vn_variable_clsint(const VnString& word) {
    for (const ClassWord& c : kClassWords) {
        if (word == VnString(c.word)) return c.cls;
    }
    return 0;
}

void _vn_variable_fullname(const VnString& text, int& pid, int& cls, VnString& name) {
    const VnString whole(text);
    int pos = 0;
    VnString word = piece(whole, pos, true);
    if (word.isinteger()) {
        pid = word.integervalue();
        word = piece(whole, pos, false);
    }
    cls = _vn_variable_clsint(word);
    name.copy(whole.value() + pos, whole.length() - pos);
}

VnVariableId::VnVariableId() = default;

VnVariableId::VnVariableId(int pid) : _pid(pid) {}

VnVariableId::VnVariableId(int pid, const VnString& name) : _pid(pid), _name(name) {}

VnVariableId::VnVariableId(const VnString& text) {
    value(text);
}

VnVariableId::VnVariableId(const VnVariableId& other) = default;

VnVariableId::~VnVariableId() = default;

void VnVariableId::copy(const VnVariableId& other) {
    *this = other;
}

// Every non-empty name gets its "_", so that the short form reads back whatever the name's
// first byte.
VnString VnVariableId::value() const {
    VnString text(_pid);
    if (_name.length() > 0) {
        text += '_';
        text += _name;
    }
    return text;
}

void VnVariableId::value(const VnString& text) {
    const VnString whole(text);
    const char* bytes = whole.value();
    const int length = whole.length();
    int underscore = 0;
    while (underscore < length && bytes[underscore] != '_')
        ++underscore;
    _pid = VnString(bytes, underscore).integervalue();
    if (underscore < length) _name.copy(bytes + underscore + 1, length - underscore - 1);
}

VnString VnVariableId::clsstring() const {
    return _vn_variable_clsstring(_cls);
}

void VnVariableId::clsstring(const VnString& word) {
    _cls = _vn_variable_clsint(word);
}

VnString VnVariableId::fullname() const {
    VnString text(_pid);
    text += '-';
    text += clsstring();
    text += '.';
    text += _name;
    return text;
}

void VnVariableId::fullname(const VnString& text) {
    _vn_variable_fullname(text, _pid, _cls, _name);
}

int VnVariableId::type() {
    return VN_TYPE_VARIABLE_ID;
}

VnString VnVariableId::typeXML() {
    return VnString(VN_XML_VARIABLE_ID);
}

std::ostream& operator<<(std::ostream& os, const VnVariableId& id) {
    return os << id.value();
}

VnDebug& operator<<(VnDebug& debug, const VnVariableId& id) {
    return debug << id.value();
}
