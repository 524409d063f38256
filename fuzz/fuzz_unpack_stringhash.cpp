// Unpacks arbitrary bytes into a string hash, then checks that what was read packs and reads
// back to the same entries. Pair order follows the table's slots, so entries are compared, not
// bytes. Keys compare as C strings, so keys that differ only after a zero byte may merge on
// reading; such inputs are only read and packed.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/VnStringHash.h"
#include "testing/TestRecords.h"

namespace {

bool keyHoldsZeroByte(const VnBaseList<VnString>& keys) {
    for (int i = 0; i < keys.length(); ++i) {
        if (std::memchr(keys.get(i)->value(), 0, static_cast<std::size_t>(keys.get(i)->length())))
            return true;
    }
    return false;
}

// True when b holds a's entries, or when a's keys cannot be told apart reliably.
bool sameEntries(VnStringHash& a, VnStringHash& b) {
    VnBaseList<VnString> keys;
    a.keys(keys);
    bool same = a.length() == b.length();
    for (int i = 0; i < keys.length() && same; ++i) {
        const VnString* left = a.get(*keys.get(i));
        const VnString* right = b.get(*keys.get(i));
        same = left && right && *left == *right;
    }
    const bool comparable = !keyHoldsZeroByte(keys);
    keys.release();
    return same || !comparable;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    VnStringHash hash, again;
    unpackInto(hash, std::string(reinterpret_cast<const char*>(data), size));
    if (unpackInto(again, packed(hash)) != 0 || !sameEntries(hash, again)) __builtin_trap();
    return 0;
}
