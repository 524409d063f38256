// Unpacks a string list from arbitrary bytes and sorts it, first with the library's string
// comparison, then with one that contradicts itself. Either sort must keep every string; the
// first must leave them in order. Strings compare as C strings, and strings that differ only
// after a zero byte rank both above each other, so order is checked only for lists without
// zero bytes. The input is capped at 4 KB: the sort is quadratic on equal strings.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/VnStringList.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::vector<std::string> strings(const VnStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.length(); ++i)
        out.emplace_back(list.get(i)->value(), static_cast<std::size_t>(list.get(i)->length()));
    return out;
}

bool holdsZeroByte(const std::vector<std::string>& items) {
    for (const std::string& item : items)
        if (item.find('\0') != std::string::npos) return true;
    return false;
}

// Same strings, in any order.
bool sameStrings(std::vector<std::string> a, std::vector<std::string> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

// A comparison that depends on the pair's lengths only, so that it is neither antisymmetric
// nor transitive.
int chaotic(VnString* a, VnString* b) {
    return (a->length() * 7 + b->length() * 3) % 3 - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    VnStringList list;
    unpackInto(list, std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> before = strings(list);

    list.sort();
    const std::vector<std::string> sorted = strings(list);
    check(sameStrings(before, sorted));
    if (!holdsZeroByte(before)) {
        for (int i = 0; i + 1 < list.length(); ++i)
            check(vn_string_sort_func(list.get(i), list.get(i + 1)) <= 0);
    }

    list.sort(chaotic);
    check(sameStrings(before, strings(list)));
    return 0;
}
