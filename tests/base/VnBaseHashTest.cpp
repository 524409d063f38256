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
    using H::count;
    using H::deleted;
    using H::keytable;
    using H::size;
    using H::valuetable;
    int slotOf(const std::string& key) const
    {
        for (int s = 0; s < size; ++s)
            if (this->occupied(s) && *keytable[s] == key.c_str())
                return s;
        return -1;
    }
    // The slots that key lands in when each slot it took is handed in turn to another key
    // ("otherN" with value N), until _set finds the path full.
    std::vector<int> path(const char* key)
    {
        std::vector<int> slots;
        VnString probe(key);
        while (this->_set(nullptr, &probe)) {
            const int s = slotOf(key);
            slots.push_back(s);
            keytable[s] = new VnString(("other" + std::to_string(s)).c_str());
            valuetable[s] = new Item(s);
        }
        return slots;
    }
};
using Hash = Peek<VnBaseHash<Item>>;

int idOf(const Hash& h, const std::string& key)
{
    const Item* item = h.get(key.c_str());
    return item ? item->id : -1;
}

// The 2^n keys made of n blocks "ab" or "ha" all share one hash value.
std::vector<std::string> collidingKeys(int n)
{
    std::vector<std::string> keys(1 << n);
    for (size_t i = 0; i < keys.size(); ++i)
        for (int b = 0; b < n; ++b)
            keys[i] += (i >> b) & 1 ? "ha" : "ab";
    return keys;
}

TEST(VnBaseHashTest, HashValuesAndProbePaths)
{
    Hash h;
    EXPECT_EQ(5634u, h._key("abc"));
    EXPECT_EQ(783u, h._key("ab"));
    EXPECT_EQ(777u, h._key("ba"));
    EXPECT_EQ(783u, h._key("ha"));
    EXPECT_EQ(4294967273u, h._key("\xE9"));

    const std::vector<int> abc = {7, 11, 15, 6, 5, 3, 16, 8};
    EXPECT_EQ(abc, h.path("abc"));
    EXPECT_EQ(1, h.set(new Item(1), "abc"));  // the full path makes the table grow
    EXPECT_GE(h.size, 69);
    EXPECT_LE(h.size, 168);
    EXPECT_EQ(9, h.length());
    EXPECT_EQ(1, idOf(h, "abc"));
    for (int s : abc)
        EXPECT_EQ(s, idOf(h, "other" + std::to_string(s)));

    Hash e;  // the path of byte E9 wraps past 2^32 and meets slots 3 and 12 twice
    EXPECT_EQ((std::vector<int>{12, 16, 3, 11, 9, 7}), e.path("\xE9"));
}

TEST(VnBaseHashTest, SetReplaceRemove)
{
    alive = 0;
    {
        Hash h;
        Item spare;
        EXPECT_EQ(0, h.set(&spare, static_cast<VnString*>(nullptr)));

        h.set(new Item(1), VnString());  // the undefined and the empty key are one key, in slot 0
        VnString* empty = new VnString("");
        h.set(new Item(2), empty);
        EXPECT_EQ(1, h.length());
        EXPECT_EQ(empty, h.keytable[0]);
        EXPECT_EQ(2, idOf(h, ""));
        EXPECT_EQ(2, alive);  // the first value is gone
        h.set(h.get(""), h.keytable[0]);  // storing the stored objects again keeps them
        EXPECT_EQ(2, idOf(h, ""));
        h.set(nullptr, "null");
        EXPECT_EQ(2, h.length());

        h.set(new Item(3), "ab");
        h.set(new Item(4), "ha");  // same hash: further along the path
        delete h.remove("ab");
        EXPECT_EQ(nullptr, h.remove("ab"));
        EXPECT_EQ(4, idOf(h, "ha"));
        const int slot = h.slotOf("ha");
        h.set(new Item(5), "ha");  // replaced in its slot, not stored again in the deleted one
        EXPECT_EQ(3, h.length());
        EXPECT_EQ(slot, h.slotOf("ha"));
        delete h.remove("ha");
        EXPECT_EQ(nullptr, h.get("ha"));
        EXPECT_EQ(2, alive);
        h.clear();
        EXPECT_EQ(1, alive);
        h.set(new Item(6), "kept");
    }
    EXPECT_EQ(0, alive);
}

TEST(VnBaseHashTest, CopyClearRelease)
{
    alive = 0;
    Hash h;
    for (int i = 0; i < 40; ++i)
        h.set(new Item(i), ("k" + std::to_string(i)).c_str());
    delete h.remove("k7");

    Hash c;
    c.set(new Item(99), "old");
    c = h;
    c.copy(c);  // copying onto itself changes nothing
    ASSERT_EQ(h.size, c.size);
    EXPECT_EQ(-1, idOf(c, "old"));
    for (int s = 0; s < h.size; ++s) {  // slot for slot, sharing nothing
        EXPECT_EQ(h.keytable[s] == &h.deleted, c.keytable[s] == &c.deleted);
        EXPECT_TRUE(!h.valuetable[s] || h.valuetable[s] != c.valuetable[s]);
    }
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(h.slotOf("k" + std::to_string(i)), c.slotOf("k" + std::to_string(i)));
        EXPECT_EQ(i == 7 ? -1 : i, idOf(c, "k" + std::to_string(i)));
    }
    EXPECT_EQ(78, alive);

    const int size = c.size;
    c.clear();
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(39, alive);

    VnBaseList<Item> values;
    h.values(values);
    EXPECT_EQ(39, values.length());
    h.release();
    values.clear();  // the list now owns the values
    EXPECT_EQ(0, alive);
}

TEST(VnBaseHashTest, KeyLists)
{
    Peek<VnBaseHash<VnString>> h;
    h.set(new VnString("1"), "one");
    h.set(new VnString("2"), "two");
    VnBaseList<VnString> keys, copies;
    keys.push(new VnString("stale"));  // keys clears the list first
    h.keys(keys);
    h.copykeys(copies);
    ASSERT_TRUE(keys.length() == 2 && copies.length() == 2);
    EXPECT_LT(h.slotOf(keys.get(0)->value()), h.slotOf(keys.get(1)->value()));  // slot order
    for (int i = 0; i < 2; ++i) {  // the hash's own keys, and new copies of them
        EXPECT_EQ(h.keytable[h.slotOf(keys.get(i)->value())], keys.get(i));
        EXPECT_TRUE(*copies.get(i) == *keys.get(i) && copies.get(i) != keys.get(i));
    }
    keys.release();
    copies.clear();
    EXPECT_STREQ("2", h.get("two")->value());
}

TEST(VnBaseHashTest, SharedHashValuesNeverHang)
{
    alive = 0;
    const std::vector<std::string> keys = collidingKeys(9);
    Hash h;
    for (int i = 0; i < 100; ++i)
        h.set(new Item(-i), ("plain" + std::to_string(i)).c_str());
    for (int round = 0; round < 2; ++round) {  // the second round meets deleted slots
        for (size_t i = 0; i < keys.size(); ++i)
            h.set(new Item(static_cast<int>(i)), keys[i].c_str());
        EXPECT_EQ(612, h.length());
        EXPECT_LT(h.size, 64 * h.length());  // grows with the entries, not with each collision
        for (size_t i = 0; i < keys.size(); i += 2)
            delete h.remove(keys[i].c_str());
        for (size_t i = 0; i < keys.size(); ++i)
            ASSERT_EQ(i % 2 ? static_cast<int>(i) : -1, idOf(h, keys[i]));
    }
    EXPECT_EQ(h.length(), alive);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(-i, idOf(h, "plain" + std::to_string(i)));
}

TEST(VnSimpleHashTest, Values)
{
    Peek<VnSimpleHash<int>> h;
    EXPECT_EQ(0, h.get("x"));
    EXPECT_EQ(1, h.set(5, "x"));
    EXPECT_EQ(1, h.set(7, new VnString("x")));
    EXPECT_EQ(0, h.set(1, static_cast<VnString*>(nullptr)));
    EXPECT_EQ(1, h.count);
    EXPECT_EQ(7, h.get("x"));
    h.clear();
    EXPECT_EQ(0, h.get("x"));
}

}  // namespace
