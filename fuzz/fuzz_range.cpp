// Reads range text after three parameter bytes (order code, chunk size, number of parts) and
// checks what can be checked: the compact text reads back to the same values, the chunks and
// the parts read back to them in order, bisection order is a permutation, and plain range text
// splits into one string per value. Inputs that may hold more than 20,000 values are only
// split with small limits, so the run stays within its memory.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "job/VnRange.h"

namespace {

constexpr int kMaxFuzzValues = 20000;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::vector<int> values(const VnRange& r) {
    std::vector<int> out;
    for (int i = 0; i < r.length(); ++i)
        out.push_back(r.get(i));
    return out;
}

std::vector<int> sortedUnique(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// At least as many values as the text holds: each comma item counted as every integer between
// its first two numbers. Texts that may hold more than kMaxFuzzValues are left alone.
std::int64_t estimate(const VnString& text) {
    std::int64_t count = 0;
    for (int start = 0; start <= text.length() && count <= kMaxFuzzValues;) {
        const char* comma =
            static_cast<const char*>(std::memchr(text.value() + start, ',', text.length() - start));
        const int end = comma ? static_cast<int>(comma - text.value()) : text.length();
        int first, last, step;
        VnRange::patternsplit(VnString(text.value() + start, end - start), first, last, step);
        count += std::abs(std::int64_t(last) - first) + 1;
        start = end + 1;
    }
    return count;
}

// The texts of list read back, one after another, give expected.
void checkReadBack(const VnStringList& list, const std::vector<int>& expected) {
    VnRange back;
    for (int i = 0; i < list.length(); ++i)
        back.parse(*list.get(i));
    check(values(back) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3 || size > 64 * 1024) return 0;
    const int order = data[0] % 7, n = data[1] % 40, parts = data[2] % 20;
    const VnString text(reinterpret_cast<const char*>(data + 3), static_cast<int>(size - 3));

    const bool small = estimate(text) <= kMaxFuzzValues;
    VnStringList split;
    VnRange::patternsplit(order, text, split, small ? kMaxFuzzValues : 1000, 16 << 20);
    if (!small) return 0;
    VnRange range(text);
    if (VnRange::isrange(text)) check(split.length() == range.length());

    const std::vector<int> read = values(range);
    range.binary();
    std::vector<int> shuffled = values(range);
    std::sort(shuffled.begin(), shuffled.end());
    std::vector<int> sorted = read;
    std::sort(sorted.begin(), sorted.end());
    check(shuffled == sorted);

    const std::vector<int> unique = sortedUnique(read);
    VnRange compact(range.value());
    check(sortedUnique(values(compact)) == unique);
    check(values(range) == unique);

    // A chunk of two values far apart writes a step beyond int, which does not read back.
    if (unique.empty() || std::int64_t(unique.back()) - unique.front() > INT_MAX) return 0;
    VnStringList chunks, portions;
    range.chunk(n, chunks);
    if (n > 0) checkReadBack(chunks, unique);
    VnRange again(text);
    again.partition(parts, portions);
    if (parts > 0) checkReadBack(portions, unique);
    return 0;
}
