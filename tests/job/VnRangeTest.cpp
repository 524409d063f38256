#include "job/VnRange.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "testing/PeakMemory.h"
#include "tests/support/ChildProcess.h"

namespace {

using Ints = std::vector<int>;
using Strings = std::vector<std::string>;

Ints values(const VnRange& r) {
    Ints out;
    for (int i = 0; i < r.length(); ++i)
        out.push_back(r.get(i));
    return out;
}

Strings strings(const VnStringList& list) {
    Strings out;
    for (int i = 0; i < list.length(); ++i)
        out.emplace_back(list.get(i)->value(), list.get(i)->length());
    return out;
}

Strings split(int order, const char* text) {
    VnStringList out;
    VnRange::patternsplit(order, text, out);
    return strings(out);
}

}  // namespace

TEST(VnRange, ReadsEveryFormToTheEdgesOfInt) {
    // clang-format off
    const std::pair<const char*, Ints> cases[] = {
        {"1-3x2", {1, 3}}, {"10-1x3", {10, 7, 4, 1}}, {"1-6X2", {2, 4, 6}}, {"6-1X3", {5, 4, 2, 1}},
        {"1--3", {1, 0, -1, -2, -3}}, {"1-7x-3,2-4x0", {1, 4, 7, 2, 3, 4}}, {" 7 ,\t9\n-\n8,7", {7, 9, 8, 7}},
        {"7\r,9", {7}} /* a carriage return is no blank */, {"5-", {}}, {"1-5x", {}}, {"1,5-", {1}},
        {"3x2,7", {3}}, {"1,2,a,4", {1, 2}},
        {"2147483646-2147483647", {INT_MAX - 1, INT_MAX}}, {"-2147483647--2147483648", {-INT_MAX, INT_MIN}},
        {"1-10x-2147483648", {1}}, {"-2147483648-2147483647x2147483647", {INT_MIN, -1, INT_MAX - 1}},
        {"2147483641-2147483647X3", {INT_MAX - 5, INT_MAX - 4, INT_MAX - 2, INT_MAX - 1}},
        {"4294967297,2147483648", {1, INT_MIN}} /* digits wrap in 32 bits */,
        {"1-2000000000X1,5", {5}} /* nothing to add, quickly */,
    };
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(values(VnRange(text)), expected) << text;

    VnRange big("1-20000000,5");  // reading stops at the cap
    ASSERT_EQ(big.length(), VnRange::kMaxValues);
    EXPECT_EQ(big.get(VnRange::kMaxValues - 1), VnRange::kMaxValues);
    big.parse("0-2000000000X2,5");
    EXPECT_EQ(big.length(), 2 * VnRange::kMaxValues);
    EXPECT_EQ(big.get(2 * VnRange::kMaxValues - 1), 2 * VnRange::kMaxValues - 1);
}

TEST(VnRange, PaddingAndIsrange) {
    VnRange r("0010-0012");
    EXPECT_EQ(r.padding(), 4);
    r.parse("1");  // adds to the values held and takes the new padding
    EXPECT_EQ(values(r), (Ints{10, 11, 12, 1}));
    EXPECT_EQ(r.padding(), 1);
    for (const auto& [text, padding] : std::vector<std::pair<std::string, int>>{
             {"-3", 1}, {" 007", 3}, {"1,0005", 1}, {"x5", 0}, {std::string(100, '0'), VnRange::kMaxPadding}})
        EXPECT_EQ(VnRange(text.c_str()).padding(), padding) << text;
    r.clear();
    EXPECT_EQ(r.length() + r.get(0), 0);
    EXPECT_EQ(r.padding(), 1);

    EXPECT_EQ(VnRange::isrange("") + VnRange::isrange("1-5x2,7") + VnRange::isrange("-1X2"), 3);
    EXPECT_EQ(VnRange::isrange("x1") + VnRange::isrange(",1") + VnRange::isrange("X1"), 0);
    EXPECT_EQ(VnRange::isrange("1 2") + VnRange::isrange("a[1-2]"), 0);
}

TEST(VnRange, OrdersAndCompactText) {
    for (const auto& [text, expected] :
         std::vector<std::pair<const char*, Ints>>{{"1-9", {1, 9, 5, 3, 7, 2, 4, 6, 8}},
                                                   {"1-4", {1, 4, 2, 3}},
                                                   {"3,1,2", {3, 1, 2}},
                                                   {"5,1,4,2,3", {5, 3, 4, 1, 2}}}) {
        VnRange r(text);
        r.binary();
        EXPECT_EQ(values(r), expected) << text;
    }
    VnRange r("5,1,4,2,9");
    r.sort();
    r.reverse();
    EXPECT_EQ(values(r), (Ints{9, 5, 4, 2, 1}));
    EXPECT_EQ(r.has(4) + r.has(6) + r.get(-1) + r.get(5), 1);

    // clang-format off
    const char* texts[][2] = {
        {"1-3,5,7", "1-3,5,7"}, {"1-4,6-10x2", "1-4,6-10x2"}, {"9,4", "4,9"}, {"", ""}, {"5,5,3", "3,5"},
        {"0010-0012", "0010-12"}, {"01-3,5-11x2,10,11", "01-3,05-9x2,10,11"} /* only run starts padded */,
        {"-5--3,2147483647,-2147483648", "-2147483648,-5--3,2147483647"},
        {"-2147483648-2147483647x2147483647", "-2147483648-2147483646x2147483647"},
    };
    // clang-format on
    for (const auto& row : texts)
        EXPECT_STREQ(VnRange(row[0]).value().value(), row[1]);
    VnRange deduplicated("5,5,3");
    deduplicated.value();
    EXPECT_EQ(values(deduplicated), (Ints{3, 5}));

    // The compact text reads back to the same values.
    for (const char* text :
         {"3,1-10x3,20-30X4,7,100", "1-100X7,50-60", "-20--1x3,0,2,4,5,6", "1,2,4,7,11,16"}) {
        VnRange a(text);
        const VnString compact = a.value();
        VnRange b(compact);
        b.sort();
        EXPECT_EQ(values(a), values(b)) << text << " -> " << compact.value();
    }
}

TEST(VnRange, ChunksAndPartitions) {
    // clang-format off
    const struct { const char* text; int n; Strings chunks; } cases[] = {
        {"1-10", 3, {"1-3", "4-6", "7-9", "10"}}, {"1-10", 5, {"1-5", "6-10"}}, {"1-4", 0, {}},
        {"7,5,3,1", 2, {"1-3x2", "5-7x2"}}, {"1-4", 1, {"1", "2", "3", "4"}}, {"", 3, {}},
        {"8,2", 2, {"2-8x6"}}, {"3,2,3", 5, {"2-3"}}, {"7", 4, {"7"}}, {"001-006", 4, {"1-4", "5-6"}},
        {"1-3,5,7", 2, {"1-2", "3", "5", "7"}} /* single values are never grouped */,
        {"-2147483648,2147483647", 2, {"-2147483648-2147483647x4294967295"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        VnRange r(c.text);
        VnStringList out;
        r.chunk(c.n, out);
        EXPECT_EQ(strings(out), c.chunks) << c.text << " " << c.n;
    }

    VnRange r("1-10"), twice("1-4,1-4"), few("1-3");
    VnStringList out, halves, many;
    r.partition(3, out);
    r.partition(0, out);
    twice.partition(2, halves);  // duplicates count towards the size
    few.partition(10, many);
    EXPECT_EQ(strings(out), (Strings{"1-4", "5-8", "9-10"}));
    EXPECT_EQ(strings(halves), (Strings{"1-4"}));
    EXPECT_EQ(strings(many), (Strings{"1", "2", "3"}));
}

TEST(VnRange, PatternSplit) {
    // clang-format off
    const std::pair<const char*, Strings> cases[] = {
        {"img[1-3].tif", {"img1.tif", "img2.tif", "img3.tif"}}, {"a,b[1-2]", {"a", "b1", "b2"}},
        {"host[01-03]", {"host01", "host02", "host03"}}, {"f[0010-0012]", {"f0010", "f0011", "f0012"}},
        {"a b[1-2]", {"ab1", "ab2"}}, {"0010-0012", {"10", "11", "12"}}, {"", {}},
        {"a[1-2]b[3-4]", {"a1b[3-4]", "a2b[3-4]"}}, {"[1-2]x[5]", {"1x[5]", "2x[5]"}},
        {"x[1-2", {"x1", "x2"}}, {"y[", {"y["}}, {"n[q],m[-1]", {"m-1"}}, {"p[1-3x2 ]s", {"p1s", "p3s"}},
    };
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(split(0, text), expected) << text;
    EXPECT_EQ(split(0, ("z[" + std::string(40, '0') + "1]").c_str()),
              (Strings{"z" + std::string(VnRange::kMaxPadding - 1, '0') + "1"}));

    const std::pair<int, Strings> orders[] = {
        {0, {"3", "1", "2", "4", "5"}}, {1, {"1", "5", "3", "2", "4"}}, {2, {"1", "2", "3", "4", "5"}},
        {3, {"5", "4", "3", "2", "1"}}, {4, {"3", "5", "2", "1", "4"}}, {5, {"5", "4", "2", "1", "3"}},
        {9, {"3", "1", "2", "4", "5"}},
    };
    for (const auto& [order, expected] : orders)
        EXPECT_EQ(split(order, "3,1,2,4,5"), expected) << order;
    EXPECT_EQ(split(2, "2,1,2"), (Strings{"1", "2", "2"}));
    EXPECT_EQ(split(3, "f[5-1x2]"), (Strings{"f5", "f3", "f1"}));

    // A limit stops the expansion, also between items, and the answer says so.
    VnStringList out;
    EXPECT_FALSE(VnRange::patternsplit(0, "h[1-1000]", out, 3, 1000));
    EXPECT_FALSE(VnRange::patternsplit(0, "abc[1-1000],z", out, 1000, 6 * VnRange::patternCost(4) - 1));
    EXPECT_FALSE(VnRange::patternsplit(0, "1-1000", out, 2, 1000));
    EXPECT_EQ(strings(out), (Strings{"h1", "h2", "h3", "abc1", "abc2", "abc3", "abc4", "abc5", "1", "2"}));
    VnStringList whole;
    EXPECT_TRUE(VnRange::patternsplit(0, "h[1-3],z", whole, 4, 4 * VnRange::patternCost(2)));
    EXPECT_TRUE(VnRange::patternsplit(0, "1-2", whole, 2, 1000));
    EXPECT_EQ(strings(whole), (Strings{"h1", "h2", "h3", "z", "1", "2"}));
    // A cut inside the first item ends the expansion, though the next item would fit what is left.
    const std::string a24(24, 'a');
    VnStringList cut;
    EXPECT_FALSE(VnRange::patternsplit(0, (a24 + "[1-9],z").c_str(), cut, 100,
                                       3 * VnRange::patternCost(25) + VnRange::patternCost(1)));
    EXPECT_EQ(strings(cut), (Strings{a24 + "1", a24 + "2", a24 + "3"}));
}

TEST(VnRange, FirstItem) {
    // clang-format off
    const std::pair<const char*, Ints> cases[] = {
        {"5", {5, 5, 1}}, {" 2 - 8 x 3,9", {2, 8, 3}}, {"8-2X-3", {8, 2, -3}}, {"8-2x0", {8, 2, 0}},
        {"", {1, 1, 1}}, {"abc", {0, 1, 1}}, {"-", {0, 1, 1}}, {"4-", {4, 4, 1}}, {"4-a", {4, 0, 1}},
        {"4-6x", {4, 6, 1}}, {"4-6xq", {4, 6, 0}}, {"4,5-6", {4, 4, 1}},
    };
    // clang-format on
    for (const auto& [text, expected] : cases) {
        int first = 7, last = 7, step = 7;
        VnRange::patternsplit(text, first, last, step);
        EXPECT_EQ((Ints{first, last, step}), expected) << text;
    }
}

// Memory and work stay proportional to the text and the values.
TEST(VnRange, LongTexts) {
    std::string text;
    for (int i = 0; i < 400000; ++i)
        text += std::to_string(i * 3 + (i % 5 == 0)) + ",";
    VnRange r(text.c_str());
    EXPECT_EQ(r.length(), 400000);
    EXPECT_GT(r.value().length(), 1000000);
    VnStringList out;
    r.chunk(10, out);
    EXPECT_GT(out.length(), 80000);

    const std::string digits(3 << 20, '9');
    EXPECT_EQ(VnRange(digits.c_str()).length(), 1);
    VnStringList expanded;
    std::string items;
    for (int i = 0; i < 150000; ++i)
        items += "a[1-3],";
    VnRange::patternsplit(0, items.c_str(), expanded);
    EXPECT_EQ(expanded.length(), 450000);
}

// A pattern is read one item and one token at a time: millions of items, or of tokens in one
// item, take memory in proportion to their text, not a string each.
TEST(VnRange, PatternsHoldOneItemAtATime) {
    std::string items, tokens;
    for (int i = 0; i < 2000000; ++i)
        items += "a,";
    for (int i = 0; i < 1000000; ++i)
        tokens += "a[1]";
    for (const std::string* pattern : {&items, &tokens}) {
        const VnString text(pattern->c_str());
        const long grownKb = childPeakGrowthKb([&text] {
            VnStringList out;
            VnRange::patternsplit(0, text, out, 10, 1 << 20);
        });
        EXPECT_TRUE(grownKb >= 0 && grownKb < 48 * 1024) << grownKb;  // a string each: 160 MB and more
    }
}

// The cap counts what the strings take in memory: a short text lives inside its string, a
// longer one in a heap buffer of four times its length and NUL.
TEST(VnRange, PatternCapCountsMemory) {
    EXPECT_EQ(VnRange::patternCost(0), VnRange::patternCost(23));
    EXPECT_EQ(VnRange::patternCost(24) - VnRange::patternCost(23), 4 * 25 + 16);
    EXPECT_EQ(VnRange::patternCost(100) - VnRange::patternCost(24), 4 * 76);
    EXPECT_GE(VnRange::patternCost(0), std::int64_t(sizeof(VnString) + sizeof(VnString*)));

    const std::string pattern = "img[" + std::string(29, '0') + "1-10000000].exr";  // 37-byte names
    const std::int64_t cap = 1 << 20;
    for (const std::int64_t bytes : {cap, cap - 1}) {
        VnStringList out;
        VnRange::patternsplit(0, pattern.c_str(), out, VnRange::kMaxValues, bytes);
        const std::int64_t fit = bytes / VnRange::patternCost(37);
        ASSERT_EQ(out.length(), fit);
        char last[64];
        std::snprintf(last, sizeof last, "img%030lld.exr", static_cast<long long>(fit));
        EXPECT_EQ(strings(out).back(), last);
    }
    VnStringList plain;
    VnRange::patternsplit(2, "9-1", plain, 100, 3 * VnRange::patternCost(1));
    EXPECT_EQ(strings(plain), (Strings{"7", "8", "9"}));  // the values that fit are read, then sorted

    // The strings of a 64 MiB cap take about that much; the address sanitizer's guard bytes and
    // shadow add up to as much again.
#if defined(__SANITIZE_ADDRESS__)
    const long allowedKb = 128 * 1024;
#else
    const long allowedKb = 68 * 1024;
#endif
    const long grownKb = childPeakGrowthKb([&pattern] {
        VnStringList out;
        VnRange::patternsplit(0, pattern.c_str(), out, VnRange::kMaxValues, 64 << 20);
    });
    EXPECT_TRUE(grownKb > 0 && grownKb < allowedKb) << grownKb;
}

// A string that takes exactly what the cap leaves still fits; one byte less and it does not.
TEST(VnRange, PatternCapAtItsEdge) {
    for (const int fit : {1, 6}) {
        for (const char* pattern : {"abc[1-1000]", "1001-2000"}) {
            const std::int64_t each = VnRange::patternCost(4);
            VnStringList exact, less;
            VnRange::patternsplit(0, pattern, exact, 1000, fit * each);
            VnRange::patternsplit(0, pattern, less, 1000, fit * each - 1);
            EXPECT_EQ(exact.length(), fit) << pattern;
            EXPECT_EQ(less.length(), fit - 1) << pattern;
        }
    }

    // The default cap: 128 strings that count 4 MiB each fill its 512 MiB to the last byte, and
    // the 129th stays out. In a child, so that their memory leaves with it.
    EXPECT_EQ(VnRange::kMaxPatternBytes, 512LL << 20);
    int length = 1 << 20;
    while (VnRange::patternCost(length) > 4 << 20)
        --length;
    ASSERT_EQ(VnRange::patternCost(length), 4 << 20);
    IN_CHILD({
        const std::string prefix(length - 3, 'x');
        VnStringList out;
        VnRange::patternsplit(0, (prefix + "[001-200]").c_str(), out);
        ASSERT_EQ(out.length(), 128);
        EXPECT_EQ(strings(out).back(), prefix + "128");
    });
}
