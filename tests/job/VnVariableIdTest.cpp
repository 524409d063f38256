#include "job/VnVariableId.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "tests/job/FormChecks.h"

namespace {

std::string fieldsOf(const VnVariableId& id) {
    return std::to_string(id.pid()) + "," + std::to_string(id.cls()) + "," + str(id.name());
}

}  // namespace

TEST(VnVariableId, ShortFormBothWays) {
    EXPECT_EQ(str(VnVariableId(7, "count").value()) + " " + str(VnVariableId(7).value()), "7_count 7");
    EXPECT_EQ(fieldsOf(VnVariableId(VnString("7_a_b"))) + " " + fieldsOf(VnVariableId(VnString("abc"))),
              "7,0,a_b 0,0,");
    EXPECT_EQ(fieldsOf(VnVariableId(VnString("_x"))) + " " + fieldsOf(VnVariableId(VnString("-4_"))),
              "0,0,x -4,0,");

    // Every non-empty name reads back, whatever its first byte.
    for (const char* name : {"-x", ".y", " z", "_", "a"}) {
        const VnVariableId id(INT_MIN, name);
        EXPECT_EQ(fieldsOf(VnVariableId(id.value())), fieldsOf(id)) << name;
    }

    VnVariableId id(3, "keep");
    id.cls(257);
    id.value("12");  // no "_": the name and the class stay
    EXPECT_EQ(fieldsOf(id), "12,257,keep");
    id.value(id.name());  // reads its own field
    EXPECT_EQ(fieldsOf(id), "0,257,keep");

    const std::string big = "5_" + std::string(3 << 20, 'n');  // a few megabytes
    EXPECT_EQ(VnVariableId(VnString(big.c_str())).name().length(), 3 << 20);

    std::ostringstream out;
    out << VnVariableId(1, "a");
    testing::internal::CaptureStdout();
    vn_debug_obj() << VnVariableId(2);
    EXPECT_EQ(out.str() + testing::internal::GetCapturedStdout(), "1_a2");
}

TEST(VnVariableId, FullNamesAndClassWords) {
    VnVariableId id(12, "frame");
    id.cls(1);
    EXPECT_EQ(str(id.fullname()), "12-job.frame");
    id.clsstring("global");
    EXPECT_EQ(str(id.fullname()) + " " + str(id.clsstring()), "12-global.frame global");

    std::string words;
    for (int cls : {0, 1, 2, 3, 256, 257, -1})
        words += str(_vn_variable_clsstring(cls)) + ",";
    EXPECT_EQ(words, "unknown,job,global,unknown,host,scoped,unknown,");
    id.clsstring("Job");
    EXPECT_EQ(id.cls(), 0);

    const char* table[][2] = {
        {"12-host.a.b", "12,256,a.b"}, {"job.x", "5,1,x"},     {"12.x", "12,0,"},
        {"-1-job.x", "5,0,1-job.x"},   {"global.x", "5,2,x"},  {"", "5,0,"},
        {"7-scoped", "7,257,"},        {"3-job-x.y", "3,0,y"},
    };
    for (const auto& row : table) {
        VnVariableId read(5, "old");
        read.cls(1);
        read.fullname(row[0]);
        EXPECT_EQ(fieldsOf(read), row[1]) << row[0];
    }
    id.fullname(id.name());  // reads its own field
    EXPECT_EQ(fieldsOf(id), "12,0,");

    const std::string big = "4-host." + std::string(3 << 20, 'x');
    id.fullname(VnString(big.c_str()));
    EXPECT_EQ(id.name().length() + id.cls(), (3 << 20) + 256);
}

TEST(VnVariableId, PackedFormsAndCopies) {
    auto lines = [](int pid, const char* name, int cls) {
        return std::vector<Line>{intLine(1, "pid", pid), strLine(2, "name", name), intLine(3, "cls", cls)};
    };
    VnVariableId blank, id(12, "a<b");
    id.cls(256);
    expectForms(blank, "variable_id", lines(-1, "", 0));
    expectForms(id, "variable_id", lines(12, "a<b", 256));
    expectCopies(id);

    VnVariableIdList list, back;
    list.push(new VnVariableId(id));
    list.push(new VnVariableId());
    ASSERT_EQ(unpackInto(back, packed(list, true), true), 0);
    EXPECT_EQ(packed(back) + str(back.typeXML()) + std::to_string(back.type()),
              packed(list) + "variable_id_list131");
}
