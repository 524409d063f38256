#include "base/VnBaseList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/SmallStack.h"

namespace {

int comparisons = 0;

struct Item {
    char tag;
    int rank;
    explicit Item(char t = '?', int r = 0) : tag(t), rank(r) {}
    virtual ~Item() = default;
    void copy(const Item& other) { *this = other; }
};

int byRank(Item* a, Item* b) {
    ++comparisons;
    return (a->rank > b->rank) - (a->rank < b->rank);
}

struct List : VnBaseList<Item> {
    using VnBaseList<Item>::capacity, VnBaseList<Item>::data, VnBaseList<Item>::last;
    List& add(const char* tags, int rank = -1) {
        for (; *tags; ++tags)
            push(new Item(*tags, rank < 0 ? *tags : rank));
        return *this;
    }
    std::string tags() const {
        std::string s;
        for (int i = 0; i < length(); ++i)
            s += get(i) ? get(i)->tag : '-';
        return s;
    }
};

TEST(VnBaseListTest, GrowthQueueAndIndexes) {
    List list;
    Item x;
    EXPECT_TRUE(!list.get(0) && !list.shift() && !list.pop() && !list.top() && !list.set(&x, 0));
    for (int cap : {1, 3, 3, 7, 7, 7, 7, 15})
        EXPECT_TRUE(list.push(new Item) == 1 && list.capacity == cap) << cap;
    list.clear();
    std::unique_ptr<Item> a(list.add("abc").shift()), b, c;
    list.add("d");
    EXPECT_TRUE(a->tag == 'a' && list.tags() == "bcd" && list.last == 3);  // no slot reused
    EXPECT_TRUE(!list.get(-1) && !list.get(3) && !list.remove(3) && !list.remove(-1));
    EXPECT_TRUE(!list.set(&x, 3) && !list.set(&x, -1) && list.length() == 3);
    b.reset(list.get(0));
    EXPECT_EQ(1, list.set(nullptr, 0));  // b is handed back, not deleted
    c.reset(list.remove(1));
    EXPECT_TRUE(c->tag == 'c' && list.tags() == "-d");
    list.clear();  // skips the null

    for (int n = 0; n < 16; ++n)  // a queue keeps growing until release or clear
        delete list.add("q").shift();
    list.push(&x);
    EXPECT_EQ(31, list.capacity);
    list.release();  // deletes nothing
    EXPECT_EQ(0, list.add("r").last);
}

TEST(VnBaseListTest, CopyIsDeep) {
    List source, target;
    source.add("ab").push(nullptr);
    target.add("xyz");
    target = source;
    EXPECT_NE(source.get(0), target.get(0));
    delete source.remove(0);
    const List& self = target;
    target.copy(self);
    target = self;
    EXPECT_EQ("ab-", target.tags());
    target.copy(List());
    EXPECT_EQ(0, target.length());
}

// A move hands the slot array over; the source is left empty and takes elements again. A move
// assignment deletes the target's old elements, and a move onto itself changes nothing.
TEST(VnBaseListTest, MoveHandsTheSlotsOver) {
    List source, target;
    source.add("ab").push(nullptr);
    target.add("xyz");
    Item** const slots = source.data;
    Item* const first = source.get(0);
    List taken(std::move(source));
    EXPECT_TRUE(taken.data == slots && taken.get(0) == first && taken.tags() == "ab-");
    EXPECT_TRUE(source.length() == 0 && source.data == nullptr && source.capacity == 0);
    target = std::move(taken);
    auto& sameTarget = target;  // the same object under another name
    target = std::move(sameTarget);
    EXPECT_TRUE(target.data == slots && target.tags() == "ab-" && taken.length() == 0);
    source.add("cd");
    taken.add("e");
    EXPECT_TRUE(source.tags() == "cd" && taken.tags() == "e" && target.get(0) == first);
}

TEST(VnBaseListTest, SortOrderComparisonsAndDepth) {
    List list, equal;
    comparisons = 0;
    list.sort(byRank);
    list.add("a").sort(byRank);
    EXPECT_EQ(0, comparisons);
    list.clear();
    list.add("xyz", 5).sort(byRank);
    EXPECT_TRUE(list.tags() == "yxz" && comparisons == 3);
    for (const char* text : {"edcba", "!qwertyuiopasdfghjklzxcvbnm"}) {
        std::string sorted(text + 1);
        std::sort(sorted.begin(), sorted.end());
        list.clear();
        delete list.add(text).shift();  // the sort covers the elements, not the slots shifted out
        list.sort(byRank);
        EXPECT_EQ(sorted, list.tags());
    }

    // Each partition of equal elements splits off one element; past 64 + 2 log2(n) levels the rest
    // is heapsorted, so 40,000 of them take millions of comparisons, not 800 million.
    equal.add(std::string(40000, 'e').c_str(), 7);
    comparisons = 0;
    ASSERT_TRUE(runOnSmallStack([&] { equal.sort(byRank); }));
    EXPECT_LT(comparisons, (64 + 2 * 15) * 40000 + 2 * 16 * 40000);
    EXPECT_GT(comparisons, 64 * 39000);  // the partition steps ran first

    List few;  // two ranks only: partitions go bad and heapsort finishes the ranges
    for (int i = 0; i < 3000; ++i)
        few.push(new Item('f', (i * 7919) % 3 == 0));
    few.sort(byRank);
    for (int i = 1; i < few.length(); ++i)
        ASSERT_LE(few.get(i - 1)->rank, few.get(i)->rank) << i;
}

}  // namespace
