// Reads arbitrary text as hexadecimal and writes its bytes as hexadecimal. The readers are
// checked against the C library: a byte that is not a hexadecimal digit counts as "0", and the
// whole-text value keeps the low 32 bits, which the last eight digits give. Every byte written
// as two digits reads back as that byte.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/VnString.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The value of the digits, at most eight of them, by strtoul.
std::uint32_t reference(const std::string& digits) {
    return digits.empty() ? 0 : static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const VnString text(raw.data(), static_cast<int>(raw.size()));

    std::string digits = raw;
    for (char& c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c))) c = '0';
    const std::size_t tail = digits.size() > 8 ? digits.size() - 8 : 0;
    check(static_cast<std::uint32_t>(text.hexvalue()) == reference(digits.substr(tail)));
    check(text.hexchar() == reference(digits.substr(0, 2)));

    VnString written;
    for (char c : raw)
        written.hexvalue(c);
    check(written.length() == 2 * text.length());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const VnString pair(written.value() + 2 * i, 2);
        check(pair.hexchar() == static_cast<unsigned char>(raw[i]) &&
              pair.hexvalue() == static_cast<unsigned char>(raw[i]));
    }
    return 0;
}
