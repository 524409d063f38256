// Unpacks arbitrary bytes into an int hash, then checks that what was read packs and reads
// back. Pair order follows the table's slots, so the second packing must have the same count
// and size as the first, not the same bytes. Keys compare as C strings, so keys that differ
// only after a zero byte may merge on reading; such inputs are only read and packed.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/VnIntHash.h"
#include "testing/TestRecords.h"

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
    IntHash hash;
    unpackInto(hash, std::string(reinterpret_cast<const char*>(data), size));

    const std::string first = packed(hash);
    if (hash.keyHoldsZeroByte()) return 0;
    VnIntHash again;
    if (unpackInto(again, first) != 0) __builtin_trap();
    const std::string second = packed(again);
    // The count is the 4 bytes after the version word and the count field's header.
    if (second.size() != first.size() || second.compare(8, 4, first, 8, 4) != 0) __builtin_trap();
    return 0;
}
