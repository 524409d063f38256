#ifndef VN_TESTING_COLLIDINGKEYS_H
#define VN_TESTING_COLLIDINGKEYS_H

// Keys crafted to collide, as a hostile peer would compute them offline: all of one length,
// sharing one std::hash<std::string> value (libstdc++ hashes strings with a fixed seed, eight
// bytes at a time, and each step can be undone), and, when asked, one value of the library's
// own key hash too.
//
// A key is a run of 16-byte blocks. The first eight bytes of a block are free; the last eight
// are solved so that the block leaves std::hash's running state where it found it, the state a
// key of that length starts from. So every block can stand at every position, and all keys of
// one length end in one state. Two such blocks whose weighted byte sums (the library's hash of
// a block) are equal can be swapped anywhere without changing the library's hash either, and
// n blocks long keys made from such a pair number 2^n.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace colliding {

constexpr std::uint64_t kMul = 0xc6a4a7935bd1e995ULL;
constexpr std::uint64_t kSeed = 0xc70f6907ULL;

inline std::uint64_t inverse(std::uint64_t odd) {
    std::uint64_t x = odd;  // Newton's iteration doubles the correct low bits each round
    for (int i = 0; i < 6; ++i)
        x *= 2 - odd * x;
    return x;
}
inline std::uint64_t shiftMix(std::uint64_t v) {
    return v ^ (v >> 47);  // its own inverse: 2 * 47 >= 64
}
// What std::hash folds into its state for one eight-byte word, and back.
inline std::uint64_t mixWord(std::uint64_t k) {
    return shiftMix(k * kMul) * kMul;
}
inline std::uint64_t unmixWord(std::uint64_t d) {
    const std::uint64_t inv = inverse(kMul);
    return shiftMix(d * inv) * inv;
}

// The library's hash of a 16-byte block standing at position 0: its bytes, read as signed
// numbers, weighted by 7^i, modulo 2^32.
inline std::uint32_t blockSum(const char* block) {
    std::uint32_t sum = 0, weight = 1;
    for (int i = 0; i < 16; ++i, weight *= 7)
        sum += weight * static_cast<std::uint32_t>(static_cast<signed char>(block[i]));
    return sum;
}

inline bool hasZero(std::uint64_t word) {
    for (int i = 0; i < 8; ++i, word >>= 8)
        if ((word & 0xFF) == 0) return true;
    return false;
}

// A block of free word `free` that takes std::hash's state `state` back to itself; false
// when the solved word holds a zero byte (keys compare as C strings up to one).
inline bool solveBlock(std::uint64_t state, std::uint64_t free, char* block) {
    const std::uint64_t after = (state ^ mixWord(free)) * kMul;
    const std::uint64_t solved = unmixWord(after ^ (state * inverse(kMul)));
    if (hasZero(free) || hasZero(solved)) return false;
    std::memcpy(block, &free, 8);
    std::memcpy(block + 8, &solved, 8);
    return true;
}

// Two distinct blocks that each keep the state of keys of `length` bytes, with equal
// library sums when sameLibrarySum is set. Found by a birthday search over the free word.
inline void blockPair(std::size_t length, bool sameLibrarySum, std::string& a, std::string& b) {
    const std::uint64_t state = kSeed ^ (length * kMul);
    std::map<std::uint32_t, std::string> seen;
    std::uint64_t free = 0x5a17c3e9d2b4f601ULL;
    char block[16];
    for (;;) {
        free = free * 6364136223846793005ULL + 1442695040888963407ULL;
        if (!solveBlock(state, free | 0x0101010101010101ULL, block)) continue;
        std::string text(block, 16);
        const std::uint32_t sum = sameLibrarySum ? blockSum(block) : 0;
        auto found = seen.emplace(sum, text);
        if (!found.second && found.first->second != text) {
            a = found.first->second;
            b = text;
            return;
        }
    }
}

// count distinct keys (count at most 2^20) of 16 * ceil(log2(count)) bytes (at least 16).
inline std::vector<std::string> keys(std::size_t count, bool sameLibrarySum) {
    std::size_t blocks = 1;
    while ((std::size_t(1) << blocks) < count)
        ++blocks;
    std::string a, b;
    blockPair(16 * blocks, sameLibrarySum, a, b);
    std::vector<std::string> out;
    out.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        std::string key;
        for (std::size_t i = 0; i < blocks; ++i)
            key += (n >> i) & 1 ? b : a;
        out.push_back(key);
    }
    return out;
}

}  // namespace colliding

#endif  // VN_TESTING_COLLIDINGKEYS_H
