#include "job/VnFilter.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

namespace {

// The sign (as itself, or "0" for none) and the value.
std::string shown(const VnField& f) {
    return (f.sign() ? f.sign() : '0') + str(f.value());
}

// The name, neg, the filter's sign, then each field.
std::string shown(const VnFilter& f) {
    std::string out = str(f.name()) + " " + std::to_string(f.neg()) + " " + f.sign();
    for (int i = 0; i < f.fields().length(); ++i)
        out += " " + shown(*f.fields().get(i));
    return out;
}

// A field nested in a list: its fields follow its length at once.
std::string fieldBytes(const std::string& value, char sign) {
    return strField(1, value) + field(2, 2, std::string(1, sign));
}

}  // namespace

TEST(VnField, LeadingSignIsSplitOff) {
    const char* table[][2] = {
        {"", "0"},      {"=", "="},   {">12", ">12"}, {"abc", "0abc"}, {">=5", ">=5"},
        {"~a*", "~a*"}, {"%x", "%x"}, {"*", "*"},     {"<0", "<0"},    {"!x", "0!x"},
    };
    for (const auto& row : table)
        EXPECT_EQ(shown(VnField(VnString(row[0]))), row[1]) << row[0];

    VnField f(VnString(">1"));
    f.value("abc");  // no sign in the text: the old one stays
    EXPECT_EQ(shown(f), ">abc");
    f.value("");
    EXPECT_EQ(shown(f), ">");
    f.value("<=x");
    f.value(f.value());  // its own value, which begins with a sign
    EXPECT_EQ(shown(f), "=x");
    f.value(VnString(std::string(3 << 20, '~').c_str()));  // a few megabytes
    EXPECT_EQ(f.value().length(), (3 << 20) - 1);
}

TEST(VnField, PackedFormsCarryAnySignExactly) {
    VnField f(VnString("x")), partial(VnString("<y"));
    f.sign(static_cast<char>(-3));
    expectForms(f, kVersion + fieldBytes("x", '\xfd'), objectXML("field", el("name", "x") + el("sign", -3)));
    ASSERT_EQ(unpackInto(partial, objectXML("field", el("name", "z")), true), 0);  // no sign: it stays
    EXPECT_EQ(shown(partial), "<z");
}

TEST(VnFilter, ConstructorsFormsAndCopies) {
    EXPECT_EQ(shown(VnFilter()) + "|" + shown(VnFilter(VnString("user"))), " 0 =|user 0 =");
    EXPECT_EQ(shown(VnFilter("status", "16")) + "|" + shown(VnFilter("frame", '<', ">7")),
              "status 0 = 016|frame 0 < >7");

    VnFilter f("status", '<', "16"), partial("keep");
    f.neg(1);
    f.fields().push(new VnField(VnString(">5")));
    auto item = [](const char* name, int sign) {
        return obj("item", "field", el("name", name, 5) + el("sign", sign, 5), 3);
    };
    const std::string list =
        intField(1, 2) + objField(10, 22, fieldBytes("16", 0)) + objField(10, 22, fieldBytes("5", '>'));
    expectForms(
        f, kVersion + strField(1, "status") + field(3, 6, "\1") + objField(4, 23, list) + field(5, 2, "<"),
        objectXML("filter", el("name", "status") + el("neg", 1) +
                                obj("fields", "field_list", item("16", 0) + item("5", 62)) + el("sign", 60)));
    // A field under the unused tag 2 is skipped; missing fields keep their values.
    ASSERT_EQ(unpackInto(partial, kVersion + strField(2, "x") + field(5, 2, "~")), 0);
    EXPECT_EQ(shown(partial), "keep 0 ~");
    expectDeepCopies(f, [](VnFilter& other) {
        other.fields().get(1)->value("99");
        other.fields().clear();
    });
}
