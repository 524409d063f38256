#include "system/VnMacro.h"

#include <memory>

#include "base/VnTypes.h"

namespace {

// Bytes of a name written without parentheses: ASCII letters, digits and "_".
bool isNameByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

VnMacro::VnMacro() : _resolver(nullptr) {}

VnMacro::VnMacro(const VnMacro& other) : VnPack(other), _resolver(nullptr) {
    copy(other);
}

VnMacro::~VnMacro() = default;

VnMacro& VnMacro::operator=(const VnMacro& other) {
    copy(other);
    return *this;
}

void VnMacro::copy(const VnMacro& other) {
    _table = other._table;
}

void VnMacro::set(const VnString& name, const VnString& value) {
    std::unique_ptr<VnString> stored(new VnString(value));
    _table.set(stored.get(), name);
    stored.release();
}

void VnMacro::set(Resolver resolver) {
    _resolver = resolver;
}

void VnMacro::get(const VnString& name, VnString& value) const {
    if (const VnString* found = _table.get(name)) value = *found;
}

// Copies the text up to each "$", then reads the name that follows it, as
// "(" name ")" or as a run of name bytes, and appends its expansion.
VnString VnMacro::parse(const VnString& text) const {
    const char* bytes = text.value();
    const int length = text.length();
    VnString result;
    int i = 0;
    while (i < length) {
        const int plain = i;
        while (i < length && bytes[i] != '$')
            ++i;
        result.append(bytes + plain, i - plain);
        if (i == length) break;
        ++i;
        int start = i;
        int end;
        if (i < length && bytes[i] == '(') {
            start = ++i;
            while (i < length && bytes[i] != ')')
                ++i;
            end = i;
            if (i < length) ++i;  // the ")"; an unclosed name runs to the end
        } else {
            while (i < length && isNameByte(bytes[i]))
                ++i;
            end = i;
        }
        _expand(VnString(bytes + start, end - start), result);
    }
    return result;
}

// Appends the value of name: from the table, else from the resolver when it
// answers non-zero, else nothing.
void VnMacro::_expand(const VnString& name, VnString& out) const {
    if (const VnString* value = _table.get(name)) {
        out += *value;
        return;
    }
    VnString resolved;
    if (_resolver && _resolver(name, resolved)) out += resolved;
}

int VnMacro::type() {
    return VN_TYPE_MACRO;
}

VnString VnMacro::typeXML() {
    return VnString(VN_XML_MACRO);
}
