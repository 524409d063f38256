#include "base/VnBaseHash.h"
#include "base/VnSimpleHash.h"

#include <gtest/gtest.h>

#include "testing/PeakMemory.h"
#include "tests/support/HashItems.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using hashitems::alive;
using hashitems::Item;

VnString vn(const std::string& s) {
    return VnString(s.data(), static_cast<int>(s.size()));
}

// Opens the tables to the tests.
template <class H>
struct Peek : H {
    using H::count, H::deleted, H::keytable, H::occupied, H::size, H::slots, H::valuetable;
    int slotOf(const std::string& key) const {
        for (int s = 0; s < size; ++s)
            if (occupied(s) && *keytable[s] == vn(key)) return s;
        return -1;
    }
    int idOf(const std::string& key) const { return this->get(vn(key)) ? this->get(vn(key))->id : -1; }
    void put(int id, const std::string& key) { this->set(new Item(id), vn(key)); }
    // The slots that key lands in when each slot it took is handed in turn to another key
    // ("otherN" with value N), until _set finds the path full.
    std::vector<int> path(const char* key) {
        std::vector<int> taken;
        VnString probe(key);
        for (int s; this->_set(nullptr, &probe); taken.push_back(s)) {
            s = slotOf(key);
            keytable[s] = new VnString(("other" + std::to_string(s)).c_str());
            valuetable[s] = new Item(s);
        }
        return taken;
    }
};
using Hash = Peek<VnBaseHash<Item>>;

// Keys of n blocks "ab" or "ha" (both hash 783): all of one hash value and one length.
std::string colliding(int i, int n = 15) {
    std::string key;
    for (int b = 0; b < n; ++b)
        key += (i >> b) & 1 ? "ha" : "ab";
    return key;
}

std::uint32_t plainHash(const std::string& key) {
    std::uint32_t h = 0, m = 1;
    for (std::size_t i = 0; i < key.size() && key[i]; ++i, m *= 7)
        h += static_cast<std::uint32_t>(static_cast<signed char>(key[i])) * m;
    return h;
}

// The slots of the probe path of h in a table of n slots, straight from the definition.
std::vector<int> plainPath(std::uint32_t h, int n) {
    std::vector<int> slots;
    for (int i = 0; i < std::min(n / 2, 65); i = i == 30 ? 64 : i + 1) {
        const std::uint32_t offset = i == 0 || i % 64 > 30 ? 0u : 2u << (i % 64);
        slots.push_back(static_cast<int>((h + offset) % static_cast<std::uint32_t>(n)));
    }
    return slots;
}

std::vector<int> walkedPath(std::uint32_t h, int n) {
    VnHashProbe probe(h, static_cast<std::uint32_t>(n), static_cast<std::uint32_t>((1ull << 32) % n));
    std::vector<int> slots;
    for (int i = VnHashProbe::length(n); i > 0; --i, probe.next())
        slots.push_back(probe.slot());
    return slots;
}

TEST(VnBaseHash, HashValuesAndProbePaths) {
    Hash h;
    EXPECT_TRUE(h._key("abc") == 5634u && h._key("ab") == 783u && h._key("ba") == 777u);
    EXPECT_TRUE(h._key("ha") == 783u && h._key("\xE9") == 4294967273u && h._key("") == 0u);
    const std::vector<int> abc = {7, 11, 15, 6, 5, 3, 16, 8};
    EXPECT_EQ(abc, h.path("abc"));
    EXPECT_EQ(1, h.set(new Item(1), "abc"));  // the full path makes the table grow
    EXPECT_TRUE(h.size >= 69 && h.size <= 168 && h.length() == 9 && h.idOf("abc") == 1);
    for (int s : abc)
        EXPECT_EQ(s, h.idOf("other" + std::to_string(s)));
    Hash e;  // the path of byte E9 wraps past 2^32 and meets slots 3 and 12 twice
    EXPECT_EQ((std::vector<int>{12, 16, 3, 11, 9, 7}), e.path("\xE9"));

    std::mt19937 random(7);
    for (int length = 0; length < 40; ++length) {
        std::string key(static_cast<std::size_t>(length), ' ');
        for (char& c : key)
            c = static_cast<char>(random() % 255 + 1);  // negative bytes too, no zero
        EXPECT_EQ(plainHash(key), VnHashKeyInfo::of(vn(key)).hash) << length;
        if (length < 4) continue;
        key[2] = '\0';  // text past a zero byte counts for neither hash
        key[length - 1] = 'x';
        const VnHashKeyInfo cut = VnHashKeyInfo::of(vn(key));
        key[length - 1] = 'y';
        EXPECT_TRUE(cut == VnHashKeyInfo::of(vn(key)) && cut.hash == plainHash(key));
    }
    // Lengths count in the fingerprint: "a" and "a\0" share their hash value only.
    EXPECT_FALSE(VnHashKeyInfo::of(VnString("a", 1)) == VnHashKeyInfo::of(VnString("a\0", 2)));
    for (int n : {17, 18, 62, 63, 64, 129, 130, 131, 1000003, 1 << 30, INT_MAX / 2}) {
        for (std::uint32_t hv : {0u, 1u, 5u, 2147483648u, 4294967273u, UINT32_MAX - 3, UINT32_MAX})
            EXPECT_EQ(plainPath(hv, n), walkedPath(hv, n)) << hv << " in " << n;
        for (int k = 0; k < 200; ++k) {
            const std::uint32_t hv = static_cast<std::uint32_t>(random());
            ASSERT_EQ(plainPath(hv, n), walkedPath(hv, n)) << hv << " in " << n;
        }
    }
}

TEST(VnBaseHash, SetReplaceRemove) {
    alive = 0;
    Hash h;
    Item spare;
    EXPECT_TRUE(h.get("") == nullptr && h.set(&spare, static_cast<VnString*>(nullptr)) == 0);
    h.set(new Item(1), VnString());  // the undefined and the empty key are one key, in slot 0
    VnString* empty = new VnString("");
    h.set(new Item(2), empty);
    EXPECT_TRUE(h.length() == 1 && h.keytable[0] == empty && h.idOf("") == 2 && alive == 2);
    h.set(nullptr, "null");  // counted, and read as null

    h.set(new Item(3), "ab");
    h.set(new Item(4), "ha");  // same hash: further along the path
    delete h.remove("ab");
    EXPECT_TRUE(h.remove("ab") == nullptr && h.idOf("ha") == 4 && h.length() == 3 && !h.get("null"));
    const int slot = h.slotOf("ha");
    h.set(new Item(5), "ha");  // replaced in its slot, not stored again in the deleted one
    EXPECT_TRUE(h.length() == 3 && h.slotOf("ha") == slot);
    delete h.remove("ha");
    EXPECT_TRUE(h.get("ha") == nullptr && alive == 2);
    h.clear();
    EXPECT_EQ(1, alive);

    Hash t;  // "ab", "ha" and "Zc" all hash to 783
    t.put(1, "ab");
    t.put(2, "ha");
    const int first = t.slotOf("ab");
    delete t.remove("ab");
    t.put(3, "Zc");  // takes the first deleted slot of the path
    EXPECT_TRUE(t.slotOf("Zc") == first && t.idOf("ha") == 2 && t.idOf("ab") == -1 && t.length() == 2);

    Peek<VnSimpleHash<int>> simple;
    EXPECT_TRUE(simple.get("x") == 0 && simple.set(5, "x") == 1 && simple.set(7, new VnString("x")) == 1);
    EXPECT_TRUE(simple.set(1, static_cast<VnString*>(nullptr)) == 0 && simple.count == 1 &&
                simple.get("x") == 7);
    simple.clear();
    EXPECT_EQ(0, simple.get("x"));
}

TEST(VnBaseHash, CopyWalksClearAndRelease) {
    alive = 0;
    Hash h, c;
    for (int i = 0; i < 40; ++i)
        h.put(i, "k" + std::to_string(i));
    delete h.remove("k7");
    c.put(99, "old");
    c = h;
    c.copy(c);  // copying onto itself changes nothing
    EXPECT_TRUE(h.size == c.size && c.idOf("old") == -1 && c.idOf("k7") == -1 && alive == 78);
    for (int s = 0; s < h.size; ++s)
        EXPECT_EQ(h.keytable[s] == &h.deleted, c.keytable[s] == &c.deleted);

    VnBaseList<Item> values;
    VnBaseList<VnString> keys, copies;
    keys.push(new VnString("stale"));  // keys clears the list first
    h.keys(keys);
    h.copykeys(copies);
    h.values(values);
    ASSERT_TRUE(keys.length() == 39 && copies.length() == 39 && values.length() == 39);
    for (int i = 0; i < 39; ++i) {  // in slot order: the hash's own objects, new key copies
        const int s = h.slotOf(keys.get(i)->value());
        EXPECT_TRUE(i == 0 || h.slotOf(keys.get(i - 1)->value()) < s);
        EXPECT_TRUE(h.keytable[s] == keys.get(i) && h.valuetable[s] == values.get(i));
        EXPECT_TRUE(*copies.get(i) == *keys.get(i) && copies.get(i) != keys.get(i));
        EXPECT_TRUE(c.slotOf(keys.get(i)->value()) == s && c.valuetable[s]->id == values.get(i)->id);
    }
    c.clear();
    EXPECT_TRUE(c.size == h.size && c.length() == 0 && alive == 39 && c.idOf("k1") == -1);
    keys.release();
    h.release();
    EXPECT_EQ(39, alive);
    values.clear();  // the list now owns the values
}

TEST(VnBaseHash, GrowthKeepsEveryKeyOnItsPath) {
    // Without removals a key sits on its path behind occupied slots only, before and after resize.
    Hash grown;
    const int n = 3000;
    for (int i = 0; i < n; ++i)
        grown.put(i, "k" + std::to_string(i));
    for (int round = 0; round < 2; ++round, grown.resize()) {
        std::vector<int> seen(n);
        for (int s = 0; s < grown.size; ++s) {
            if (!grown.occupied(s)) continue;
            const std::string key = grown.keytable[s]->value();
            const std::vector<int> path = plainPath(plainHash(key), grown.size);
            const auto at = std::find(path.begin(), path.end(), s);
            ASSERT_NE(at, path.end()) << key;
            for (auto before = path.begin(); before != at; ++before)
                ASSERT_NE(grown.slots[*before].key, nullptr) << key;
            const int i = std::stoi(key.substr(1));
            ASSERT_EQ(i, grown.idOf(key));
            ++seen.at(static_cast<std::size_t>(i));
        }
        ASSERT_EQ(seen, std::vector<int>(n, 1));
    }
}

// Keys "k0".."kN" have hash values close together, so their paths overlap and fill up while
// most of the table is still empty. The table grows only once half its slots are taken.
TEST(VnBaseHash, NumberedKeysCostAsMuchAsScatteredOnes) {
    const auto key = [](bool numbered, int i, std::mt19937& random) {
        if (numbered) return "k" + std::to_string(i);
        std::string scattered(8, ' ');
        for (char& c : scattered)
            c = static_cast<char>('a' + random() % 26);
        return scattered;
    };
    Peek<VnSimpleHash<int>> h;
    std::mt19937 random(5);
    for (int i = 0; i < 100000; ++i) {
        const int before = h.size;
        h.set(i, vn(key(true, i, random)));
        if (h.size != before) {  // grown only from a table at least half full
            ASSERT_TRUE(h.count - 1 >= before / 2 && h.size <= 4 * before + 100) << i;
        }
    }
    EXPECT_TRUE(h.count == 100000 && h.get("k99999") == 99999 && h.get("k0") == 0);

    // Peak memory of 200,000 keys of each kind, in a child process each.
    const auto fill = [&key](bool numbered) {
        return childPeakGrowthKb([&key, numbered] {
            VnSimpleHash<int> t;
            std::mt19937 r(9);
            for (int i = 0; i < 200000; ++i)
                t.set(i, vn(key(numbered, i, r)));
        });
    };
    const long numbered = fill(true), scattered = fill(false);
    ASSERT_TRUE(numbered > 0 && scattered > 0);
    EXPECT_LE(numbered, scattered * 3 / 2) << numbered << " KiB against " << scattered << " KiB";
}

TEST(VnBaseHash, SharedHashValuesNeverHang) {
    alive = 0;
    const int n = 20000;  // all but a few go beyond their path: quadratic work would take minutes
    std::vector<std::string> keys(n);
    for (int i = 0; i < n; ++i)
        keys[i] = colliding(i);
    Hash h, c;
    for (int i = 0; i < 100; ++i)
        h.put(-i, "plain" + std::to_string(i));
    for (int round = 0; round < 2; ++round) {  // the second round meets deleted slots
        for (int i = 0; i < n; ++i)
            h.put(i, keys[i]);
        for (int i = 1; i < n; i += 2)
            h.put(n + i, keys[i]);                                      // replaced, not stored twice
        EXPECT_TRUE(h.length() == n + 100 && h.size < 64 * (n + 100));  // grows with entries, not collisions
        for (int i = 0; i < n; i += 2)
            delete h.remove(keys[i].c_str());
    }
    h.resize();  // every key placed anew
    c = h;       // slot for slot, the keys beyond their path included
    EXPECT_TRUE(h.length() == n / 2 + 100 && alive == 2 * h.length() &&
                c.slotOf(keys[1]) == h.slotOf(keys[1]));
    for (const Hash* t : {&h, &c}) {
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(i % 2 ? n + i : -1, t->idOf(keys[i]));
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(-i, t->idOf("plain" + std::to_string(i)));
    }
    delete c.remove(keys[n - 1].c_str());
    EXPECT_TRUE(c.idOf(keys[n - 1]) == -1 && h.idOf(keys[n - 1]) == 2 * n - 1 && c.length() == n / 2 + 99);

    Hash z;  // keys equal up to a zero byte are one key, on their path as beyond it
    const auto key = [](int i, const char* tail) { return colliding(i) + '\0' + tail; };
    for (int i = 0; i < 64; ++i)  // one hash value: the last ones go beyond their path
        z.put(i, key(i, "ab"));
    z.put(99, key(63, "ha"));
    EXPECT_TRUE(z.length() == 64 && z.idOf(key(63, "ab")) == 99 && z.idOf(key(62, "ha")) == 62);
    EXPECT_EQ(z.idOf(key(0, "ha")), 0);
}

TEST(VnBaseHash, KeysOfOneDescriptionStayApart) {
    // Among 2^18 keys of one hash value and one length, find two of one fingerprint.
    std::vector<std::pair<std::uint32_t, int>> prints;
    for (int i = 0; i < 1 << 18; ++i)
        prints.emplace_back(VnHashKeyInfo::of(colliding(i, 18).c_str()).fingerprint, i);
    std::sort(prints.begin(), prints.end());
    const auto twin = std::adjacent_find(prints.begin(), prints.end(),
                                         [](const auto& a, const auto& b) { return a.first == b.first; });
    ASSERT_NE(twin, prints.end());
    const std::string a = colliding(twin->second, 18), b = colliding((twin + 1)->second, 18);
    ASSERT_TRUE(VnHashKeyInfo::of(a.c_str()) == VnHashKeyInfo::of(b.c_str()) && a != b);

    Hash t;
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

}  // namespace
