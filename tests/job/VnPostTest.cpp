#include "job/VnPost.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

std::string fieldsOf(const VnPost& p) {
    return std::to_string(p.pid()) + "," + std::to_string(p.id()) + "," + std::to_string(p.port()) + "," +
           str(p.triggers()) + "," + str(p.address().stringvalue());
}

VnPost filled() {
    VnPost p;
    p.pid(12);
    p.id(3);
    p.port(4000);
    p.triggers("done-job-a && x<y");
    p.address(VnAddress(0x0A000005));
    return p;
}

}  // namespace

TEST(VnPost, PackedFormsByteForByte) {
    VnPost blank;
    EXPECT_EQ(packed(blank), kVersion + intField(2, -1) + intField(1, -1) + intField(4, -1) +
                                 strField(5, "") + objField(3, VN_TYPE_ADDRESS, intField(1, 0)));
    VnPost p = filled();
    const std::string binary = packed(p), document = packed(p, true);
    EXPECT_EQ(binary, kVersion + intField(2, 12) + intField(1, 3) + intField(4, 4000) +
                          strField(5, "done-job-a && x<y") +
                          objField(3, VN_TYPE_ADDRESS, intField(1, 0x0A000005)));
    EXPECT_EQ(document, objectXML("post",
                                  "\t<pid>12</pid>\n\t<id>3</id>\n\t<port>4000</port>\n"
                                  "\t<triggers>done-job-a &amp;&amp; x&lt;y</triggers>\n\t<address>\n"
                                  "\t\t<object type = 'address'>\n\t\t\t<value>167772165</value>\n"
                                  "\t\t</object>\n\t</address>\n"));

    VnPost back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    EXPECT_EQ(fieldsOf(back) + "|" + fieldsOf(fromXML), fieldsOf(p) + "|" + fieldsOf(p));
    VnPostList list;
    EXPECT_EQ(str(list.typeXML()) + std::to_string(list.type()), "post_list134");
}

TEST(VnPost, CopiesAndByteTriggers) {
    const VnPost source = filled();
    VnPost copied(source), assigned;
    assigned = source;
    assigned.copy(assigned);
    EXPECT_EQ(fieldsOf(copied) + "|" + fieldsOf(assigned), fieldsOf(source) + "|" + fieldsOf(source));

    VnPost p = filled();
    p.triggers(p.triggers().value() + 5, 6);  // from its own text
    EXPECT_EQ(str(p.triggers()), "job-a ");
    p.triggers("ab\0c", 4);
    std::string emptied = str(p.triggers()) + "|";
    p.triggers("abc", 0);
    emptied += str(p.triggers()) + "|";
    p.triggers("x");
    p.triggers(nullptr, 3);
    EXPECT_EQ(emptied + str(p.triggers()), std::string("ab\0c||", 6));
}

TEST(VnPost, TurnsIntoAPostCallback) {
    VnCallback expected;  // defaults but for pid, triggers, language and code
    expected.pid(12);
    expected.triggers("done-job-a && x<y");
    expected.language(6);
    expected.code("10.0.0.5:4000");
    VnCallback made = filled().callback();
    EXPECT_EQ(packed(made), packed(expected));
    EXPECT_EQ(str(made.languagestring()) + " " + str(VnPost().callback().code()), "post 0.0.0.0:-1");
}
