#include "expression/VnScalar.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

// "i:7", "f:3.500000" or "s:text".
std::string describe(VnScalar& s) {
    static const char* const kinds[] = {"i:", "f:", "s:"};
    return kinds[s.valuetype] + std::string(s.stringvalue().value());
}

std::string classified(const char* text) {
    VnScalar s{VnString(text)};
    return describe(s);
}

std::string binary(const char* a, const char* op, const char* b) {
    VnScalar x{VnString(a)}, y{VnString(b)}, out;
    VnScalar::eval(VnString(op), x, y, out);
    return describe(out);
}

}  // namespace

TEST(VnScalar, ClassifiesTexts) {
    EXPECT_EQ(classified("007"), "i:7");
    EXPECT_EQ(classified("-"), "i:0");
    EXPECT_EQ(classified("4294967297"), "i:1");  // wraps to 32 bits
    EXPECT_EQ(classified("1.50"), "f:1.500000");
    EXPECT_EQ(classified("+5"), "f:5.000000");
    EXPECT_EQ(classified("."), "f:0.000000");
    EXPECT_EQ(classified("1e3"), "s:1e3");
    EXPECT_EQ(classified(" 5"), "s: 5");
    EXPECT_EQ(classified(""), "s:");
    VnScalar fresh;
    EXPECT_EQ(describe(fresh), "i:0");
    EXPECT_EQ(fresh.type(), 73);
}

TEST(VnScalar, Coercions) {
    EXPECT_EQ(VnScalar(2.9f).integervalue(), 2);
    EXPECT_EQ(VnScalar(-2.9f).integervalue(), -2);
    EXPECT_EQ(VnScalar(1e10f).integervalue(), INT_MAX);
    EXPECT_EQ(VnScalar(-1e10f).integervalue(), INT_MIN);
    EXPECT_EQ(VnScalar(NAN).integervalue(), INT_MIN);
    EXPECT_EQ(std::string(VnScalar(0.1f).stringvalue().value()), "0.100000");
    EXPECT_EQ(std::string(VnScalar(-5).stringvalue().value()), "-5");
    EXPECT_EQ(VnScalar(VnString("12abc")).integervalue(), 12);
    EXPECT_FLOAT_EQ(VnScalar(VnString("2.5x")).floatvalue(), 2.5f);
    EXPECT_TRUE(std::isinf(VnScalar(VnString("1e99")).floatvalue()));
}

TEST(VnScalar, BinaryRules) {
    const struct {
        const char *a, *op, *b, *result;
    } cases[] = {
        {"7", "/", "2", "i:3"},          {"-7", "div", "2", "i:-3"},        {"-7", "%", "2", "i:-1"},
        {"7", "/", "0", "i:7"},          {"7", "mod", "0", "i:7"},          {"7", "/", "2.0", "f:3.500000"},
        {"7.0", "/", "0", "f:7.000000"}, {"2147483647", "+", "1", "i:-2147483648"},
        {"65536", "mul", "65536", "i:0"}, {"-2147483648", "/", "-1", "i:-2147483648"},
        {"-2147483648", "%", "-1", "i:0"}, {"1", "<<", "31", "i:-2147483648"}, {"1", "<<", "33", "i:0"},
        {"1", "ls", "64", "i:1"},        {"-8", ">>", "40", "i:-1"},        {"-8", "rs", "1", "i:-4"},
        {"6", "^", "3", "i:5"},          {"6", "&", "3", "i:2"},            {"6", "|", "3", "i:7"},
        {"2", "&&", "0", "i:0"},         {"0", "or", "3", "i:1"},           {"3", "<>", "4", "i:1"},
        {"3", "ge", "4", "i:0"},         {"3", "min", "4", "i:3"},          {"1", "==", "1.0", "f:1.000000"},
        {"1", "<", "2", "i:1"},          {"3", "max", "2.5", "f:3.000000"}, {"2.5", "min", "3", "f:2.500000"},
        {"3.0", "<>", "4", "f:0.000000"}, {"5", "%", "3.0", "f:0.000000"},  {"0.0", "||", "0", "f:0.000000"},
        {"1.5", "ne", "1.5", "f:0.000000"}, {"abc", "==", "abc", "i:1"},     {"abc", "!=", "abc", "i:0"},
        {"abc", "<", "abd", "i:0"},      {"abc", "or", "1", "i:0"},         {"abc", "&&", "1", "i:0"},
        {"5", "+", "abc", "i:0"},        {"2", "==", "2x", "i:0"},          {"b", "in", "a, b", "i:1"},
        {"a,b", "has", "a", "i:1"},      {"c", "in", "a,b", "i:0"},         {"2", "in", "1,2", "i:1"},
        {"1.5", "in", "1.5,2", "i:0"},   {"1", "=~", "2", "i:0"},           {"x", ";", "y", "i:0"},
        {"1.5", ":", "2", "f:0.000000"}, {"1", "AND", "1", "i:0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(binary(c.a, c.op, c.b), c.result) << c.a << " " << c.op << " " << c.b;
    }
}

TEST(VnScalar, UnaryRules) {
    auto unary = [](const char* op, VnScalar a, VnScalar out) {
        VnScalar::eval(VnString(op), a, out);
        return describe(out);
    };
    EXPECT_EQ(unary("not", VnScalar(0), VnScalar()), "i:1");
    EXPECT_EQ(unary("!", VnScalar(3), VnScalar()), "i:0");
    EXPECT_EQ(unary("not", VnScalar(2.5f), VnScalar()), "f:0.000000");
    EXPECT_EQ(unary("--", VnScalar(2.5f), VnScalar()), "f:-2.500000");
    EXPECT_EQ(unary("-", VnScalar(INT_MIN), VnScalar()), "i:-2147483648");
    EXPECT_EQ(unary("+", VnScalar(4), VnScalar()), "i:0");
    EXPECT_EQ(unary("!", VnScalar(VnString("abc")), VnScalar()), "s:");
    EXPECT_EQ(unary("--", VnScalar(VnString("abc")), VnScalar(VnString("kept"))), "s:kept");
}

TEST(VnScalar, CopiesAllFieldsAndAllowsAliasing) {
    VnScalar a(VnString("text"));
    a.ival = 4;
    a.fval = 2.5f;
    VnScalar b(a), c;
    c = a;
    for (VnScalar* s : {&b, &c}) {
        EXPECT_EQ(describe(*s) + std::to_string(s->ival) + std::to_string(s->fval), "s:text42.500000");
    }
    VnScalar x(5), y(6);
    VnScalar::eval(VnString("-"), x, y, x);
    EXPECT_EQ(describe(x), "i:-1");
    VnScalar::eval(VnString("--"), y, y);
    EXPECT_EQ(describe(y), "i:-6");
}
