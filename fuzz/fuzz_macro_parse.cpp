// Expands arbitrary text with a small macro table and a resolver. Every reference consumes
// at least its "$", and no value is longer than kLongest, so the result cannot outgrow the
// text by more than that factor; text without "$" comes back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "system/VnMacro.h"

namespace {

constexpr int kLongest = 9;

// Answers names that start with "r"; asked for every name the table lacks.
unsigned char resolve(const VnString& name, VnString& value) {
    if (name.length() == 0 || name.value()[0] != 'r') return 0;
    value = "resolved";
    return 1;
}

bool fill(VnMacro& macro) {
    macro.set("ERROR", "disk full");
    macro.set("VERSION", "5.1");
    macro.set("", "empty");
    macro.set("ER ROR", "$VERSION");
    macro.set(resolve);
    return true;
}

const VnMacro& table() {
    static VnMacro macro;
    static const bool filled = fill(macro);
    (void)filled;
    return macro;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const VnString result = table().parse(text);

    if (static_cast<std::size_t>(result.length()) > size * kLongest) __builtin_trap();
    const bool plain = std::memchr(data, '$', size) == nullptr;
    if (plain && (result.length() != text.length() || std::memcmp(result.value(), text.value(), size) != 0))
        __builtin_trap();
    return 0;
}
