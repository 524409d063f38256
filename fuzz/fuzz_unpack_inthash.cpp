// Unpacks arbitrary bytes into an int hash, then checks that what was read packs and reads
// back. Pair order follows the table's slots, so the second packing must have the same count
// and size as the first, not the same bytes. Keys compare as C strings, so keys that differ
// only after a zero byte may merge on reading; such inputs are only read and packed.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/VnIntHash.h"

namespace {

struct IntHash : VnIntHash {
    bool keyHoldsZeroByte() const {
        for (int s = 0; s < size; ++s) {
            const VnString* key = keytable[s];
            if (key && key != &deleted &&
                std::memchr(key->value(), 0, static_cast<std::size_t>(key->length())))
                return true;
        }
        return false;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    std::vector<char> input(data, data + size);
    IntHash hash;
    hash.unpack(input.data(), static_cast<int>(input.size()));

    hash.pack();
    if (hash.keyHoldsZeroByte()) return 0;
    std::vector<char> first(hash.packContents(), hash.packContents() + hash.packSize());
    VnIntHash again;
    if (again.unpack(first.data(), static_cast<int>(first.size())) != 0) __builtin_trap();
    again.pack();
    // The count is the 4 bytes after the version word and the count field's header.
    if (again.packSize() != static_cast<int>(first.size()) ||
        _rc_int32(again.packContents() + 8) != _rc_int32(first.data() + 8))
        __builtin_trap();
    return 0;
}
