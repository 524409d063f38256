#include "job/VnFilter.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

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
    VnField f(VnString("x")), fromXML, partial(VnString("<y"));
    f.sign(static_cast<char>(-3));
    EXPECT_EQ(packed(f), kVersion + fieldBytes("x", '\xfd'));
    EXPECT_EQ(packed(f, true), objectXML("field", "\t<name>x</name>\n\t<sign>-3</sign>\n"));
    ASSERT_EQ(unpackInto(fromXML, packed(f, true), true), 0);
    ASSERT_EQ(unpackInto(partial, objectXML("field", "\t<name>z</name>\n"), true), 0);  // no sign: it stays
    EXPECT_EQ(shown(fromXML) + " " + shown(partial), "\xfdx <z");
}

TEST(VnFilter, ConstructorsAndDeepCopies) {
    EXPECT_EQ(shown(VnFilter()) + "|" + shown(VnFilter(VnString("user"))), " 0 =|user 0 =");
    EXPECT_EQ(shown(VnFilter("status", "16")) + "|" + shown(VnFilter("frame", '<', ">7")),
              "status 0 = 016|frame 0 < >7");

    VnFilter source("id", "12");
    source.neg(1);
    source.fields().push(new VnField(VnString("~13")));
    VnFilter copy(source), assigned;
    assigned = source;
    copy.fields().get(0)->value("99");
    assigned.fields().clear();
    const VnFilter& same = source;
    source = same;
    source.copy(same);
    EXPECT_EQ(shown(source) + "|" + shown(copy), "id 1 = 012 ~13|id 1 = 099 ~13");
}

TEST(VnFilter, PackedFormsByteForByte) {
    VnFilter f("status", '<', "16");
    f.neg(1);
    f.fields().push(new VnField(VnString(">5")));
    const std::string list =
        intField(1, 2) + objField(10, 22, fieldBytes("16", 0)) + objField(10, 22, fieldBytes("5", '>'));
    const std::string binary =
        kVersion + strField(1, "status") + field(3, 6, "\1") + objField(4, 23, list) + field(5, 2, "<");
    EXPECT_EQ(packed(f), binary);
    EXPECT_EQ(packed(f, true), objectXML("filter",
                                         "\t<name>status</name>\n\t<neg>1</neg>\n\t<fields>\n"
                                         "\t\t<object type = 'field_list'>\n"
                                         "\t\t\t<item>\n\t\t\t\t<object type = 'field'>\n"
                                         "\t\t\t\t\t<name>16</name>\n\t\t\t\t\t<sign>0</sign>\n"
                                         "\t\t\t\t</object>\n\t\t\t</item>\n"
                                         "\t\t\t<item>\n\t\t\t\t<object type = 'field'>\n"
                                         "\t\t\t\t\t<name>5</name>\n\t\t\t\t\t<sign>62</sign>\n"
                                         "\t\t\t\t</object>\n\t\t\t</item>\n"
                                         "\t\t</object>\n\t</fields>\n\t<sign>60</sign>\n"));
    VnFilter back, fromXML, partial("keep");
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, packed(f, true), true), 0);
    // A field under the unused tag 2 is skipped; missing fields keep their values.
    ASSERT_EQ(unpackInto(partial, kVersion + strField(2, "x") + field(5, 2, "~")), 0);
    EXPECT_EQ(shown(back) + "|" + shown(fromXML) + "|" + shown(partial),
              "status 1 < 016 >5|status 1 < 016 >5|keep 0 ~");
}
