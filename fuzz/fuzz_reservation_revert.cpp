// Rebuilds a reservation hash and a reservation list from a fuzzed comma list. Every reservation
// stored must sit under its own key and reserve at least one unit, and a second revert of the
// same text must give the same number of entries. The list keeps every item in order, so the
// hash holds, under each key, the value of the list's last item with that key; the list's text
// form is written too. Keys compare as C strings but hash on every byte, so keys that differ
// only after a zero byte merge or not depending on the table; the hash is compared with the
// list only for texts without a zero byte.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "farm/VnReservationHash.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string text(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}

// The hash holds exactly the keys of the list, each with the value of its last item.
void checkAgainstList(VnReservationHash& hash, const VnString& input) {
    VnReservationList list;
    list.revert(input);
    std::map<std::string, std::string> last;
    for (int i = 0; i < list.length(); ++i)
        last[text(list.get(i)->key())] = text(list.get(i)->value());
    check(static_cast<int>(last.size()) == hash.length());
    for (const auto& entry : last) {
        const VnReservation* reservation = hash.get(VnString(entry.first.data(), int(entry.first.size())));
        check(reservation && text(reservation->value()) == entry.second);
    }
    list.convert();
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
    if (!std::memchr(data, 0, size)) checkAgainstList(hash, text);
    return 0;
}
