#ifndef VN_BASE_VNHASHKEY_H
#define VN_BASE_VNHASHKEY_H

#include <cstdint>
#include <cstring>

#include "base/VnString.h"

// What a table keeps of a key beside the key object: the key's hash value and a fingerprint,
// a second hash of its text and length. Both read the text up to its first zero byte, as keys
// compare, so keys that compare equal have equal descriptions: a slot described otherwise
// holds another key, and a probe passes it without reading that key. Keys that share a hash
// value (common under the library's hash: "item1".."itemN" crowd) are told apart by the
// fingerprint; keys with equal descriptions are compared in full.
struct VnHashKeyInfo {
    // Whether two keys compare equal, as VnString's == has it. Keys equal byte for byte are
    // settled by one memcmp; only keys that differ somewhere take the full comparison (which
    // stops at a zero byte).
    static bool same(const VnString& a, const VnString& b) {
        const int n = a.length();
        return (n == b.length() && sameBytes(a.value(), b.value(), static_cast<std::size_t>(n))) || a == b;
    }
    // n bytes compared eight at a time: keys are short, and a library call costs more here.
    static bool sameBytes(const char* a, const char* b, std::size_t n) {
        for (; n >= 8; n -= 8, a += 8, b += 8) {
            std::uint64_t x, y;
            std::memcpy(&x, a, 8);
            std::memcpy(&y, b, 8);
            if (x != y) return false;
        }
        for (; n > 0; --n)
            if (*a++ != *b++) return false;
        return true;
    }

    std::uint32_t hash = 0;
    std::uint32_t fingerprint = 0;

    static VnHashKeyInfo of(const VnString& key);
    // The number of bytes before the key's first zero byte (all when there is none).
    static std::size_t textLength(const VnString& key);
    // The hash value: the bytes, read as signed numbers, weighted by powers of 7, modulo 2^32.
    static std::uint32_t hashOf(const char* bytes, std::size_t n);
    // A second hash of the first n bytes and of the whole key's length.
    static std::uint32_t fingerprintOf(const char* bytes, std::size_t n, int length);

    bool operator==(const VnHashKeyInfo& o) const { return hash == o.hash && fingerprint == o.fingerprint; }
};

inline std::size_t VnHashKeyInfo::textLength(const VnString& key) {
    const char* bytes = key.value();
    const void* zero = std::memchr(bytes, 0, static_cast<std::size_t>(key.length()));
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes)
                : static_cast<std::size_t>(key.length());
}

inline VnHashKeyInfo VnHashKeyInfo::of(const VnString& key) {
    const std::size_t n = textLength(key);
    VnHashKeyInfo info;
    info.hash = hashOf(key.value(), n);
    info.fingerprint = fingerprintOf(key.value(), n, key.length());
    return info;
}

// Eight bytes per step: within a step the weights are 1, 7, ..., 7^7, and the step is
// weighted by 7 to the power of its first byte's position.
inline std::uint32_t VnHashKeyInfo::hashOf(const char* bytes, std::size_t n) {
    static constexpr std::uint32_t kWeights[8] = {1, 7, 49, 343, 2401, 16807, 117649, 823543};
    const auto byte = [bytes](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<signed char>(bytes[i]));
    };
    std::uint32_t h = 0;
    std::uint32_t m = 1;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint32_t step = 0;
        for (std::size_t k = 0; k < 8; ++k)
            step += kWeights[k] * byte(i + k);
        h += m * step;
        m *= 5764801u;  // 7^8
    }
    for (; i < n; ++i) {
        h += m * byte(i);
        m *= 7;
    }
    return h;
}

// Takes in eight bytes at a time: each step multiplies, then folds the high half, where a
// product gathers the bits of its factors, back into the low half; a last multiplication
// spreads the low bits into the high half, which is the fingerprint. Bytes past n are never
// read.
inline std::uint32_t VnHashKeyInfo::fingerprintOf(const char* bytes, std::size_t n, int length) {
    const auto mix = [](std::uint64_t f, std::uint64_t word) {
        f = (f ^ word) * 0x9E3779B97F4A7C15ull;
        return f ^ (f >> 32);
    };
    std::uint64_t f = static_cast<std::uint32_t>(length);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        f = mix(f, word);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes + i, n - i);
    f = mix(f, tail) * 0xFF51AFD7ED558CCDull;
    return static_cast<std::uint32_t>(f >> 32);
}

// Walks the probe path of a hash value h in a table of n slots: attempt 0 looks at h, attempt
// i at h + (2 << (i % 64)), sums taken modulo 2^32 and then modulo n; a shift that pushes the
// bit out of 32 bits gives offset 0. Offsets repeat with period 64 in i, and attempts 31 to
// 63 look at the home slot again, so a path is attempts 0 to 30, then 64 (offset 2), the
// last one that can reach a slot not seen. The walk reduces h modulo n once and keeps each
// offset modulo n (each offset from 4 to 2^31 is twice the one before), so a step costs
// additions and compares, not a division.
class VnHashProbe {
public:
    // wrap is 2^32 modulo n; n is above 4.
    VnHashProbe(std::uint32_t h, std::uint32_t n, std::uint32_t wrap) : h(h), n(n), wrap(wrap), home(h % n) {}

    int slot() const {
        std::uint32_t s = home + residue;
        if (s >= n) s -= n;
        if (h > UINT32_MAX - offset)  // the sum passed 2^32: take 2^32 off again
            s = s >= wrap ? s - wrap : s + n - wrap;
        return static_cast<int>(s);
    }

    void next() {
        ++attempt;
        if (attempt == 1 || attempt > kLastDoubling) {
            offset = residue = attempt == 1 ? 4 : 2;
        } else {
            offset *= 2;
            residue = residue < n - residue ? residue * 2 : residue * 2 - n;
        }
    }

    // The number of attempts on a path in a table of n slots: there are n / 2, of which
    // only the distinct ones are walked.
    static int length(int n) { return n / 2 <= kLastDoubling + 1 ? n / 2 : n / 2 < 65 ? 31 : 32; }

private:
    static constexpr int kLastDoubling = 30;  // attempt 30 adds 2^31
    std::uint32_t h, n, wrap, home;
    std::uint32_t offset = 0;
    std::uint32_t residue = 0;  // offset modulo n
    int attempt = 0;
};

#endif  // VN_BASE_VNHASHKEY_H
