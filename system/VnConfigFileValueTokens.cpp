#include "system/VnConfigFileValueTokens.h"

#include <cstring>

namespace {

constexpr const char* kHexDigits = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool VnConfigFileValueTokens::isMarker(const char* data, int length) {
    if (length < 1 || data[0] != kMarker || length % 2 == 0) return false;
    for (int i = 1; i < length; ++i) {
        if (hexValue(data[i]) < 0) return false;
    }
    return true;
}

// The name reads back when it scans as one plain word that is neither "self" nor "this" nor a
// marker.
bool VnConfigFileValueTokens::readsBack(const VnString& name) {
    VnConfigFileValueTokens scan(name);
    Token token;
    if (!scan.next(token) || token.length != name.length() || isBlank(*token.data) || isSingle(*token.data))
        return false;
    return !token.is("self") && !token.is("this") && !isMarker(token.data, token.length);
}

VnString VnConfigFileValueTokens::selfForm(const VnString& name) {
    if (readsBack(name)) return name;
    std::string text;
    text.reserve(1 + 2 * static_cast<std::size_t>(name.length()));
    text += kMarker;
    for (int i = 0; i < name.length(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name.value()[i]);
        text += kHexDigits[c >> 4];
        text += kHexDigits[c & 15];
    }
    return VnString(text.data(), static_cast<int>(text.size()));
}

std::int64_t VnConfigFileValueTokens::selfFormLength(const VnString& name) {
    return readsBack(name) ? name.length() : 1 + 2 * std::int64_t(name.length());
}

VnConfigFileValueTokens::Token VnConfigFileValueTokens::plain(const Token& token, std::string& storage) {
    if (!token.marked) return token;
    storage.clear();
    for (int i = 1; i < token.length; i += 2)
        storage += static_cast<char>(hexValue(token.data[i]) * 16 + hexValue(token.data[i + 1]));
    Token name;
    name.data = storage.data();
    name.length = static_cast<int>(storage.size());
    return name;
}
