// Parses the input as configuration text, writes the options back as text and merges them
// into the input taken as a template. Every value that the text form can carry comes back
// unchanged from parsing what convert wrote, alone and together with the others.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "system/VnConfig.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool same(const VnString& a, const VnString& b) {
    return a.length() == b.length() && std::memcmp(a.value(), b.value(), a.length()) == 0;
}

// No form carries a carriage return, nor a line feed or both quotes beside unbalanced braces.
bool carriable(const VnString& value) {
    int depth = 0;
    bool balanced = true;
    for (int i = 0; i < value.length(); ++i) {
        const char c = value.get(i);
        if (c == '\r') return false;
        if (c == '{') ++depth;
        if (c == '}' && --depth < 0) balanced = false;
    }
    if (balanced && depth == 0) return true;
    return !value.multiline() && !(value.haschar('"') && value.haschar('\''));
}

// Every option of c comes back from parsing its text form.
void checkRoundTrip(const VnConfig& c, const VnStringList& keys) {
    VnConfig back;
    back.parse(c.convert());
    VnStringList backKeys;
    back.labels(backKeys);
    check(backKeys.length() == keys.length());
    for (int i = 0; i < keys.length(); ++i)
        check(back.exists(*keys.get(i)) && same(back.option(*keys.get(i)), c.option(*keys.get(i))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    VnConfig c;
    check(c.parse(text) == 1 && c.eof() && c.valid());
    c.usetemplate(text);

    VnStringList keys;
    c.labels(keys);
    bool all = true;
    for (int i = 0; i < keys.length(); ++i) {
        const VnString& key = *keys.get(i);
        if (!carriable(c.option(key))) {
            all = false;
            continue;
        }
        VnConfig one;
        one.option(key, c.option(key));
        VnStringList oneKey;
        one.labels(oneKey);
        checkRoundTrip(one, oneKey);
    }
    if (all) checkRoundTrip(c, keys);
    return 0;
}
