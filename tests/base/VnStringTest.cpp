#include "base/VnString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "base/VnTypes.h"

// Array new and delete go through malloc so that the test can look at a
// buffer at the moment it is released (while it is still valid memory).
namespace {
const char* watched = nullptr;  // buffer to inspect when it is released
int watchedSize = 0;
std::string released;  // its bytes just before release
}  // namespace

void* operator new[](std::size_t n) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete[](void* p) noexcept {
    if (p && p == watched) {
        released.assign(watched, watchedSize);
        watched = nullptr;
    }
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept { operator delete[](p); }

namespace {

void watch(const VnString& s, int size) {
    watched = s.value();
    watchedSize = size;
    released.clear();
}

std::string debugInfo(VnString& s) {
    testing::internal::CaptureStdout();
    s._debug_info();
    return testing::internal::GetCapturedStdout();
}

int capacity(VnString& s) {
    const std::string info = debugInfo(s);
    return std::atoi(info.c_str() + info.find("size: ") + 6);
}

std::string bytes(const VnString& s) { return std::string(s.value(), s.length()); }

}  // namespace

TEST(VnString, UndefinedAndEmptyThroughTheOperations) {
    VnString undef, empty("");
    EXPECT_TRUE(undef.isundef() && !empty.isundef() && undef == empty && undef.compare(empty, 1));
    EXPECT_EQ(VnString(empty).isundef(), 1);  // defined-emptiness does not travel
    VnString target("x"), undefTarget;
    target = empty;
    undefTarget = empty;
    EXPECT_TRUE(!target.isundef() && target.length() == 0 && undefTarget.isundef());

    VnString s;
    s += "";
    s += VnString();
    s += static_cast<VnString*>(nullptr);
    s.append(static_cast<const char*>(nullptr));
    s.clear();
    EXPECT_EQ(s.isundef(), 1);
    s.append('\0');
    EXPECT_EQ(s.length(), 1);

    EXPECT_EQ(bytes(VnString("abc", 2)), "ab");
    EXPECT_EQ(VnString("abc", 0).isundef(), 1);
    VnString own("abc"), undefOwn;
    own.copy(own.value());
    undefOwn.copy(undefOwn.value());
    EXPECT_TRUE(bytes(own) == "abc" && !undefOwn.isundef());

    char* text = VnString("a\0b", 3).copyvalue();  // up to the first NUL, the rest NUL
    EXPECT_EQ(std::string(text, 4), std::string("a\0\0\0", 4));
    delete[] text;
    EXPECT_EQ(debugInfo(undef), "VnString:\n\tsize: 0\n\tlength: 0\n\tdata: ''\n");
    EXPECT_EQ(undef.type(), VN_TYPE_STRING);
}

TEST(VnString, GrowthCapacities) {
    // Capacity after the n-th single byte: growth at the 1st, 16th and 68th.
    const struct { int n, capacity; } steps[] = {{1, 16}, {15, 16}, {16, 68}, {67, 68}, {68, 276}};
    VnString s;
    for (const auto& step : steps) {
        while (s.length() < step.n) s.append('a');
        EXPECT_EQ(capacity(s), step.capacity) << step.n;
    }
    s.clear();
    EXPECT_EQ(capacity(s), 276);

    VnString copied;
    copied.copy("01234567890123456789");
    EXPECT_EQ(capacity(copied), 84);
    EXPECT_THROW(copied.append("x", INT_MAX), std::bad_alloc);
    EXPECT_EQ(bytes(copied), "01234567890123456789");
}

TEST(VnString, SourceInsideOwnBuffer) {
    VnString s;
    for (char c : std::string("abcdefghij")) s.append(c);  // capacity 16
    s += s;                                                // must grow
    EXPECT_EQ(bytes(s), "abcdefghijabcdefghij");
    s.append(s.value(), 20);
    EXPECT_EQ(s.length(), 40);
    s.copy(s.value() + 35);
    EXPECT_EQ(bytes(s), "fghij");
}

TEST(VnString, NumberFormats) {
    EXPECT_EQ(bytes(VnString(0)), "0");
    EXPECT_EQ(bytes(VnString(-12)), "-12");
    EXPECT_EQ(bytes(VnString(1.5f)), "1.500000");
    VnString f("junk");
    f.floatvalue(2.0f);
    EXPECT_EQ(bytes(f), "2.000000");

    VnString x("x");
    x.integervalue(7, 2);
    EXPECT_EQ(bytes(x), "x07");
    const struct { int value, width; char pad; const char* text; } cases[] = {
        {-5, 3, 0, "-05"}, {123, 2, 0, "123"}, {-5, 4, '0', "00-5"}, {5, 3, ' ', "  5"}};
    for (const auto& c : cases) {
        VnString s;
        if (c.pad) s.integervalue(c.value, c.width, c.pad); else s.integervalue(c.value, c.width);
        EXPECT_EQ(bytes(s), c.text);
    }
    VnString wide;
    wide.integervalue(7, 40);
    EXPECT_EQ(bytes(wide), std::string(39, '0') + "7");
    char expected[64];
    std::snprintf(expected, sizeof expected, "%f", static_cast<double>(1e38f));
    EXPECT_EQ(bytes(VnString(1e38f)), expected);

    EXPECT_TRUE(VnString("12abc").integervalue() == 12 && VnString("abc").integervalue() == 0);
    for (const char* yes : {"-", "0", "123"}) EXPECT_EQ(VnString(yes).isinteger(), 1) << yes;
    for (const char* no : {"+1", "12a", "", "1-"}) EXPECT_EQ(VnString(no).isinteger(), 0) << no;
    for (const char* yes : {".", "-.5", "+", "1.5"}) EXPECT_EQ(VnString(yes).isfloat(), 1) << yes;
    for (const char* no : {"1.2.3", "1e3", " 1", "..", ""}) EXPECT_EQ(VnString(no).isfloat(), 0) << no;
}

TEST(VnString, Hexadecimal) {
    VnString s;
    s.hexvalue(static_cast<char>(0xAB));
    s.hexvalue('\n');
    EXPECT_EQ(bytes(s), "AB0A");
    const struct { const char* text; int chr; int all; } cases[] = {
        {"ff", 255, 255}, {"f", 15, 15}, {"fff", 255, 4095}, {"1z", 16, 16},
        {"zz", 0, 0}, {"", 0, 0}, {"FFFFFFFF", 255, -1}, {"100000000", 16, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(VnString(c.text).hexchar(), c.chr) << c.text;
        EXPECT_EQ(VnString(c.text).hexvalue(), c.all) << c.text;
    }
}

TEST(VnString, ComparisonAndOrder) {
    const VnString upper("ABC"), lower("abc"), empty(""), undef, ab("ab"), a("a"), b("b");
    EXPECT_EQ(upper.compare(lower, 1), 1);
    EXPECT_EQ(upper.compare(lower, 0) + upper.compare(lower, 2), 0);
    EXPECT_EQ(empty.compare(undef, 7), 1);
    for (int mode = 0; mode < 3; ++mode) EXPECT_EQ(ab.compare(lower, mode), 0);

    EXPECT_EQ(empty.cmp(a), -1);
    EXPECT_EQ(a.cmp(empty), 1);
    EXPECT_EQ(undef.cmp(empty), 0);
    EXPECT_LT(a.cmp(b), 0);
    EXPECT_TRUE(empty < a && !(a < empty) && !(empty > undef) && empty <= undef);
    EXPECT_TRUE(b > a && b >= a && a <= b && a != b && ab < lower);
}

TEST(VnString, FindReplaceAndFilter) {
    const VnString abc("abc");
    EXPECT_TRUE(abc.find(VnString()) && abc.find("bc"));
    EXPECT_FALSE(abc.find("cd") || abc.find("abcd"));

    EXPECT_EQ(VnString("").replacevalue("a", "b").isundef(), 1);
    EXPECT_EQ(VnString("a").replacevalue("a", "").isundef(), 1);
    EXPECT_EQ(bytes(VnString("abab").replacevalue("ab", "x")), "xx");
    EXPECT_EQ(bytes(VnString("aaa").replacevalue("aa", "b")), "ba");
    EXPECT_EQ(bytes(abc.replacevalue("", "x")), "abc");

    const char raw[] = {'a', '\t', 'b', 1, 'c', 127, static_cast<char>(0xE9)};
    EXPECT_EQ(bytes(VnString(raw, sizeof raw).removecontrolchars()), "a\tbc");
    EXPECT_EQ(VnString("\x01").removecontrolchars().isundef(), 1);

    EXPECT_TRUE(VnString("a\rb").multiline() && !VnString("a b").multiline());
    EXPECT_TRUE(VnString("a\tb").hasspace() && abc.haschar('c') && !VnString().haschar('\0'));
    EXPECT_EQ(abc.get(-1) + abc.get(3), 0);
    VnString s("abc");
    s.set(3, 'x');
    s.set(0, 'z');
    EXPECT_EQ(bytes(s), "zbc");
}

TEST(VnString, SecureBuffersAreZeroedBeforeRelease) {
    VnString plain;
    plain.append('p');
    watch(plain, 16);
    plain += "0123456789abcdef";  // grows: a plain buffer is released as it was
    EXPECT_EQ(released.substr(0, 1), "p");

    auto* secret = new VnString;
    secret->secure(1);
    secret->append('s');
    watch(*secret, 16);
    *secret += "0123456789abcdef";
    EXPECT_EQ(released, std::string(16, '\0'));
    watch(*secret, 72);
    delete secret;
    EXPECT_EQ(released, std::string(72, '\0'));

    VnString key("secret-password");
    key.secure(1);
    VnString copy("x");
    copy = key;  // the flag travels with a whole-string copy
    key = VnString("ab");  // flag goes off: the old secret must not stay behind
    EXPECT_TRUE(copy.secure() == 1 && key.secure() == 0);
    EXPECT_EQ(std::string(key.value(), 16), std::string("ab") + std::string(14, '\0'));
    key.wipe();
    EXPECT_TRUE(key.length() == 2 && key.get(0) == 0);
}
