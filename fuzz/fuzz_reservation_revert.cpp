// Rebuilds a reservation hash from a fuzzed comma list. Every reservation stored must sit
// under its own key and reserve at least one unit, and a second revert of the same text must
// give the same number of entries. Keys compare as C strings but hash on every byte, so keys
// that differ only after a zero byte merge or not depending on the table; the second count
// is compared only for texts without a zero byte.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "farm/VnReservationHash.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256 * 1024) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    VnReservationHash hash;
    hash.revert(text);
    VnBaseList<VnString> keys;
    hash.copykeys(keys);
    check(keys.length() == hash.length());
    for (int i = 0; i < keys.length(); ++i) {
        const VnReservation* reservation = hash.get(*keys.get(i));
        check(reservation && reservation->key() == *keys.get(i) && reservation->count() >= 1);
    }
    const int count = hash.length();
    hash.revert(text);
    check(hash.length() == count || std::memchr(data, 0, size));
    return 0;
}
