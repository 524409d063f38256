#include "base/VnString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>

// Array new and delete go through malloc so that the watched buffer can be read at the moment it is
// released, while it is still valid memory; array allocations are counted.
namespace {
long arrayAllocations = 0;
const char* watched = nullptr;
int watchedSize = 0;
std::string released;  // the watched buffer's bytes just before its release
}  // namespace

void* operator new[](std::size_t n) {
    ++arrayAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete[](void* p) noexcept {
    if (p && p == watched) released.assign(std::exchange(watched, nullptr), watchedSize);
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    operator delete[](p);
}

namespace {

std::string debugInfo(VnString& s) {
    testing::internal::CaptureStdout();
    s._debug_info();
    return testing::internal::GetCapturedStdout();
}

int capacity(VnString& s) {
    const std::string info = debugInfo(s);
    return std::atoi(info.c_str() + info.find("size: ") + 6);
}

std::string bytes(const VnString& s) {
    return std::string(s.value(), s.length());
}

// A text long enough for a heap buffer, returned through a move: two returns of different
// strings rule out returning in place. inside is where the text was before the return.
VnString heapText(const char** inside, bool none = false) {
    VnString text("a text longer than fits inside a string");
    *inside = text.value();
    if (none) return VnString();
    return text;
}

}  // namespace

TEST(VnString, UndefinedEmptyAndAccess) {
    VnString undef, empty(""), target("x"), undefTarget, s, own("abc"), undefOwn;
    EXPECT_TRUE(undef.isundef() && !empty.isundef() && undef == empty && undef.compare(empty, 1));
    EXPECT_TRUE(VnString(empty).isundef() && VnString("abc", 0).isundef() &&
                bytes(VnString("abc", 2)) == "ab");
    target = empty;  // defined-emptiness does not travel with a copy
    undefTarget = empty;
    EXPECT_TRUE(!target.isundef() && target.length() == 0 && undefTarget.isundef());
    ((s += "") += VnString()) += static_cast<VnString*>(nullptr);
    s.append(static_cast<const char*>(nullptr));
    s.clear();
    EXPECT_EQ(s.isundef(), 1);
    s.append('\0');
    own.copy(own.value());
    undefOwn.copy(undefOwn.value());
    own.set(3, 'x');
    own.set(0, 'z');
    EXPECT_TRUE(bytes(own) == "zbc" && !undefOwn.isundef() && s.length() == 1);
    EXPECT_EQ(own.get(-1) + own.get(3) + undef.get(0), 0);

    std::unique_ptr<char[]> text(VnString("a\0b", 3).copyvalue());  // up to the first NUL, the rest NUL
    EXPECT_EQ(std::string(text.get(), 4), std::string("a\0\0\0", 4));
    EXPECT_EQ(debugInfo(undef), "VnString:\n\tsize: 0\n\tlength: 0\n\tdata: ''\n");
}

TEST(VnString, GrowthAndSourcesInsideTheOwnBuffer) {
    VnString s, copied, self;
    const struct { int n, capacity; } steps[] = {{1, 16}, {15, 16}, {16, 68}, {67, 68}, {68, 276}};
    for (const auto& step : steps) {  // capacity after the n-th single byte
        while (s.length() < step.n)
            s.append('a');
        EXPECT_EQ(capacity(s), step.capacity) << step.n;
    }
    s.clear();
    copied.copy("01234567890123456789");
    EXPECT_TRUE(capacity(s) == 276 && capacity(copied) == 84);
    EXPECT_THROW(copied.append("x", INT_MAX), std::bad_alloc);
    EXPECT_EQ(bytes(copied), "01234567890123456789");

    self.append('a');
    self.append("bcdefghij");  // capacity 16: appending the string to itself must grow it
    self += self;
    EXPECT_TRUE(bytes(self) == "abcdefghijabcdefghij" && capacity(self) == 84);
    self.append(self.value(), 20);
    self.copy(self.value() + 35);
    EXPECT_EQ(bytes(self), "fghij");
}

TEST(VnString, NumbersAndHexadecimal) {
    VnString f("junk"), x("x"), hex;
    f.floatvalue(2.0f);
    x.integervalue(7, 2);  // these append
    x.integervalue(-5, 3);
    x.integervalue(123, 2);
    x.integervalue(-5, 4, '0');
    x.integervalue(5, 3, ' ');
    x.integervalue(7, 40);
    EXPECT_TRUE(bytes(VnString(0)) == "0" && bytes(VnString(-12)) == "-12" &&
                bytes(VnString(1.5f)) == "1.500000");
    EXPECT_TRUE(bytes(VnString(INT_MIN)) == "-2147483648" && bytes(VnString(INT_MAX)) == "2147483647");
    EXPECT_EQ(bytes(f), "2.000000");
    EXPECT_EQ(bytes(x), "x07-0512300-5  5" + std::string(39, '0') + "7");
    EXPECT_EQ(bytes(VnString(1e38f)), "99999996802856924650656260769173209088.000000");

    EXPECT_TRUE(VnString("12abc").integervalue() == 12 && VnString("abc").integervalue() == 0);
    EXPECT_TRUE(VnString("4294967297").integervalue() == 1 && VnString().floatvalue() == 0.0f);
    EXPECT_TRUE(std::isinf(VnString("1e39").floatvalue()) && VnString("-1e39").floatvalue() < 0);
    std::string kinds;  // isinteger and isfloat of each text
    for (const char* t :
         {"-", "0", "123", "+1", "12a", "", "1-", ".", "-.5", "+", "1.5", "1.2.3", "1e3", " 1", ".."})
        kinds += std::to_string(VnString(t).isinteger()) + std::to_string(VnString(t).isfloat()) + " ";
    EXPECT_EQ("11 11 11 01 00 00 00 01 01 01 01 00 00 00 00 ", kinds);

    hex.hexvalue(static_cast<char>(0xAB));
    hex.hexvalue('\n');
    EXPECT_EQ(bytes(hex), "AB0A");
    const struct {
        const char* text;
        int chr, all;
    } hexes[] = {{"ff", 255, 255}, {"f", 15, 15}, {"fff", 255, 4095},    {"1z", 16, 16},
                 {"zz", 0, 0},     {"", 0, 0},    {"FFFFFFFF", 255, -1}, {"100000000", 16, 0}};
    for (const auto& c : hexes)
        EXPECT_TRUE(VnString(c.text).hexchar() == c.chr && VnString(c.text).hexvalue() == c.all) << c.text;
}

TEST(VnString, CompareFindReplaceAndFilter) {
    const VnString upper("ABC"), lower("abc"), empty(""), undef, ab("ab"), a("a"), b("b");
    EXPECT_TRUE(upper.compare(lower, 1) == 1 && upper.compare(lower, 0) == 0 && upper.compare(lower, 2) == 0);
    EXPECT_TRUE(empty.compare(undef, 7) == 1 && ab.compare(lower, 0) + ab.compare(lower, 1) == 0);
    EXPECT_TRUE(empty.cmp(a) == -1 && a.cmp(empty) == 1 && undef.cmp(empty) == 0 && a.cmp(b) < 0);
    EXPECT_TRUE(empty < a && !(a < empty) && !(empty > undef) && empty <= undef);
    EXPECT_TRUE(b > a && b >= a && a <= b && a != b && ab < lower);

    EXPECT_TRUE(lower.find(undef) && lower.find("bc") && !lower.find("cd") && !lower.find("abcd"));
    EXPECT_TRUE(empty.replacevalue("a", "b").isundef() && VnString("a").replacevalue("a", "").isundef());
    EXPECT_EQ(bytes(VnString("abab").replacevalue("ab", "x")), "xx");
    EXPECT_EQ(bytes(VnString("aaa").replacevalue("aa", "b")), "ba");
    EXPECT_EQ(bytes(lower.replacevalue("", "x")), "abc");
    const char raw[] = {'a', '\t', 'b', 1, 'c', 127, static_cast<char>(0xE9)};
    EXPECT_EQ(bytes(VnString(raw, sizeof raw).removecontrolchars()), "a\tbc");
    EXPECT_EQ(VnString("\x01").removecontrolchars().isundef(), 1);
    EXPECT_TRUE(VnString("a\rb").multiline() && !VnString("a b").multiline() && VnString("a\tb").hasspace());
}

TEST(VnString, SecureBuffersAreZeroedBeforeRelease) {
    VnString key("secret-password"), copy("x");
    auto* secret = new VnString("s");
    secret->secure(1);
    watched = secret->value(), watchedSize = 16;
    *secret += "0123456789abcdef";  // grows
    EXPECT_EQ(released, std::string(16, '\0'));
    watched = secret->value(), watchedSize = 72;
    delete secret;
    EXPECT_EQ(released, std::string(72, '\0'));

    key.secure(1);
    copy = key;            // the flag travels with a whole-string copy
    key = VnString("ab");  // flag goes off: the old secret must not stay behind
    EXPECT_TRUE(copy.secure() == 1 && key.secure() == 0);
    EXPECT_EQ(std::string(key.value(), 16), std::string("ab") + std::string(14, '\0'));
    key.wipe();
    EXPECT_TRUE(key.length() == 2 && key.get(0) == 0);
}

TEST(VnString, ShortTextsLiveInsideTheObjectUntilTheyOutgrowIt) {
    const VnString longest("0123456789abcdefghijklm");  // 23 bytes: the most kept inside
    VnString copy(longest), grown("0123456789abcde"), wiped(std::string(16, 'w').c_str());
    copy.set(0, 'X');  // a copy has a place of its own
    EXPECT_TRUE(bytes(longest) == "0123456789abcdefghijklm" && bytes(copy) == "X123456789abcdefghijklm");
    grown += grown;  // read from inside the object while the text moves out of it
    grown.append("!");
    EXPECT_TRUE(bytes(grown) == "0123456789abcde0123456789abcde!" && capacity(grown) == 64);
    grown.copy(grown.value() + 24);
    EXPECT_EQ(bytes(grown), "9abcde!");
    wiped.wipe();  // only the bytes the text can occupy: the capacity is 68, the room inside smaller
    EXPECT_TRUE(wiped.length() == 16 && wiped.get(15) == 0 && capacity(wiped) == 68);

    VnString pin("1234");
    const char* inside = pin.value();
    pin.secure(1);  // a secure text moves to a heap buffer and leaves zeros behind
    EXPECT_TRUE(pin.value() != inside && bytes(pin) == "1234" && capacity(pin) == 20);
    EXPECT_EQ(std::string(inside, 24), std::string(24, '\0'));
    watched = pin.value(), watchedSize = 20;
    pin.copy("a longer secret than before");
    EXPECT_EQ(released, std::string(20, '\0'));

    // What memory budgets count for a stored text: nothing while it stays inside the object,
    // then the buffer of the growth rule and its block.
    EXPECT_TRUE(VnString::heapCost(0) == 0 && VnString::heapCost(23) == 0);
    EXPECT_EQ(VnString::heapCost(24), 4 * 25 + VnString::kBlockOverhead);
    EXPECT_EQ(VnString::heapCost(100), 4 * 101 + VnString::kBlockOverhead);
}

// A move takes a heap buffer by its pointer and a text inside the object by its bytes; the source
// is left undefined and usable, a secure one still secure.
TEST(VnString, MovesTakeTheBufferWithoutAllocating) {
    const char* inside = nullptr;
    long before = arrayAllocations;
    VnString returned = heapText(&inside);
    EXPECT_TRUE(returned.value() == inside && arrayAllocations == before + 1);

    VnString heap(returned), small("short"), secret("0123456789abcdefghijklmnopqrstuvwxyz");
    secret.secure(1);
    const char* buffer = heap.value();
    before = arrayAllocations;
    VnString taken(std::move(heap)), fromSmall(std::move(small)), target("old"), secretTarget;
    target = std::move(taken);
    secretTarget = std::move(secret);
    auto& sameTarget = target;       // the same object under another name
    target = std::move(sameTarget);  // a move onto itself changes nothing
    EXPECT_EQ(arrayAllocations, before);
    EXPECT_TRUE(target.value() == buffer && bytes(target) == bytes(returned) && capacity(target) == 160);
    EXPECT_TRUE(bytes(fromSmall) == "short" && fromSmall.value() != small.value() &&
                capacity(fromSmall) == 24);
    EXPECT_TRUE(heap.isundef() && taken.isundef() && small.isundef() && capacity(heap) == 0);
    EXPECT_TRUE(secretTarget.secure() == 1 && bytes(secretTarget) == "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_TRUE(secret.isundef() && secret.secure() == 1);

    heap += "again";  // the moved-from strings take text again, a secure one to the heap
    secret += "pin";
    fromSmall = std::move(heap);
    EXPECT_TRUE(bytes(fromSmall) == "again" && bytes(secret) == "pin" && secret.value() != nullptr);
    watched = secretTarget.value(), watchedSize = 148;
    secretTarget = VnString("x");  // the secret replaced by a move is zeroed before release
    EXPECT_EQ(released, std::string(148, '\0'));
}

// reserve makes the room asked for at once, in a buffer of just that size: appends within it
// never move the text, one past it grows by the rule again. Less room than the text holds asks
// for nothing; a text that fits inside the object stays there unless it is secure.
TEST(VnString, ReserveMakesTheRoomAskedForOnce) {
    VnString s("abc"), undef, small("ab"), secret("pin");
    long before = arrayAllocations;
    s.reserve(1000);
    const char* buffer = s.value();
    while (s.length() < 1000)
        s.append('x');
    EXPECT_EQ(arrayAllocations, before + 1);  // counted before capacity() allocates
    EXPECT_TRUE(s.value() == buffer && capacity(s) == 1001);
    EXPECT_EQ(bytes(s), "abc" + std::string(997, 'x'));
    before = arrayAllocations;
    s.append('y');
    s.reserve(10);
    EXPECT_EQ(arrayAllocations, before + 1);
    EXPECT_EQ(capacity(s), 4 * 1002);

    before = arrayAllocations;
    const char* inside = small.value();
    undef.reserve(0);
    small.reserve(20);
    EXPECT_EQ(arrayAllocations, before);
    EXPECT_TRUE(!undef.isundef() && undef.length() == 0 && capacity(undef) == 16);
    EXPECT_TRUE(small.value() == inside && bytes(small) == "ab" && capacity(small) == 21);

    secret.secure(1);  // on the heap, 16 bytes: zeroed when the text moves to its reserved room
    watched = secret.value(), watchedSize = 16;
    secret.reserve(100);
    EXPECT_TRUE(bytes(secret) == "pin" && secret.secure() == 1 && capacity(secret) == 101);
    EXPECT_EQ(released, std::string(16, '\0'));

    EXPECT_THROW(s.reserve(INT_MAX), std::bad_alloc);  // a text and its NUL past INT_MAX
    EXPECT_TRUE(capacity(s) == 4008 && s.length() == 1001);
    // The largest text, 2 GiB - 2 bytes, has room: a buffer of INT_MAX bytes whose pages past
    // the text are never touched, released at once.
    EXPECT_NO_THROW(s.reserve(INT_MAX - 1));
    EXPECT_TRUE(capacity(s) == INT_MAX && bytes(s) == "abc" + std::string(997, 'x') + "y");
    s = VnString();
}
