#include "base/VnBaseHash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Item {
    int id = 0;
    explicit Item(int i = 0) : id(i) {}
    virtual ~Item() = default;
    void copy(const Item& other) { id = other.id; }
};

// Opens the slots to the tests.
struct Table : VnBaseHash<Item> {
    using VnBaseHash<Item>::size;
    int slotOf(const std::string& key) const {
        for (int s = 0; s < size; ++s)
            if (occupied(s) && *slots[s].key == VnString(key.data(), static_cast<int>(key.size()))) return s;
        return -1;
    }
    int idOf(const std::string& key) const {
        const Item* item = get(VnString(key.data(), static_cast<int>(key.size())));
        return item ? item->id : -1;
    }
    bool isEmpty(int s) const { return !slots[s].key; }
    std::map<std::string, int> slotsByKey() const {
        std::map<std::string, int> slotOfKey;
        for (int s = 0; s < size; ++s)
            if (occupied(s)) slotOfKey[slots[s].key->value()] = s;
        return slotOfKey;
    }
    void put(int id, const std::string& key) {
        set(new Item(id), VnString(key.data(), static_cast<int>(key.size())));
    }
};

std::uint32_t plainHash(const std::string& key) {
    std::uint32_t h = 0, m = 1;
    for (char c : key) {
        if (c == '\0') break;
        h += static_cast<std::uint32_t>(static_cast<signed char>(c)) * m;
        m *= 7;
    }
    return h;
}

// The slots of the probe path of h in a table of n slots, straight from the definition.
std::vector<int> plainPath(std::uint32_t h, int n) {
    std::vector<int> slots;
    for (int i = 0; i < std::min(n / 2, 65); i = i == 30 ? 64 : i + 1) {
        const int shift = i % 64;
        const std::uint32_t offset = i == 0 || shift > 30 ? 0u : 2u << shift;
        slots.push_back(
            static_cast<int>(static_cast<std::uint32_t>(h + offset) % static_cast<std::uint32_t>(n)));
    }
    return slots;
}

std::vector<int> walkedPath(std::uint32_t h, int n) {
    const auto wrap = static_cast<std::uint32_t>((std::uint64_t(1) << 32) % static_cast<std::uint64_t>(n));
    VnHashProbe probe(h, static_cast<std::uint32_t>(n), wrap);
    std::vector<int> slots;
    for (int i = VnHashProbe::length(n); i > 0; --i, probe.next())
        slots.push_back(probe.slot());
    return slots;
}

// Keys of n blocks "ab" or "ha" (both hash 783): all of one hash value and one length.
std::string colliding(int i, int n) {
    std::string key;
    for (int b = 0; b < n; ++b)
        key += (i >> b) & 1 ? "ha" : "ab";
    return key;
}

TEST(VnHashTable, HashValuesAndProbePathsFollowTheirDefinitions) {
    std::mt19937 random(7);
    for (int length = 0; length < 40; ++length) {
        std::string key(static_cast<std::size_t>(length), ' ');
        for (char& c : key)
            c = static_cast<char>(random() % 255 + 1);  // negative bytes too, no zero
        const VnString text(key.data(), length);
        EXPECT_EQ(plainHash(key), VnHashKeyInfo::of(text).hash) << length;
        if (length < 4) continue;
        key[2] = '\0';  // text past a zero byte counts for neither hash
        key[length - 1] = 'x';
        const VnHashKeyInfo cut = VnHashKeyInfo::of(VnString(key.data(), length));
        key[length - 1] = 'y';
        EXPECT_TRUE(cut == VnHashKeyInfo::of(VnString(key.data(), length)) && cut.hash == plainHash(key));
    }
    // Lengths count in the fingerprint: "a" and "a\0" share their hash value only.
    EXPECT_FALSE(VnHashKeyInfo::of(VnString("a", 1)) == VnHashKeyInfo::of(VnString("a\0", 2)));

    const std::vector<std::uint32_t> hashes = {0, 1, 5, 2147483648u, 4294967273u, UINT32_MAX - 3, UINT32_MAX};
    for (int n : {17, 18, 62, 63, 64, 129, 130, 131, 1000003, 1 << 30, INT_MAX / 2}) {
        for (std::uint32_t h : hashes)
            EXPECT_EQ(plainPath(h, n), walkedPath(h, n)) << h << " in " << n;
        for (int k = 0; k < 200; ++k) {
            const std::uint32_t h = static_cast<std::uint32_t>(random());
            ASSERT_EQ(plainPath(h, n), walkedPath(h, n)) << h << " in " << n;
        }
    }
}

TEST(VnHashTable, KeysOfOneDescriptionStayApart) {
    // Among 2^18 keys of one hash value and one length, find two of one fingerprint.
    const int blocks = 18;
    std::vector<std::pair<std::uint32_t, int>> prints;
    for (int i = 0; i < 1 << blocks; ++i)
        prints.emplace_back(VnHashKeyInfo::of(colliding(i, blocks).c_str()).fingerprint, i);
    std::sort(prints.begin(), prints.end());
    const auto twin = std::adjacent_find(prints.begin(), prints.end(),
                                         [](const auto& a, const auto& b) { return a.first == b.first; });
    ASSERT_NE(twin, prints.end());
    const std::string a = colliding(twin->second, blocks), b = colliding((twin + 1)->second, blocks);
    ASSERT_TRUE(VnHashKeyInfo::of(a.c_str()) == VnHashKeyInfo::of(b.c_str()) && a != b);

    Table t;
    t.put(1, a);
    EXPECT_EQ(-1, t.idOf(b));  // an equal description is not an equal key
    t.put(2, b);
    EXPECT_TRUE(t.length() == 2 && t.idOf(a) == 1 && t.idOf(b) == 2 && t.slotOf(a) != t.slotOf(b));
    t.resize();
    EXPECT_TRUE(t.length() == 2 && t.idOf(a) == 1 && t.idOf(b) == 2);
    delete t.remove(a.c_str());
    EXPECT_TRUE(t.idOf(a) == -1 && t.idOf(b) == 2);
    t.put(3, b);
    EXPECT_TRUE(t.length() == 1 && t.idOf(b) == 3);
}

TEST(VnHashTable, DeletedSlotsAreReusedAndGrowthKeepsEveryKeyOnItsPath) {
    Table t;  // "ab", "ha" and "Zc" all hash to 783
    t.put(1, "ab");
    t.put(2, "ha");
    const int first = t.slotOf("ab");
    delete t.remove("ab");
    t.put(3, "Zc");  // takes the first deleted slot of the path
    EXPECT_TRUE(t.slotOf("Zc") == first && t.idOf("ha") == 2 && t.idOf("ab") == -1 && t.length() == 2);

    // Without removals a key sits on its path behind occupied slots only, before and after
    // every growth; resize and copy move slots and descriptions together.
    Table grown;
    const int n = 3000;
    for (int i = 0; i < n; ++i)
        grown.put(i, "k" + std::to_string(i));
    for (int round = 0; round < 2; ++round) {
        const std::map<std::string, int> slotOfKey = grown.slotsByKey();
        for (int i = 0; i < n; ++i) {
            const std::string key = "k" + std::to_string(i);
            const std::vector<int> path = plainPath(plainHash(key), grown.size);
            const auto at = std::find(path.begin(), path.end(), slotOfKey.at(key));
            ASSERT_NE(at, path.end()) << key;
            for (auto before = path.begin(); before != at; ++before)
                ASSERT_FALSE(grown.isEmpty(*before)) << key;
            ASSERT_EQ(i, grown.idOf(key));
        }
        grown.resize();
    }
    Table copy;
    copy = grown;
    EXPECT_TRUE(copy.slotsByKey() == grown.slotsByKey() && copy.length() == n);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(i, copy.idOf("k" + std::to_string(i)));
}

}  // namespace
