// Keys crafted to share the library's hash value go beyond their probe path into a table's
// overflow index, where each look-up must stay within O(log n) key comparisons.

#include "base/VnHashIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/VnBaseHash.h"
#include "base/VnPackFormat.h"
#include "base/VnStringHash.h"
#include "system/VnConfig.h"
#include "system/VnConfigFile.h"
#include "testing/CollidingKeys.h"
#include "testing/TestRecords.h"
#include "tests/support/HashItems.h"

namespace {

using Keys = std::vector<std::string>;

// The comparisons the overflow indexes make while body runs.
template <class Body>
std::uint64_t comparisonsOf(Body body) {
    const std::uint64_t start = VnHashIndex::comparisons;
    body();
    return VnHashIndex::comparisons - start;
}

// Most comparisons of n look-ups among n keys: a red-black tree is at most 2 log2(n + 1) deep,
// plus one comparison to tell equality. Filing a key looks it up and inserts it, again on growth.
std::uint64_t lookUps(std::size_t n) {
    return n * (2 * std::uint64_t(std::ceil(std::log2(n + 1.0))) + 1);
}

// Looking up every key finds what found tells, through the index for all but the keys on the
// probe path (at most 32), within O(log n) comparisons each.
void expectLookUps(const Keys& keys, const std::function<bool(std::size_t)>& found) {
    const std::uint64_t spent = comparisonsOf([&] {
        for (std::size_t i = 0; i < keys.size(); ++i)
            ASSERT_TRUE(found(i)) << i;
    });
    EXPECT_GE(spent, keys.size() - 64);
    EXPECT_LE(spent, lookUps(keys.size()));
}

using hashitems::Item;
using OpenHash = hashitems::ItemHash;

// Every key i answers id i, except those that removed tells gone, which are absent.
void expectIds(const OpenHash& hash, const Keys& keys, const std::function<bool(std::size_t)>& removed) {
    expectLookUps(keys, [&](std::size_t i) { return hash.idOf(keys[i]) == (removed(i) ? -1 : int(i)); });
}

}  // namespace

// A string hash of crafted keys read from its binary form; 96 more keys are looked up as absent.
TEST(VnHashIndex, PackedHashOfCraftedKeys) {
    const Keys keys = colliding::keys(4096, true);
    const std::size_t stored = 4000;
    std::string data = kVersion + intField(1, int(stored));
    for (std::size_t i = 0; i < stored; ++i)
        data += strField(10, keys[i]) + strField(30, "v" + std::to_string(i));
    VnStringHash hash;
    EXPECT_LE(comparisonsOf([&] { EXPECT_EQ(unpackInto(hash, data), 0); }), 4 * lookUps(stored));
    EXPECT_EQ(hash.length(), int(stored));
    expectLookUps(keys, [&](std::size_t i) {
        const VnString* value = hash.get(vs(keys[i]));
        return i < stored ? value && str(*value) == "v" + std::to_string(i) : !value;
    });
}

// Crafted keys as option names, in a flat and in a sectioned text, and as section names: every
// key passes the parsers unchanged, and parsing and looking up stay within O(log n) per key.
TEST(VnHashIndex, ConfigurationTextsOfCraftedKeys) {
    // Two blocks of equal library sums made of bytes that the parsers keep in a key, found offline
    // by the search of CollidingKeys.h restricted to such bytes.
    Keys keys(2048);
    for (std::size_t n = 0; n < keys.size(); ++n)
        for (int i = 0; i < 11; ++i)
            keys[n] += (n >> i) & 1 ? "<@Bj(2J@_z5qpWPw" : "jHr(rfw61wD&WszX";
    std::string lines, headers;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        lines += keys[i] + " = v" + std::to_string(i) + "\n";
        headers += "[" + keys[i] + "]\nk = 1\n";
    }
    VnConfig flat;
    VnConfigFile sectioned, named;
    EXPECT_LE(comparisonsOf([&] { flat.parse(vs(lines)); }), 4 * lookUps(keys.size()));
    EXPECT_LE(comparisonsOf([&] { sectioned.parse(vs("[s]\n" + lines)); }), 4 * lookUps(keys.size()));
    EXPECT_LE(comparisonsOf([&] { named.parse(vs(headers)); }), 8 * lookUps(keys.size()));
    ASSERT_NE(sectioned.config("s"), nullptr);
    for (const VnConfig* config : {&flat, sectioned.config("s")})
        expectLookUps(
            keys, [&](std::size_t i) { return str(config->option(vs(keys[i]))) == "v" + std::to_string(i); });
    expectLookUps(keys, [&](std::size_t i) {
        const VnConfig* section = named.config(vs(keys[i]));
        return section && str(section->name()) == keys[i];
    });
}

// Removing, replacing, copying and growing a table of many overflow keys keeps every entry. Inside
// a read the index is charged: a growth or a copy that the budget refuses leaves both tables whole.
TEST(VnHashIndex, RemoveCopyResizeWithOverflowKeys) {
    const Keys keys = colliding::keys(2048, true);
    OpenHash hash;
    for (std::size_t i = 0; i < keys.size(); ++i)
        hash.set(new Item{int(i)}, vs(keys[i]));
    for (std::size_t i = 0; i < keys.size(); i += 3)
        delete hash.remove(vs(keys[i]));
    for (std::size_t i = 1; i < keys.size(); i += 3)
        hash.set(new Item{int(i)}, vs(keys[i]));  // replacing keeps one entry per key
    EXPECT_EQ(hash.length(), int(keys.size() - (keys.size() + 2) / 3));

    OpenHash copy;
    copy.set(new Item{7}, vs("kept"));
    {
        const vn_pack::ReadBudget budget(0);
        vn_pack::readBudget = 1000;  // less than the index of 1,365 keys takes
        EXPECT_THROW(hash.resize(), vn_pack::ReadRefused);
        vn_pack::readBudget = 1000;
        EXPECT_THROW(copy.copy(hash), vn_pack::ReadRefused);
    }
    const auto everyThird = [](std::size_t i) { return i % 3 == 0; };
    expectIds(hash, keys, everyThird);
    EXPECT_TRUE(copy.length() == 1 && copy.idOf("kept") == 7);

    const std::int64_t budget = vn_pack::readBudget;  // outside a read nothing is charged
    copy.copy(hash);
    hash.resize();
    EXPECT_EQ(vn_pack::readBudget, budget);
    expectIds(hash, keys, everyThird);
    for (std::size_t i = 0; i < keys.size(); i += 3)
        hash.set(new Item{int(i)}, vs(keys[i]));
    expectIds(hash, keys, [](std::size_t) { return false; });
    expectIds(copy, keys, everyThird);  // the copy is its own

    // Keys compare up to their first zero byte and by length: the index files them alike.
    const std::string zeroed = keys[9] + std::string("\0a", 2);
    hash.set(new Item{-2}, vs(zeroed));
    const std::size_t indexed = hash.overflow.size();
    hash.set(new Item{-3}, vs(keys[9] + std::string("\0b", 2)));
    EXPECT_TRUE(hash.overflow.size() == indexed && hash.idOf(zeroed) == -3 && hash.idOf(keys[9]) == 9);
    EXPECT_EQ(hash.idOf(keys[9] + std::string("\0", 1)), -1);
    delete hash.remove(vs(zeroed));
    EXPECT_EQ(hash.overflow.size(), indexed - 1);
    hash.clear();
    EXPECT_TRUE(hash.overflow.empty() && hash.idOf(keys[5]) == -1);
}

// The index as the library exposes it: an empty index finds nothing, filing a key again moves it
// to the new slot, and forgetting it under another slot keeps it.
TEST(VnHashIndex, RefilingMovesAKeyAndForgettingChecksItsSlot) {
    VnHashIndex index;
    const VnString a("a"), b("b");
    EXPECT_TRUE(index.find(a) == -1 && index.empty());
    index.forget(a, 0);  // nothing to forget
    index.set(a, 1);
    index.set(a, 2);
    index.set(b, 5);
    EXPECT_TRUE(index.find(a) == 2 && index.size() == 2);
    index.forget(a, 1);
    index.forget(b, 2);
    EXPECT_TRUE(index.find(a) == 2 && index.find(b) == 5);
    index.forget(a, 2);
    EXPECT_TRUE(index.find(a) == -1 && index.find(b) == 5 && index.size() == 1);
}
