#include "job/VnVariable.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/job/FormChecks.h"

namespace {

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
    EXPECT_EQ(fieldsOf(VnVariable(4)) + " " + fieldsOf(VnVariable(VnString("v"))), "4,0,,,0 -1,0,,v,0");

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
    auto lines = [](int pid, const char* name, const char* value, int cls, int time) {
        return std::vector<Line>{intLine(1, "pid", pid), strLine(2, "name", name), strLine(3, "value", value),
                                 intLine(4, "cls", cls), timeLine(5, "last_update", time)};
    };
    VnVariable blank, v = filled();
    expectForms(blank, "variable", lines(-1, "", "", 0, 0));
    expectForms(v, "variable", lines(12, "frame", "a&b", 257, 99));
    expectCopies(v);

    VnVariableHash hash, hashBack;
    hash.set(new VnVariable(v), VnString("12-scoped.frame"));
    hash.set(new VnVariable(), VnString("none"));
    ASSERT_EQ(unpackInto(hashBack, packed(hash, true), true), 0);
    ASSERT_NE(hashBack.get(VnString("12-scoped.frame")), nullptr);
    EXPECT_EQ(packed(*hashBack.get(VnString("12-scoped.frame"))) + std::to_string(hashBack.type()) +
                  str(hashBack.typeXML()),
              packed(v) + "122variable_hash");
    VnVariableList list;
    list.push(new VnVariable(v));
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 120, packed(v).substr(4)));
}
