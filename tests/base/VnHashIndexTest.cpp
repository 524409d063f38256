// Keys crafted to share both the library's hash value and std::hash's value all go beyond their
// probe path into a table's overflow index. Whatever reads them (a packed hash, a flat or a
// sectioned configuration file), each look-up in the index must stay within O(log n) key
// comparisons, and the index's memory must be charged to the read that fills it.

#include "base/VnHashIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/VnBaseHash.h"
#include "base/VnPackFormat.h"
#include "base/VnStringHash.h"
#include "system/VnConfig.h"
#include "system/VnConfigFile.h"
#include "tests/support/CollidingKeys.h"
#include "tests/support/TestRecords.h"

namespace {

using Keys = std::vector<std::string>;

// Two blocks that keep std::hash's state for keys of 176 bytes and have equal library sums,
// made only of bytes that both configuration parsers keep in a key (printable, no blank, none
// of " : [ ] = { } \ # $ . '). Found offline by the birthday search of CollidingKeys.h
// restricted to such bytes (7 * 10^8 tries, too slow for a test).
const char kOptionBlockA[] = "jHr(rfw61wD&WszX";
const char kOptionBlockB[] = "<@Bj(2J@_z5qpWPw";

// The 2048 keys of 11 blocks made from the two blocks above.
Keys optionKeys() {
    Keys keys;
    for (int n = 0; n < 2048; ++n) {
        std::string key;
        for (int i = 0; i < 11; ++i)
            key += (n >> i) & 1 ? kOptionBlockB : kOptionBlockA;
        keys.push_back(key);
    }
    return keys;
}

// The keys are distinct and share one std::hash value and one library hash value, so every
// table and every std::unordered_map files them in one bucket.
void expectColliding(const Keys& keys) {
    ASSERT_GT(keys.size(), 1u);
    const std::size_t stdHash = std::hash<std::string>()(keys[0]);
    const std::uint32_t ownHash = VnHashKeyInfo::of(vs(keys[0])).hash;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        ASSERT_NE(keys[i], keys[i - 1]);
        ASSERT_EQ(std::hash<std::string>()(keys[i]), stdHash);
        ASSERT_EQ(VnHashKeyInfo::of(vs(keys[i])).hash, ownHash);
    }
}

Keys collidingKeys(std::size_t count) {
    Keys keys = colliding::keys(count, true);
    expectColliding(keys);
    return keys;
}

// Counts the overflow index's key comparisons from its making.
struct Work {
    std::uint64_t start = VnHashIndex::comparisons;
    std::uint64_t spent() const { return VnHashIndex::comparisons - start; }
};

// Most comparisons one look-up in an ordered index of n keys makes: a red-black tree is at most
// 2 log2(n + 1) deep, one comparison per level and one to tell equality. A list would take n / 2
// on average.
std::uint64_t lookUpBound(std::size_t n) {
    std::uint64_t depth = 0;
    while ((std::uint64_t(1) << depth) < n + 1)
        ++depth;
    return 2 * depth + 1;
}

// What filling a table with n keys may cost: a look-up and an insertion per key, and again for
// each key that the growth of the table places anew (the table grows four times over, so those
// add up to less than n).
std::uint64_t fillBound(std::size_t n) {
    return 4 * n * lookUpBound(n);
}

// The binary form of a string hash holding keys[i] -> "v<i>" for the first count keys.
std::string packedHash(const Keys& keys, std::size_t count) {
    std::string data = kVersion + intField(1, int(count));
    for (std::size_t i = 0; i < count; ++i)
        data += strField(10, keys[i]) + strField(30, "v" + std::to_string(i));
    return data;
}

struct OpenStringHash : VnStringHash {
    using VnStringHash::overflow;
};

struct Item {
    int id = 0;
    explicit Item(int i = 0) : id(i) {}
    virtual ~Item() = default;
    void copy(const Item& other) { id = other.id; }
};

struct OpenHash : VnBaseHash<Item> {
    using VnBaseHash<Item>::overflow;
    int idOf(const std::string& key) const {
        const Item* item = get(vs(key));
        return item ? item->id : -1;
    }
};

// Every key i of keys answers id i, except those that removed tells gone, which are absent.
void expectIds(const OpenHash& hash, const Keys& keys, const std::function<bool(std::size_t)>& removed) {
    const Work work;
    for (std::size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(hash.idOf(keys[i]), removed(i) ? -1 : int(i)) << i;
    EXPECT_LE(work.spent(), keys.size() * lookUpBound(keys.size()));
}

// The allocations made through operator new while a count is open, as the read budget counts
// them: the bytes asked for plus the allocator's overhead per block.
std::int64_t* counting = nullptr;

}  // namespace

void* testAllocate(std::size_t n) {
    if (counting) *counting += std::int64_t(n) + vn_pack::kBlockOverhead;
    return std::malloc(n ? n : 1);
}

#include "tests/support/ReplacedNew.h"

// A reply holding a string hash of crafted keys: nearly all of them go to the overflow index,
// and both the read and the look-ups stay within O(log n) comparisons per key.
TEST(VnHashIndex, PackedHashOfCraftedKeys) {
    const Keys keys = collidingKeys(4096);
    const std::size_t stored = 4000;  // the other 96 keys are looked up as absent
    const std::string data = packedHash(keys, stored);
    OpenStringHash hash;
    const Work read;
    ASSERT_EQ(unpackInto(hash, data), 0);
    EXPECT_LE(read.spent(), fillBound(stored));
    EXPECT_EQ(hash.length(), int(stored));
    EXPECT_GT(hash.overflow.size(), stored - 64);  // the path holds at most 32 keys

    const Work lookUps;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const VnString* value = hash.get(vs(keys[i]));
        if (i < stored) {
            ASSERT_TRUE(value && str(*value) == "v" + std::to_string(i)) << i;
        } else {
            ASSERT_EQ(value, nullptr) << i;
        }
    }
    EXPECT_GE(lookUps.spent(), stored);  // the look-ups really went to the index
    EXPECT_LE(lookUps.spent(), keys.size() * lookUpBound(stored));
}

// The same keys as option names, in a flat and in a sectioned configuration text: every key
// passes the parsers unchanged, and parsing and looking up stay within O(log n) per key.
TEST(VnHashIndex, ConfigurationTextsOfCraftedKeys) {
    const Keys keys = optionKeys();
    expectColliding(keys);
    std::string lines;
    for (std::size_t i = 0; i < keys.size(); ++i)
        lines += keys[i] + " = v" + std::to_string(i) + "\n";
    const auto expectOptions = [&keys](const VnConfig& config) {
        const Work work;
        for (std::size_t i = 0; i < keys.size(); ++i)
            ASSERT_EQ(str(config.option(vs(keys[i]))), "v" + std::to_string(i)) << i;
        EXPECT_GE(work.spent(), keys.size() - 64);
        EXPECT_LE(work.spent(), keys.size() * lookUpBound(keys.size()));
    };

    VnConfig flat;
    const Work flatParse;
    flat.parse(vs(lines));
    EXPECT_LE(flatParse.spent(), fillBound(keys.size()));
    expectOptions(flat);

    VnConfigFile sectioned;
    const Work sectionedParse;
    sectioned.parse(vs("[s]\n" + lines));
    EXPECT_LE(sectionedParse.spent(), fillBound(keys.size()));
    ASSERT_NE(sectioned.config("s"), nullptr);
    expectOptions(*sectioned.config("s"));

    // The keys as section names fill the file's own table of sections.
    std::string headers;
    for (const std::string& key : keys)
        headers += "[" + key + "]\nk = 1\n";
    VnConfigFile named;
    const Work namedParse;
    named.parse(vs(headers));
    EXPECT_LE(namedParse.spent(), 2 * fillBound(keys.size()));
    const Work namedLookUps;
    for (const std::string& key : keys) {
        const VnConfig* section = named.config(vs(key));
        ASSERT_TRUE(section && str(section->name()) == key);
    }
    EXPECT_LE(namedLookUps.spent(), keys.size() * lookUpBound(keys.size()));
}

// Removing, replacing, copying and growing a table of many overflow keys keeps every entry.
TEST(VnHashIndex, RemoveCopyResizeWithOverflowKeys) {
    const Keys keys = collidingKeys(2048);
    OpenHash hash;
    for (std::size_t i = 0; i < keys.size(); ++i)
        hash.set(new Item(int(i)), vs(keys[i]));
    ASSERT_GT(hash.overflow.size(), keys.size() - 64);
    for (std::size_t i = 0; i < keys.size(); i += 3)
        delete hash.remove(vs(keys[i]));
    const auto everyThird = [](std::size_t i) { return i % 3 == 0; };
    expectIds(hash, keys, everyThird);
    EXPECT_EQ(hash.length(), int(keys.size() - (keys.size() + 2) / 3));

    // Replacing a value keeps one entry per key.
    for (std::size_t i = 1; i < keys.size(); i += 3)
        hash.set(new Item(int(i)), vs(keys[i]));
    EXPECT_EQ(hash.length(), int(keys.size() - (keys.size() + 2) / 3));

    OpenHash copy;
    copy.copy(hash);
    EXPECT_EQ(copy.overflow.size(), hash.overflow.size());
    expectIds(copy, keys, everyThird);

    hash.resize();
    expectIds(hash, keys, everyThird);
    for (std::size_t i = 0; i < keys.size(); i += 3)
        hash.set(new Item(int(i)), vs(keys[i]));
    expectIds(hash, keys, [](std::size_t) { return false; });
    expectIds(copy, keys, everyThird);  // the copy is its own

    // Keys compare up to their first zero byte and by length: the index files them alike.
    const std::string zeroed = keys[9] + std::string("\0a", 2);
    hash.set(new Item(-2), vs(zeroed));
    const std::size_t indexed = hash.overflow.size();
    hash.set(new Item(-3), vs(keys[9] + std::string("\0b", 2)));
    EXPECT_TRUE(hash.overflow.size() == indexed && hash.idOf(zeroed) == -3 && hash.idOf(keys[9]) == 9);
    EXPECT_EQ(hash.idOf(keys[9] + std::string("\0", 1)), -1);
    delete hash.remove(vs(zeroed));
    EXPECT_EQ(hash.overflow.size(), indexed - 1);

    hash.clear();
    EXPECT_TRUE(hash.overflow.empty());
    EXPECT_EQ(hash.idOf(keys[5]), -1);
}

// Inside a read the overflow index is charged to the read's budget. A growth or a copy that the
// budget refuses leaves both tables as they were.
TEST(VnHashIndex, RefusedChargeLeavesTablesWhole) {
    const Keys keys = collidingKeys(512);
    OpenHash hash;
    for (std::size_t i = 0; i < keys.size(); ++i)
        hash.set(new Item(int(i)), vs(keys[i]));
    const auto none = [](std::size_t) { return false; };
    OpenHash copy;
    copy.set(new Item(7), vs("kept"));
    {
        const vn_pack::ReadBudget budget(0);
        vn_pack::readBudget = 1000;  // less than the index of 500 keys takes
        EXPECT_THROW(hash.resize(), vn_pack::ReadRefused);
        vn_pack::readBudget = 1000;
        EXPECT_THROW(copy.copy(hash), vn_pack::ReadRefused);
    }
    expectIds(hash, keys, none);
    EXPECT_TRUE(copy.length() == 1 && copy.idOf("kept") == 7);
    // Outside a read nothing is charged.
    const std::int64_t before = vn_pack::readBudget;
    hash.resize();
    copy.copy(hash);
    EXPECT_EQ(vn_pack::readBudget, before);
    expectIds(copy, keys, none);
}

// A read whose keys overflow charges exactly what it allocates, the index's nodes and the
// copies of the keys it holds included.
TEST(VnHashIndex, ReadOfOverflowingKeysChargesWhatItAllocates) {
    const Keys keys = collidingKeys(1024);
    std::string data = packedHash(keys, keys.size());
    OpenStringHash hash;
    std::int64_t allocated = 0;
    std::int64_t charged = 0;
    {
        const vn_pack::ReadBudget budget(0);
        const std::int64_t before = vn_pack::readBudget;
        counting = &allocated;
        EXPECT_EQ(hash.unpack(&data[0], int(data.size())), 0);
        counting = nullptr;
        charged = before - vn_pack::readBudget;
    }
    EXPECT_GT(hash.overflow.size(), keys.size() - 64);
    EXPECT_EQ(charged, allocated);
}
