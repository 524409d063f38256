#include "base/VnBaseHash.h"
#include "base/VnSimpleHash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int alive = 0;

struct Item {
    int id = 0;
    explicit Item(int i = 0) : id(i) { ++alive; }
    virtual ~Item() { --alive; }
    void copy(const Item& other) { id = other.id; }
};

// Opens the tables to the tests.
template <class H>
struct Peek : H {
    using H::count, H::deleted, H::keytable, H::size, H::valuetable;
    int slotOf(const std::string& key) const {
        for (int s = 0; s < size; ++s)
            if (this->occupied(s) && *keytable[s] == key.c_str()) return s;
        return -1;
    }
    int idOf(const std::string& key) const {
        return this->get(key.c_str()) ? this->get(key.c_str())->id : -1;
    }
    // The slots that key lands in when each slot it took is handed in turn to another key
    // ("otherN" with value N), until _set finds the path full.
    std::vector<int> path(const char* key) {
        std::vector<int> slots;
        VnString probe(key);
        for (int s; this->_set(nullptr, &probe); slots.push_back(s)) {
            s = slotOf(key);
            keytable[s] = new VnString(("other" + std::to_string(s)).c_str());
            valuetable[s] = new Item(s);
        }
        return slots;
    }
};
using Hash = Peek<VnBaseHash<Item>>;

TEST(VnBaseHashTest, HashValuesAndProbePaths) {
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

    // Keys equal up to a zero byte and of one length are one key, whatever the table's size.
    for (int filler = 0; filler < 40; filler += 7) {
        Hash z;
        for (int i = 0; i < filler; ++i)
            z.set(new Item(i), ("f" + std::to_string(i)).c_str());
        z.set(new Item(1), VnString("a\0b", 3));
        z.set(new Item(2), VnString("a\0c", 3));
        EXPECT_TRUE(z.length() == filler + 1 && z.get(VnString("a\0x", 3))->id == 2) << filler;
    }
}

TEST(VnBaseHashTest, SetReplaceRemove) {
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

    Peek<VnSimpleHash<int>> simple;
    EXPECT_TRUE(simple.get("x") == 0 && simple.set(5, "x") == 1 && simple.set(7, new VnString("x")) == 1);
    EXPECT_TRUE(simple.set(1, static_cast<VnString*>(nullptr)) == 0 && simple.count == 1 &&
                simple.get("x") == 7);
    simple.clear();
    EXPECT_EQ(0, simple.get("x"));
}

TEST(VnBaseHashTest, CopyWalksClearAndRelease) {
    alive = 0;
    Hash h, c;
    for (int i = 0; i < 40; ++i)
        h.set(new Item(i), ("k" + std::to_string(i)).c_str());
    delete h.remove("k7");
    c.set(new Item(99), "old");
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

// Keys of n blocks "ab" or "ha" (both hash 783) all share one hash value.
std::string colliding(int i, int n = 15) {
    std::string key;
    for (int b = 0; b < n; ++b)
        key += (i >> b) & 1 ? "ha" : "ab";
    return key;
}

TEST(VnBaseHashTest, SharedHashValuesNeverHang) {
    alive = 0;
    const int n = 20000;  // all but a few go beyond their path: quadratic work would take minutes
    std::vector<std::string> keys(n);
    for (int i = 0; i < n; ++i)
        keys[i] = colliding(i);
    Hash h, c;
    for (int i = 0; i < 100; ++i)
        h.set(new Item(-i), ("plain" + std::to_string(i)).c_str());
    for (int round = 0; round < 2; ++round) {  // the second round meets deleted slots
        for (int i = 0; i < n; ++i)
            h.set(new Item(i), keys[i].c_str());
        for (int i = 1; i < n; i += 2)
            h.set(new Item(n + i), keys[i].c_str());                    // replaced, not stored twice
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

    Hash z;  // keys equal up to a zero byte are one key, beyond their path as on it
    const auto key = [](int i, const char* tail) {
        return VnString((colliding(i) + '\0' + tail).data(), 33);
    };
    for (int i = 0; i < 64; ++i)  // one hash value: the last ones go beyond their path
        z.set(new Item(i), key(i, "ab"));
    z.set(new Item(99), key(63, "ha"));
    EXPECT_TRUE(z.length() == 64 && z.get(key(63, "ab"))->id == 99 && z.get(key(62, "ha"))->id == 62);
}

}  // namespace
