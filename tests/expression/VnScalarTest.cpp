#include "expression/VnScalar.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

namespace {

// "i:7", "f:3.500000" or "s:text".
std::string describe(VnScalar& s) {
    static const char* const kinds[] = {"i:", "f:", "s:"};
    return kinds[s.valuetype] + std::string(s.stringvalue().value());
}

// The results of the texts, joined by blanks: "v" is v classified, "op v" the
// unary and "a op b" the binary operator on classified operands.
std::string results(std::initializer_list<const char*> texts) {
    std::string out;
    for (const char* text : texts) {
        std::istringstream in(text);
        std::string w[3];
        in >> w[0] >> w[1] >> w[2];
        VnScalar a{VnString(w[0].c_str())}, b{VnString(w[1].c_str())}, c{VnString(w[2].c_str())}, r;
        if (!w[2].empty()) VnScalar::eval(VnString(w[1].c_str()), a, c, r);
        if (w[2].empty() && !w[1].empty()) VnScalar::eval(VnString(w[0].c_str()), b, r);
        out += (out.empty() ? "" : " ") + describe(w[1].empty() ? a : r);
    }
    return out;
}

}  // namespace

TEST(VnScalar, ClassifiesAndCoerces) {
    EXPECT_EQ(results({"007", "-", "4294967297", "1.50", "+5", ".", "1e3", "abc"}),
              "i:7 i:0 i:1 f:1.500000 f:5.000000 f:0.000000 s:1e3 s:abc");
    VnScalar blank{VnString(" 5")}, empty{VnString("")}, fresh;
    EXPECT_EQ(describe(blank) + describe(empty) + describe(fresh), "s: 5s:i:0");
    auto integer = [](VnScalar s) { return std::to_string(s.integervalue()) + " "; };
    EXPECT_EQ(integer(2.9f) + integer(-2.9f) + integer(1e10f) + integer(-1e10f) + integer(NAN),
              "2 -2 2147483647 -2147483648 -2147483648 ");
    EXPECT_EQ(std::string(VnScalar(0.1f).stringvalue().value()), "0.100000");
    EXPECT_EQ(std::string(VnScalar(-5).stringvalue().value()), "-5");
    EXPECT_EQ(VnScalar(VnString("12abc")).integervalue() + VnScalar(VnString("2.5x")).floatvalue(), 14.5f);
}

TEST(VnScalar, BinaryRules) {
    EXPECT_EQ(
        results({"7 / 2", "-7 div 2", "-7 % 2", "7 / 0", "7 mod 0", "-2147483648 / -1", "-2147483648 % -1"}),
        "i:3 i:-3 i:-1 i:7 i:7 i:-2147483648 i:0");
    EXPECT_EQ(results({"2147483647 + 1", "65536 mul 65536", "1 << 31", "1 << 33", "1 ls 64", "-8 >> 40",
                       "-8 rs 1"}),
              "i:-2147483648 i:0 i:-2147483648 i:0 i:1 i:-1 i:-4");
    EXPECT_EQ(
        results({"6 ^ 3", "6 & 3", "6 | 3", "2 && 0", "0 or 3", "3 <> 4", "3 ge 4", "3 min 4", "1 < 2"}),
        "i:5 i:2 i:7 i:0 i:1 i:1 i:0 i:3 i:1");
    EXPECT_EQ(results({"7 / 2.0", "7.0 / 0", "1 == 1.0", "3 max 2.5", "2.5 min 3", "3.0 <> 4", "5 % 3.0"}),
              "f:3.500000 f:7.000000 f:1.000000 f:3.000000 f:2.500000 f:0.000000 f:0.000000");
    EXPECT_EQ(results({"0.0 || 0", "1.5 ne 1.5", "1.5 : 2"}), "f:0.000000 f:0.000000 f:0.000000");
    EXPECT_EQ(
        results({"abc == abc", "abc != abc", "abc < abd", "abc or 1", "abc && 1", "5 + abc", "2 == 2x"}),
        "i:1 i:0 i:0 i:0 i:0 i:0 i:0");
    EXPECT_EQ(results({"a,b has a", "c in a,b", "2 in 1,2", "1.5 in 1.5,2", "1 =~ 2", "x ; y", "1 AND 1"}),
              "i:1 i:0 i:1 i:0 i:0 i:0 i:0");
}

// Each comparison, in both spellings, on an equal, a smaller and a larger left operand: as
// integers, as floats, and as an integer against a float.
TEST(VnScalar, ComparisonsOfEqualSmallerAndLargerOperands) {
    const std::pair<std::string, std::string> rows[] = {
        {"<", "010"}, {"lt", "010"}, {"<=", "110"}, {"le", "110"},
        {">", "001"}, {"gt", "001"}, {">=", "101"}, {"ge", "101"},
    };
    for (const auto& [op, truths] : rows) {
        std::string expected;
        for (const char* kind : {"i:", "f:", "f:"}) {
            for (char t : truths)
                expected += (expected.empty() ? "" : " ") + (kind + std::string(1, t)) +
                            (kind[0] == 'f' ? ".000000" : "");
        }
        const std::string o = " " + op + " ";
        const std::string texts[] = {"2" + o + "2",     "-3" + o + "2",    "2" + o + "-3",
                                     "2.5" + o + "2.5", "1.5" + o + "2.5", "2.5" + o + "1.5",
                                     "2" + o + "2.0",   "1" + o + "2.0",   "3" + o + "2.0"};
        std::string got;
        for (const std::string& text : texts)
            got += (got.empty() ? "" : " ") + results({text.c_str()});
        EXPECT_EQ(got, expected) << op;
    }
}

TEST(VnScalar, UnaryRules) {
    EXPECT_EQ(results({"not 0", "! 3", "not 2.5", "-- 2.5", "- -2147483648", "+ 4", "! abc"}),
              "i:1 i:0 f:0.000000 f:-2.500000 i:-2147483648 i:0 s:");
    VnScalar text(VnString("abc")), kept(VnString("kept"));
    VnScalar::eval(VnString("--"), text, kept);  // a string operand leaves out's text
    EXPECT_EQ(describe(kept), "s:kept");
}

TEST(VnScalar, CopiesAllFieldsAndAllowsAliasing) {
    VnScalar a(VnString("text")), x(5), y(6);
    a.ival = 4;
    a.fval = 2.5f;
    VnScalar b(a), c;
    c = a;
    EXPECT_EQ(describe(b) + std::to_string(b.ival) + std::to_string(b.fval), "s:text42.500000");
    EXPECT_EQ(describe(c) + std::to_string(c.ival) + std::to_string(c.fval), "s:text42.500000");
    VnScalar::eval(VnString("-"), x, y, x);
    VnScalar::eval(VnString("--"), y, y);
    EXPECT_EQ(describe(x) + describe(y), "i:-1i:-6");
}
