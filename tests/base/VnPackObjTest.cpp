#include "base/VnPackObj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "testing/CollidingKeys.h"
#include "testing/TestRecords.h"
#include "testing/XmlNumberingModel.h"

// Every allocation of this program goes through malloc, so that a test can make one of them fail.
#include "tests/support/CountedNew.h"

namespace {

// Reads the fields into a probe that asks for names; answers the probe.
NumberingProbe probe(const std::string& fields, std::vector<std::string> names) {
    NumberingProbe p;
    p.names = std::move(names);
    EXPECT_EQ(unpackInto(p, objectXML("x", fields), true), 0);
    return p;
}

using Texts = std::map<std::string, std::string>;
using Children = std::map<std::string, int>;

std::string block(int id) {
    return "<object type = 'test_item'><id>" + std::to_string(id) + "</id></object>";
}

// The comparisons that name tables make.
long comparisons = 0;

struct CountingLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return ++comparisons, a < b; }
};

// The bytes that name tables below take and give back through their allocator.
std::size_t bytesTaken = 0;
std::size_t bytesGiven = 0;

template <class T>
struct CountingAllocator {
    using value_type = T;
    CountingAllocator() = default;
    template <class U>
    CountingAllocator(const CountingAllocator<U>&) {}
    T* allocate(std::size_t n) {
        bytesTaken += n * sizeof(T);
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) {
        bytesGiven += n * sizeof(T);
        std::allocator<T>().deallocate(p, n);
    }
    template <class U>
    bool operator==(const CountingAllocator<U>&) const {
        return true;
    }
    template <class U>
    bool operator!=(const CountingAllocator<U>&) const {
        return false;
    }
};

}  // namespace

// Every block a name table takes goes through its allocator and comes back through it, the
// grouped tables and their keys as well as the exact table they are replayed into, long keys
// on the heap included.
TEST(VnPackNames, TablesGiveBackThroughTheirAllocatorWhatTheyTook) {
    bytesTaken = bytesGiven = 0;
    {
        VnPackNames<int, std::less<>, CountingAllocator<int>> names;
        const std::string stem = "a_name_longer_than_a_short_string_";
        for (int i = 0; i < 60; ++i)
            names.add(stem + static_cast<char>('a' + i % 20), i);
        const std::size_t grouped = bytesTaken;
        EXPECT_GT(grouped, 20 * stem.size());
        names.add(stem + "1", -1);  // ends in a digit: every key becomes exact
        for (int i = 60; i < 80; ++i)
            names.add(stem + static_cast<char>('a' + i % 20), i);
        EXPECT_GT(bytesTaken - grouped, 80 * stem.size());
        EXPECT_TRUE(*names.find(stem + "a", 3) == 60 && *names.find(stem + "b3") == 61);
        EXPECT_EQ(*names.find(stem + "1"), -1);
    }
    EXPECT_EQ(bytesGiven, bytesTaken);
}

// Names that share one std::hash value, filed twice each, whether every key is exact from the
// start ("x1" came first) or the names were grouped, then replayed into exact keys: filing and
// looking up take O(log n) comparisons, where a table hashed with a fixed seed takes O(n).
TEST(VnPackNames, CraftedNamesCostLogarithmicComparisons) {
    const int count = 1 << 14;
    std::vector<std::string> keys = colliding::keys(count, false);
    // Those that end in a digit last, so that the grouped ones come first.
    const auto numbered = std::stable_partition(keys.begin(), keys.end(), [](const std::string& key) {
        return !(key.back() >= '0' && key.back() <= '9');
    });
    ASSERT_TRUE(numbered - keys.begin() > count / 4 && keys.end() - numbered > count / 4);
    for (const bool exactFirst : {true, false}) {
        VnPackNames<int, CountingLess> names;
        if (exactFirst) names.add("x1", -1);
        comparisons = 0;
        for (int i = 0; i < count; ++i) {
            names.add(keys[i], i);
            names.add(keys[i], count + i);  // filed under the name followed by 1
        }
        if (!exactFirst) names.add("x1", -1);
        for (int i = 0; i < count; i += 7) {
            ASSERT_TRUE(names.find(keys[i]) && *names.find(keys[i]) == i);
            EXPECT_EQ(*names.find(keys[i], 1), count + i);
            EXPECT_EQ(*names.find(keys[i] + "1"), count + i);
            EXPECT_EQ(names.find(keys[i], 2), nullptr);
        }
        // 2 * count filings of two look-ups each, 6 look-ups per 7th key; 2^15 keys: a balanced
        // tree is at most 2 * 15 levels deep.
        EXPECT_LE(comparisons, (4L * count + (count / 7 + 1) * 6L) * 32) << exactFirst;
        EXPECT_EQ(*names.find("x", 1), -1);
        int values = 0;
        names.forEach([&values](int) { ++values; });
        EXPECT_EQ(values, 2 * count + 1);
    }
}

TEST(VnPackObj, RepeatedNamesAreNumberedAroundLiteralNumberedNames) {
    // A literal name takes its own key first; a later repeat skips it.
    NumberingProbe p = probe("<item1>b</item1><item>a</item><item>c</item><item>d</item>",
                             {"item", "item1", "item2", "item3", "item4", "item11"});
    EXPECT_EQ(p.texts, (Texts{{"item", "a"}, {"item1", "b"}, {"item2", "c"}, {"item3", "d"}}));
    // A literal name that was taken by a repeat is numbered itself; the repeats go on after it.
    p = probe("<item>a</item><item>b</item><item1>c</item1><item>d</item><item1>e</item1>",
              {"item", "item1", "item2", "item3", "item11", "item12", "item111"});
    EXPECT_EQ(p.texts,
              (Texts{{"item", "a"}, {"item1", "b"}, {"item11", "c"}, {"item2", "d"}, {"item12", "e"}}));
    // Ten repeats of "a" reach "a10"; the literal "a1" after them takes "a11", and so the next
    // repeat skips to "a12".
    std::string fields;
    for (int i = 0; i < 11; ++i)
        fields += "<a>" + std::to_string(i) + "</a>";
    p = probe(fields + "<a1>L</a1><a>11</a><a0>z</a0>", {"a", "a1", "a10", "a11", "a12", "a13", "a0", "a01"});
    EXPECT_EQ(p.texts,
              (Texts{{"a", "0"}, {"a1", "1"}, {"a10", "10"}, {"a11", "L"}, {"a12", "11"}, {"a0", "z"}}));
    // Without numbered names: no "name0", no leading zeros, no partial or NUL-bearing names.
    p = probe("<k>0</k><k>1</k><k>2</k>",
              {"k", "k0", "k01", "k1", "k2", "k3", "", "1", std::string("k\0", 2), "k99999999999999999999"});
    EXPECT_EQ(p.texts, (Texts{{"k", "0"}, {"k1", "1"}, {"k2", "2"}}));
}

TEST(VnPackObj, BlocksAndTextsAreNumberedApartUnderTheNodesCurrentName) {
    // An element around a block leaves its white space as a text of its name as well; a block
    // that follows a closed text element is filed under "undef_obj"; a text element inside
    // another one closes first, so the outer one's text is filed under "undef_obj" too.
    const std::string fields = "<c>\n" + block(1) + "\n</c><c>" + block(2) + block(3) + "</c><t>x</t>" +
                               block(4) + "<o><i>in</i>out</o>";
    NumberingProbe p = probe(fields, {"c", "c1", "c2", "c3", "undef_obj", "undef_obj1", "i", "o", "t"});
    EXPECT_EQ(p.children, (Children{{"c", 1}, {"c1", 2}, {"c2", 3}, {"undef_obj", 4}}));
    EXPECT_EQ(p.texts, (Texts{{"c", "\n\n"}, {"c1", ""}, {"t", "x"}, {"i", "in"}, {"undef_obj", "out"}}));
    // Lists and hashes find their numbered items and pairs, texts or blocks alike.
    VnStringList list;
    VnStringHash hash;
    const std::string items = "<item>a</item><item>" + block(1) + "</item><item>c</item>";
    ASSERT_EQ(unpackInto(list, objectXML("string_list", items), true), 0);
    EXPECT_STREQ(list.join(",").value(), "a,,c");
    const std::string pairs = "<key>k</key><element>v</element><key>k2</key>";
    ASSERT_EQ(unpackInto(hash, objectXML("string_hash", pairs), true), 0);
    ASSERT_EQ(hash.length(), 2);
    EXPECT_STREQ(hash.get("k")->value(), "v");
    EXPECT_STREQ(hash.get("k2")->value(), "");
}

// Random documents of scalar elements, blocks and nested elements under names that collide with
// each other's numbers: the reader files everything under the keys that the model gives.
TEST(VnPackObj, NumberingMatchesTheModelOnRandomDocuments) {
    const std::vector<std::string> names = {"item", "item1", "item2",     "item11", "a",
                                            "a1",   "a10",   "undef_obj", "b"};
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string fields;
        int id = 0;
        for (int events = random() % 40; events > 0; --events, ++id) {
            const std::string& name = names[random() % names.size()];
            const std::string& inner = names[random() % names.size()];
            const std::string open = "<" + name + ">", close = "</" + name + ">", b = block(id);
            const std::string pieces[] = {open + std::to_string(id) + close + "\n",
                                          open + "\n" + b + "\n" + close, b,
                                          open + "<" + inner + ">i</" + inner + ">o" + close};
            fields += pieces[random() % 4];
        }
        std::vector<std::string> asked;
        for (const std::string& name : names) {
            for (int n = 0; n < 14; ++n)
                asked.push_back(n == 0 ? name : name + std::to_string(n));
            asked.push_back(name + "0");
            for (const std::string& other : names)
                asked.push_back(name + other);  // "item1" + "1" and the like
        }
        const NumberingProbe p = probe(fields, asked);
        const ModelTree model("<pack>\n" + objectXML("x", fields) + "\n</pack>");
        ASSERT_NE(model.top(), nullptr);
        Texts texts;
        Children children;
        p.expectFrom(*model.top(), texts, children);
        ASSERT_EQ(p.texts, texts) << fields;
        ASSERT_EQ(p.children, children) << fields;
    }
}

TEST(VnPackObj, PlainElementsNestAsDeepAsBlocks) {
    auto nested = [](int depth) {
        std::string text = "x";
        for (int i = 0; i < depth; ++i)
            text = "<a>" + text + "</a>";
        return objectXML("test_item", "<id>5</id>" + text);
    };
    TestItem read;
    EXPECT_EQ(unpackInto(read, nested(VnPack::MAX_NESTING), true), 0);
    EXPECT_EQ(read.id, 5);
    TestItem refused;
    EXPECT_EQ(unpackInto(refused, nested(VnPack::MAX_NESTING + 1), true), 4);
    EXPECT_EQ(refused.id, -1);
}

// Many megabytes of empty elements in one block: memory stays in proportion (checked by hand
// with the benchmark); here they must all be read.
TEST(VnPackObj, ManyEmptyElementsInOneBlock) {
    std::string fields;
    for (int i = 0; i < 1000000; ++i)
        fields += "<a/>";
    NumberingProbe p = probe(fields + "<a>last</a>", {"a", "a1", "a999999", "a1000000", "a1000001"});
    EXPECT_EQ(p.texts, (Texts{{"a", ""}, {"a1", ""}, {"a999999", ""}, {"a1000000", "last"}}));
}

// Each allocation of a read fails in turn, once. A failure while the document is parsed (the
// node of the first block, the stack that holds it, a text) refuses the document and leaves the
// record as it was; one while the tree is read into the record throws std::bad_alloc. Freeing
// the tree allocates nothing. A record that was read is read whole.
TEST(VnPackObj, AFailedAllocationRefusesTheDocument) {
    const std::string document =
        "<pack>\n" + objectXML("test_item", "<id>5</id><child>" + block(3) + "</child>") + "\n</pack>";
    int refused = 0;
    for (long n = 0;; ++n) {
        std::vector<char> text(document.begin(), document.end());
        TestItem item;
        int result = -1;
        allocationFailed = false;
        allocationsLeft = n;
        try {
            result = item.unpackXML(text.data(), static_cast<int>(text.size()));
        } catch (const std::bad_alloc&) {
            result = -2;
        }
        allocationsLeft = -1;
        const int read = item.child ? item.id * 10 + item.child->id : item.id;
        ASSERT_TRUE(result == 0 || result == 4 || (result == -2 && allocationFailed))
            << "allocation " << n << " answered " << result;
        if (result != -2) {
            EXPECT_EQ(read, result == 0 ? 53 : -1) << "allocation " << n;
        }
        refused += result == 4;
        if (!allocationFailed) break;
    }
    EXPECT_GE(refused, 3);  // at least the nodes of both blocks and the stack's growth
}
