// Parses the input as sectioned configuration text and checks what can be checked: each
// section carries its own name, the copies hold the same sections, and the value tokens of the
// input join back to it.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "system/VnConfigFile.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool same(const VnString& a, const VnString& b) {
    return a.length() == b.length() && std::memcmp(a.value(), b.value(), a.length()) == 0;
}

// True when a number above 1000 stands inside nested brackets, as in "[h[1-100000]]". Such
// headers make up to 100,000 sections, which the tests cover; the fuzzer leaves them, so that
// its time goes to the grammar.
bool manySections(const std::uint8_t* data, std::size_t size) {
    int depth = 0;
    long number = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '[') ++depth;
        if (c == ']' && depth > 0) --depth;
        const bool digit = c >= '0' && c <= '9';
        number = digit && depth >= 2 ? number * 10 + (c - '0') : 0;
        if (number > 1000) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024 || manySections(data, size)) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    VnConfigFile file;
    file.parse(text);

    VnStringList names;
    file.keys(names);
    VnConfigHash copies = file.export_hash();
    check(copies.length() == names.length());
    for (int i = 0; i < names.length(); ++i) {
        const VnConfig* section = file.config(*names.get(i));
        check(section && same(section->name(), *names.get(i)) && copies.get(*names.get(i)));
    }

    VnStringList tokens;
    VnConfigFile::stringtokenize(text, tokens);
    check(same(tokens.join(""), text));
    VnConfigFile::tokenize(text, tokens);
    return 0;
}
