#include "base/VnBaseList.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <string>

namespace {

int destroyed = 0;
int comparisons = 0;

struct Item {
    char tag = '?';
    int rank = 0;
    Item() = default;
    Item(char t, int r) : tag(t), rank(r) {}
    virtual ~Item() { ++destroyed; }
    void copy(const Item& other) { tag = other.tag; rank = other.rank; }
};

int byRank(Item* a, Item* b)
{
    ++comparisons;
    return (a->rank > b->rank) - (a->rank < b->rank);
}

struct List : VnBaseList<Item> {
    int slots() const { return capacity; }
    int lastSlot() const { return last; }
    void add(const char* tags) { for (; *tags; ++tags) push(new Item(*tags, *tags)); }
    std::string tags() const
    {
        std::string s;
        for (int i = 0; i < length(); ++i) s += get(i) ? get(i)->tag : '-';
        return s;
    }
};

TEST(VnBaseListTest, GrowthAndQueue)
{
    destroyed = 0;
    List list;
    Item spare;
    EXPECT_TRUE(!list.get(0) && !list.shift() && !list.pop() && !list.top());
    EXPECT_EQ(0, list.set(&spare, 0));
    for (int cap : {1, 3, 3, 7, 7, 7, 7, 15}) {
        EXPECT_EQ(1, list.push(new Item));
        EXPECT_EQ(cap, list.slots());
    }
    list.clear();
    EXPECT_EQ(8, destroyed);

    list.add("abc");
    Item* a = list.shift();
    list.add("d");
    EXPECT_EQ('a', a->tag);
    EXPECT_EQ("bcd", list.tags());
    EXPECT_EQ(3, list.lastSlot());  // slots shifted out are not reused
    delete a;
    list.clear();
    for (int n = 0; n < 16; ++n) {
        list.add("q");
        delete list.shift();
    }
    EXPECT_EQ(31, list.slots());
    list.release();
    list.add("r");
    EXPECT_EQ(0, list.lastSlot());
}

TEST(VnBaseListTest, IndexesClearAndRelease)
{
    destroyed = 0;
    List list;
    list.add("abc");
    delete list.shift();
    Item x('x', 0);
    EXPECT_TRUE(!list.get(-1) && !list.get(2) && !list.remove(2) && !list.remove(-1));
    EXPECT_TRUE(!list.set(&x, 2) && !list.set(&x, -1));
    Item* b = list.get(0);
    EXPECT_EQ(1, list.set(nullptr, 0));  // b is handed back, not deleted
    EXPECT_EQ(1, destroyed);
    delete b;
    list.add("d");
    Item* c = list.remove(1);
    EXPECT_EQ('c', c->tag);
    delete c;
    EXPECT_EQ("-d", list.tags());
    list.clear();  // skips the null
    EXPECT_EQ(4, destroyed);

    list.push(&x);
    list.release();
    EXPECT_EQ(0, list.length());
    EXPECT_EQ(4, destroyed);
}

TEST(VnBaseListTest, CopyIsDeep)
{
    List source, target;
    source.add("ab");
    source.push(nullptr);
    target.add("xyz");
    target = source;
    EXPECT_EQ("ab-", target.tags());
    EXPECT_NE(source.get(0), target.get(0));
    delete source.remove(0);
    EXPECT_EQ("ab-", target.tags());

    const List& self = target;
    target.copy(self);
    target = self;
    EXPECT_EQ("ab-", target.tags());
    target.copy(List());
    EXPECT_EQ(0, target.length());
}

TEST(VnBaseListTest, SortOrderAndComparisons)
{
    List list;
    comparisons = 0;
    list.sort(byRank);
    list.add("a");
    list.sort(byRank);
    EXPECT_EQ(0, comparisons);
    list.clear();

    for (char tag : {'x', 'y', 'z'}) list.push(new Item(tag, 5));
    list.sort(byRank);
    EXPECT_EQ("yxz", list.tags());
    EXPECT_EQ(3, comparisons);
    list.clear();

    list.add("edcba");
    delete list.shift();  // the sort covers the elements, not the slots shifted out
    list.sort(byRank);
    EXPECT_EQ("abcd", list.tags());
}

// A sort recursing once per element of an uneven partition overflows this small stack.
void sortOnSmallStack(List& list)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 128 * 1024);
    pthread_t thread;
    auto sort = [](void* l) -> void* { static_cast<List*>(l)->sort(byRank); return nullptr; };
    ASSERT_EQ(0, pthread_create(&thread, &attr, sort, &list));
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST(VnBaseListTest, LargeSortsKeepTheStackShallow)
{
    List sorted, equal;
    for (int n = 0; n < 100000; ++n) sorted.push(new Item('s', n));
    sortOnSmallStack(sorted);
    for (int n = 0; n < 100000; ++n) ASSERT_EQ(n, sorted.get(n)->rank);

    // Equal elements split off one element per partition: the worst case for depth.
    for (int n = 0; n < 5000; ++n) equal.push(new Item('e', 7));
    comparisons = 0;
    sortOnSmallStack(equal);
    EXPECT_EQ(5000 * 4999 / 2, comparisons);
}

}  // namespace
