#include "job/VnRange.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;
using Strings = std::vector<std::string>;

Ints values(const VnRange& r) {
    Ints out;
    for (int i = 0; i < r.length(); ++i)
        out.push_back(r.get(i));
    return out;
}

Ints parsed(const char* text) {
    return values(VnRange(text));
}

Strings strings(const VnStringList& list) {
    Strings out;
    for (int i = 0; i < list.length(); ++i)
        out.emplace_back(list.get(i)->value(), list.get(i)->length());
    return out;
}

Strings chunks(const char* text, int n) {
    VnRange r(text);
    VnStringList out;
    r.chunk(n, out);
    return strings(out);
}

Strings split(int order, const char* text) {
    VnStringList out;
    VnRange::patternsplit(order, text, out);
    return strings(out);
}

Ints firstItem(const char* text) {
    int first = 7, last = 7, step = 7;
    VnRange::patternsplit(text, first, last, step);
    return {first, last, step};
}

}  // namespace

TEST(VnRange, ReadsEveryForm) {
    EXPECT_EQ(parsed("1-3x2"), (Ints{1, 3}));
    EXPECT_EQ(parsed("10-1x3"), (Ints{10, 7, 4, 1}));
    EXPECT_EQ(parsed("1-6X2"), (Ints{2, 4, 6}));
    EXPECT_EQ(parsed("6-1X3"), (Ints{5, 4, 2, 1}));
    EXPECT_EQ(parsed("1--3"), (Ints{1, 0, -1, -2, -3}));
    EXPECT_EQ(parsed("1-7x-3,2-4x0"), (Ints{1, 4, 7, 2, 3, 4}));
    EXPECT_EQ(parsed(" 7 ,\t9\n-\n8,7"), (Ints{7, 9, 8, 7}));
    EXPECT_EQ(parsed("7\r,9"), (Ints{7}));  // a carriage return is no blank
    EXPECT_EQ(parsed("5-"), Ints{});
    EXPECT_EQ(parsed("1-5x"), Ints{});
    EXPECT_EQ(parsed("1,5-"), (Ints{1}));
    EXPECT_EQ(parsed("3x2,7"), (Ints{3}));
    EXPECT_EQ(parsed("1,2,a,4"), (Ints{1, 2}));

    VnRange r("0010-0012");
    EXPECT_EQ(r.padding(), 4);
    r.parse("1");  // adds to the values held and takes the new padding
    EXPECT_EQ(values(r), (Ints{10, 11, 12, 1}));
    EXPECT_EQ(r.padding(), 1);
    EXPECT_EQ(VnRange("-3").padding(), 1);
    EXPECT_EQ(VnRange(" 007").padding(), 3);
    EXPECT_EQ(VnRange("1,0005").padding(), 1);
    EXPECT_EQ(VnRange("x5").padding(), 0);
    EXPECT_EQ(VnRange(std::string(100, '0').c_str()).padding(), VnRange::kMaxPadding);
    EXPECT_EQ(r.type(), 89);
    r.clear();
    EXPECT_EQ(r.length() + r.get(0), 0);
    EXPECT_EQ(r.padding(), 1);

    EXPECT_EQ(VnRange::isrange("") + VnRange::isrange("1-5x2,7") + VnRange::isrange("-1X2"), 3);
    EXPECT_EQ(VnRange::isrange("x1") + VnRange::isrange(",1") + VnRange::isrange("X1"), 0);
    EXPECT_EQ(VnRange::isrange("1 2") + VnRange::isrange("a[1-2]"), 0);
}

TEST(VnRange, CountsAtTheEdgesOfInt) {
    EXPECT_EQ(parsed("2147483646-2147483647"), (Ints{INT_MAX - 1, INT_MAX}));
    EXPECT_EQ(parsed("-2147483647--2147483648"), (Ints{-INT_MAX, INT_MIN}));
    EXPECT_EQ(parsed("1-10x-2147483648"), (Ints{1}));
    EXPECT_EQ(parsed("-2147483648-2147483647x2147483647"), (Ints{INT_MIN, -1, INT_MAX - 1}));
    EXPECT_EQ(parsed("2147483641-2147483647X3"), (Ints{INT_MAX - 5, INT_MAX - 4, INT_MAX - 2, INT_MAX - 1}));
    EXPECT_EQ(parsed("4294967297,2147483648"), (Ints{1, INT_MIN}));  // digits wrap in 32 bits
    EXPECT_EQ(parsed("1-2000000000X1,5"), (Ints{5}));                // nothing to add, quickly

    VnRange big("1-20000000,5");  // reading stops at the cap
    ASSERT_EQ(big.length(), VnRange::kMaxValues);
    EXPECT_EQ(big.get(VnRange::kMaxValues - 1), VnRange::kMaxValues);
    big.parse("0-2000000000X2,5");
    EXPECT_EQ(big.length(), 2 * VnRange::kMaxValues);
    EXPECT_EQ(big.get(2 * VnRange::kMaxValues - 1), 2 * VnRange::kMaxValues - 1);
}

TEST(VnRange, Orders) {
    VnRange r("1-9");
    r.binary();
    EXPECT_EQ(values(r), (Ints{1, 9, 5, 3, 7, 2, 4, 6, 8}));
    r.sort();
    r.reverse();
    EXPECT_EQ(values(r), (Ints{9, 8, 7, 6, 5, 4, 3, 2, 1}));
    VnRange four("1-4"), three("3,1,2"), unsorted("5,1,4,2,3");
    four.binary();
    three.binary();
    unsorted.binary();
    EXPECT_EQ(values(four), (Ints{1, 4, 2, 3}));
    EXPECT_EQ(values(three), (Ints{3, 1, 2}));
    EXPECT_EQ(values(unsorted), (Ints{5, 3, 4, 1, 2}));
    EXPECT_EQ(unsorted.has(4) + unsorted.has(6) + unsorted.get(-1) + unsorted.get(5), 1);
}

TEST(VnRange, CompactText) {
    EXPECT_STREQ(VnRange("1-3,5,7").value().value(), "1-3,5,7");
    EXPECT_STREQ(VnRange("1-4,6-10x2").value().value(), "1-4,6-10x2");
    EXPECT_STREQ(VnRange("9,4").value().value(), "4,9");
    EXPECT_STREQ(VnRange("").value().value(), "");
    EXPECT_STREQ(VnRange("0010-0012").value().value(), "0010-12");
    EXPECT_STREQ(VnRange("01-3,5-11x2,10,11").value().value(),
                 "01-3,05-9x2,10,11");  // only run starts padded
    EXPECT_STREQ(VnRange("-5--3,2147483647,-2147483648").value().value(), "-2147483648,-5--3,2147483647");
    EXPECT_STREQ(VnRange("-2147483648-2147483647x2147483647").value().value(),
                 "-2147483648-2147483646x2147483647");

    VnRange r("5,5,3");
    EXPECT_STREQ(r.value().value(), "3,5");
    EXPECT_EQ(values(r), (Ints{3, 5}));

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
    EXPECT_EQ(chunks("1-10", 3), (Strings{"1-3", "4-6", "7-9", "10"}));
    EXPECT_EQ(chunks("1-10", 5), (Strings{"1-5", "6-10"}));
    EXPECT_EQ(chunks("7,5,3,1", 2), (Strings{"1-3x2", "5-7x2"}));
    EXPECT_EQ(chunks("1-4", 1), (Strings{"1", "2", "3", "4"}));
    EXPECT_EQ(chunks("1-4", 0), Strings{});
    EXPECT_EQ(chunks("", 3), Strings{});
    EXPECT_EQ(chunks("8,2", 2), (Strings{"2-8x6"}));
    EXPECT_EQ(chunks("8,2", 1), (Strings{"2", "8"}));
    EXPECT_EQ(chunks("3,2,3", 5), (Strings{"2-3"}));
    EXPECT_EQ(chunks("7", 4), (Strings{"7"}));
    EXPECT_EQ(chunks("1-3,5,7", 2), (Strings{"1-2", "3", "5", "7"}));  // single values are never grouped
    EXPECT_EQ(chunks("001-006", 4), (Strings{"1-4", "5-6"}));
    EXPECT_EQ(chunks("-2147483648,2147483647", 2), (Strings{"-2147483648-2147483647x4294967295"}));

    VnRange r("1-10");
    VnStringList out;
    r.partition(3, out);
    r.partition(0, out);
    EXPECT_EQ(strings(out), (Strings{"1-4", "5-8", "9-10"}));
    VnRange twice("1-4,1-4"), few("1-3");
    VnStringList halves, many;
    twice.partition(2, halves);  // duplicates count towards the size
    few.partition(10, many);
    EXPECT_EQ(strings(halves), (Strings{"1-4"}));
    EXPECT_EQ(strings(many), (Strings{"1", "2", "3"}));
}

TEST(VnRange, PatternSplit) {
    EXPECT_EQ(split(0, "img[1-3].tif"), (Strings{"img1.tif", "img2.tif", "img3.tif"}));
    EXPECT_EQ(split(0, "host[01-03]"), (Strings{"host01", "host02", "host03"}));
    EXPECT_EQ(split(0, "a,b[1-2]"), (Strings{"a", "b1", "b2"}));
    EXPECT_EQ(split(0, "a b[1-2]"), (Strings{"ab1", "ab2"}));
    EXPECT_EQ(split(0, "f[0010-0012]"), (Strings{"f0010", "f0011", "f0012"}));
    EXPECT_EQ(split(0, "0010-0012"), (Strings{"10", "11", "12"}));
    EXPECT_EQ(split(0, "5,3"), (Strings{"5", "3"}));
    EXPECT_EQ(split(0, ""), Strings{});
    EXPECT_EQ(split(0, "a[1-2]b[3-4]"), (Strings{"a1b[3-4]", "a2b[3-4]"}));
    EXPECT_EQ(split(0, "x[1-2"), (Strings{"x1", "x2"}));
    EXPECT_EQ(split(0, "y["), (Strings{"y["}));
    EXPECT_EQ(split(0, "n[q],m[-1]"), (Strings{"m-1"}));
    EXPECT_EQ(split(0, "p[1-3x2 ]s"), (Strings{"p1s", "p3s"}));
    EXPECT_EQ(split(0, ("z[" + std::string(40, '0') + "1]").c_str()),
              (Strings{"z" + std::string(VnRange::kMaxPadding - 1, '0') + "1"}));

    EXPECT_EQ(split(0, "3,1,2,4,5"), (Strings{"3", "1", "2", "4", "5"}));
    EXPECT_EQ(split(1, "3,1,2,4,5"), (Strings{"1", "5", "3", "2", "4"}));
    EXPECT_EQ(split(2, "3,1,2,4,5,2"), (Strings{"1", "2", "2", "3", "4", "5"}));
    EXPECT_EQ(split(3, "3,1,2,4,5"), (Strings{"5", "4", "3", "2", "1"}));
    EXPECT_EQ(split(4, "3,1,2,4,5"), (Strings{"3", "5", "2", "1", "4"}));
    EXPECT_EQ(split(5, "3,1,2,4,5"), (Strings{"5", "4", "2", "1", "3"}));
    EXPECT_EQ(split(9, "3,1,2,4,5"), (Strings{"3", "1", "2", "4", "5"}));
    EXPECT_EQ(split(3, "f[5-1x2]"), (Strings{"f5", "f3", "f1"}));

    VnStringList out;
    VnRange::patternsplit(0, "h[1-1000]", out, 3, 1000);
    VnRange::patternsplit(0, "abc[1-1000]", out, 1000, 20);
    VnRange::patternsplit(0, "1-1000", out, 2, 1000);
    EXPECT_EQ(strings(out), (Strings{"h1", "h2", "h3", "abc1", "abc2", "abc3", "abc4", "abc5", "1", "2"}));
}

TEST(VnRange, FirstItem) {
    EXPECT_EQ(firstItem("5"), (Ints{5, 5, 1}));
    EXPECT_EQ(firstItem(" 2 - 8 x 3,9"), (Ints{2, 8, 3}));
    EXPECT_EQ(firstItem("8-2X-3"), (Ints{8, 2, -3}));
    EXPECT_EQ(firstItem("8-2x0"), (Ints{8, 2, 0}));
    EXPECT_EQ(firstItem(""), (Ints{1, 1, 1}));
    EXPECT_EQ(firstItem("abc"), (Ints{0, 1, 1}));
    EXPECT_EQ(firstItem("-"), (Ints{0, 1, 1}));
    EXPECT_EQ(firstItem("4-"), (Ints{4, 4, 1}));
    EXPECT_EQ(firstItem("4-a"), (Ints{4, 0, 1}));
    EXPECT_EQ(firstItem("4-6x"), (Ints{4, 6, 1}));
    EXPECT_EQ(firstItem("4-6xq"), (Ints{4, 6, 0}));
    EXPECT_EQ(firstItem("4,5-6"), (Ints{4, 4, 1}));
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
