#include "job/VnVariable.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

std::string fieldsOf(const VnVariable& v) {
    return std::to_string(v.pid()) + "," + std::to_string(v.cls()) + "," + str(v.name()) + "," +
           str(v.value()) + "," + std::to_string(v.lastupdate().value());
}

VnVariable filled() {
    VnVariable v(12);
    v.cls(257);
    v.name("frame");
    v.value("a&b");
    v.lastupdate(99);
    return v;
}

}  // namespace

TEST(VnVariable, ConstructorsFullNamesAndSetters) {
    EXPECT_EQ(
        fieldsOf(VnVariable()) + " " + fieldsOf(VnVariable(4)) + " " + fieldsOf(VnVariable(VnString("v"))),
        "-1,0,,,0 4,0,,,0 -1,0,,v,0");

    VnVariable v(12);
    v.name("frame");
    v.clsstring("job");
    EXPECT_EQ(str(v.fullname()), "12-job.frame");
    v.clsstring("global");
    EXPECT_EQ(str(v.fullname()) + " " + str(v.clsstring()), "global.frame global");
    v.cls(3);
    EXPECT_EQ(str(v.fullname()), "12-unknown.frame");

    v.fullname("global.x");  // as written for a global variable: the pid stays
    EXPECT_EQ(fieldsOf(v), "12,2,x,,0");

    char text[] = "abcdef";
    v.name(text, 2);
    v.value(text, 4);
    v.value(nullptr, 1);
    EXPECT_EQ(str(v.name()) + "|" + str(v.value()), "ab|abcd");
    v.name(text, 0);
    EXPECT_EQ(v.name().length(), 0);

    std::ostringstream out;
    out << filled();
    EXPECT_EQ(out.str(), "a&b");
}

TEST(VnVariable, PackedFormsAndCopies) {
    VnVariable blank, v = filled();
    EXPECT_EQ(packed(blank), kVersion + intField(1, -1) + strField(2, "") + strField(3, "") + intField(4, 0) +
                                 objField(5, 33, intField(1, 0)));
    const std::string binary = packed(v);
    EXPECT_EQ(binary, kVersion + intField(1, 12) + strField(2, "frame") + strField(3, "a&b") +
                          intField(4, 257) + objField(5, 33, intField(1, 99)));
    auto document = [](const std::string& pid, const std::string& name, const std::string& value,
                       const std::string& cls, const std::string& time) {
        return objectXML("variable",
                         "\t<pid>" + pid + "</pid>\n\t<name>" + name + "</name>\n\t<value>" + value +
                             "</value>\n\t<cls>" + cls +
                             "</cls>\n\t<last_update>\n\t\t<object type = 'time'>\n\t\t\t<value>" + time +
                             "</value>\n\t\t</object>\n\t</last_update>\n");
    };
    EXPECT_EQ(packed(blank, true), document("-1", "", "", "0", "0"));
    EXPECT_EQ(packed(v, true), document("12", "frame", "a&amp;b", "257", "99"));

    VnVariable back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, packed(v, true), true), 0);
    EXPECT_EQ(fieldsOf(back) + " " + fieldsOf(fromXML), "12,257,frame,a&b,99 12,257,frame,a&b,99");

    VnVariableHash hash, hashBack;
    hash.set(new VnVariable(v), VnString("12-scoped.frame"));
    hash.set(new VnVariable(), VnString("none"));
    ASSERT_EQ(unpackInto(hashBack, packed(hash, true), true), 0);
    ASSERT_NE(hashBack.get(VnString("12-scoped.frame")), nullptr);
    EXPECT_EQ(fieldsOf(*hashBack.get(VnString("12-scoped.frame"))) + " " + std::to_string(hashBack.type()) +
                  str(hashBack.typeXML()),
              "12,257,frame,a&b,99 122variable_hash");
    VnVariableList list;
    list.push(new VnVariable(v));
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 120, binary.substr(4)));

    VnVariable copied(v), assigned, viaCopy;
    assigned = v;
    viaCopy.copy(v);
    viaCopy.copy(viaCopy);
    EXPECT_EQ(fieldsOf(copied) + fieldsOf(assigned) + fieldsOf(viaCopy),
              fieldsOf(v) + fieldsOf(v) + fieldsOf(v));
}
