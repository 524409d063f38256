#ifndef VN_BENCH_CRAFTEDKEYS_H
#define VN_BENCH_CRAFTEDKEYS_H

// Keys for the collision benchmarks, each family made so that every key of it is valid in a
// packed string hash, a flat configuration file and a sectioned one (no zero byte, no blank,
// no byte that ends a word or starts a comment, a header or a reference):
//
// - sharedLibraryHash(count, length, atEnd): keys of lowercase letters that share the library's
//   hash value (bytes weighted by 7^i modulo 2^32). Byte i is 'd' + 7 d[i] - d[i - 1] for base-4
//   digits d (d[-1] = d[length - 1] = 0): the sum telescopes to that of "ddd...", so every
//   key of one length has one hash value, and keys of 12 bytes already number 4^11. The
//   digits that tell keys apart stand at the end (atEnd: all keys share a long first part,
//   so each comparison of two keys reads most of them) or at the start.
// - sharedBothHashes(count): keys of 16-byte blocks that share std::hash's value and the
//   library's (see testing/CollidingKeys.h), 16 * ceil(log2(count)) bytes long, made of
//   two blocks of word bytes; the blocks that tell keys apart stand at the end.
// - randomKeys(count, length): as many random lowercase keys, the reference.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/VnHashKey.h"
#include "testing/CollidingKeys.h"

namespace crafted {

using Texts = std::vector<std::string>;

// A byte that a key may hold in every form read here.
inline bool wordByte(unsigned char c) {
    return c > ' ' && c < 127 && std::strchr("\":[]={}\\#.$,'", c) == nullptr;
}

inline void checkOneHash(const Texts& keys) {
    const std::uint32_t h = VnHashKeyInfo::hashOf(keys[0].data(), keys[0].size());
    for (const std::string& key : keys)
        if (VnHashKeyInfo::hashOf(key.data(), key.size()) != h) throw std::logic_error("keys hash apart");
}

inline Texts sharedLibraryHash(std::size_t count, std::size_t length, bool atEnd) {
    Texts keys;
    keys.reserve(count);
    std::vector<int> digit(length, 0);
    for (std::size_t n = 0; n < count; ++n) {
        std::size_t rest = n;
        for (std::size_t j = 0; j + 1 < length; ++j, rest /= 4)
            digit[atEnd ? length - 2 - j : j] = static_cast<int>(rest % 4);
        if (rest != 0) throw std::logic_error("keys too short for their count");
        std::string key(length, 'd');
        for (std::size_t i = 0; i < length; ++i)
            key[i] = static_cast<char>('d' + 7 * digit[i] - (i > 0 ? digit[i - 1] : 0));
        keys.push_back(key);
    }
    checkOneHash(keys);
    return keys;
}

// Two distinct blocks of word bytes that keep std::hash's state for keys of length bytes and
// have one library sum: a birthday search over blocks of random word bytes.
inline void wordBlockPair(std::size_t length, std::string& a, std::string& b) {
    std::string alphabet;
    for (int c = 1; c < 256; ++c)
        if (wordByte(static_cast<unsigned char>(c))) alphabet += static_cast<char>(c);
    const std::uint64_t state = colliding::kSeed ^ (length * colliding::kMul);
    std::unordered_map<std::uint32_t, std::string> seen;
    std::mt19937_64 random(20240611u);
    char block[16];
    for (;;) {
        std::uint64_t free = 0;
        for (int i = 0; i < 8; ++i)
            free |= std::uint64_t(static_cast<unsigned char>(alphabet[random() % alphabet.size()]))
                    << (8 * i);
        if (!colliding::solveBlock(state, free, block)) continue;
        if (!std::all_of(block + 8, block + 16,
                         [](char c) { return wordByte(static_cast<unsigned char>(c)); }))
            continue;
        std::string text(block, 16);
        const auto found = seen.emplace(colliding::blockSum(block), text);
        if (!found.second && found.first->second != text) {
            a = found.first->second;
            b = text;
            return;
        }
    }
}

// Pairs that wordBlockPair finds for keys of 256 and 272 bytes (65,536 and 131,072 keys),
// kept here since the search takes about a minute; keys made from them are checked all the
// same.
inline bool knownBlockPair(std::size_t length, std::string& a, std::string& b) {
    static const char* const kPairs[][3] = {
        {"256", "GANB2f!>X(m_jHUR", "i+2HimS2@kJF09UV"},
        {"272", "HK-soqRAO>pk5e~d", "W45dz(yYo@^/0oFE"},
    };
    for (const auto& pair : kPairs) {
        if (std::to_string(length) != pair[0]) continue;
        a = pair[1];
        b = pair[2];
        return true;
    }
    return false;
}

inline Texts sharedBothHashes(std::size_t count) {
    std::size_t blocks = 1;
    while ((std::size_t(1) << blocks) < count)
        ++blocks;
    std::string a, b;
    if (!knownBlockPair(16 * blocks, a, b)) wordBlockPair(16 * blocks, a, b);
    Texts keys;
    keys.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        std::string key;
        for (std::size_t i = 0; i < blocks; ++i)
            key += (n >> (blocks - 1 - i)) & 1 ? b : a;
        keys.push_back(key);
    }
    checkOneHash(keys);
    const std::size_t h = std::hash<std::string>()(keys[0]);
    for (const std::string& key : keys)
        if (std::hash<std::string>()(key) != h) throw std::logic_error("keys std::hash apart");
    return keys;
}

inline Texts randomKeys(std::size_t count, std::size_t length) {
    std::mt19937 random(7);
    Texts keys(count, std::string(length, 'a'));
    for (std::string& key : keys)
        for (char& c : key)
            c = static_cast<char>('a' + random() % 26);
    return keys;
}

}  // namespace crafted

#endif  // VN_BENCH_CRAFTEDKEYS_H
