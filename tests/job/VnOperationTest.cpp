#include "job/VnOperation.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string emptyList(const std::string& name) {
    return "\t<" + name + ">\n\t\t<object type = '" + name + "'>\n\t\t</object>\n\t</" + name + ">\n";
}

}  // namespace

TEST(VnOperation, JobIdsTravelBeforeVariableIds) {
    VnOperation blank;
    EXPECT_EQ(packed(blank), kVersion + objField(1, 21, intField(1, 0)) + objField(3, 18, intField(1, 0)) +
                                 objField(2, 131, intField(1, 0)) + field(5, 6, "\x01") + intField(6, 0));
    EXPECT_EQ(packed(blank, true),
              objectXML("operation_id_list", emptyList("filter_list") + emptyList("job_id_list") +
                                                 emptyList("variable_id_list") +
                                                 "\t<restrictions>1</restrictions>\n\t<limit>0</limit>\n"));

    VnOperation op;
    op.jobids().push(new VnJobId(7));
    op.variableids().push(new VnVariableId(7, VnString("frame")));
    op.restrictions(0);
    op.limit(9);
    const std::string binary =
        kVersion + objField(1, 21, intField(1, 0)) +
        objField(3, 18, intField(1, 1) + objField(10, 19, intField(1, 7) + intField(2, -1))) +
        objField(2, 131,
                 intField(1, 1) + objField(10, 130, intField(1, 7) + strField(2, "frame") + intField(3, 0))) +
        field(5, 6, std::string(1, '\0')) + intField(6, 9);
    const std::string xml = objectXML(
        "operation_id_list",
        emptyList("filter_list") +
            "\t<job_id_list>\n\t\t<object type = 'job_id_list'>\n\t\t\t<item>\n\t\t\t\t<object type = "
            "'job_id'>\n"
            "\t\t\t\t\t<id>7</id>\n\t\t\t\t\t<sub_id>-1</sub_id>\n\t\t\t\t</object>\n\t\t\t</item>\n"
            "\t\t</object>\n\t</job_id_list>\n\t<variable_id_list>\n\t\t<object type = 'variable_id_list'>\n"
            "\t\t\t<item>\n\t\t\t\t<object type = 'variable_id'>\n\t\t\t\t\t<pid>7</pid>\n"
            "\t\t\t\t\t<name>frame</name>\n\t\t\t\t\t<cls>0</cls>\n\t\t\t\t</object>\n\t\t\t</item>\n"
            "\t\t</object>\n\t</variable_id_list>\n\t<restrictions>0</restrictions>\n\t<limit>9</limit>\n");
    EXPECT_EQ(packed(op), binary);
    EXPECT_EQ(packed(op, true), xml);

    VnOperation back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
}

TEST(VnOperation, CopiesShareNothing) {
    VnOperation op;
    op.filters().push(new VnFilter("user", "ann"));
    op.jobids().push(new VnJobId(7, 2));
    op.variableids().push(new VnVariableId(7, VnString("frame")));
    op.restrictions(0);
    op.limit(3);
    const std::string before = packed(op);
    VnOperation copied(op), assigned, viaCopy;
    assigned = op;
    viaCopy.variableids().push(new VnVariableId(1));  // replaced, not kept
    viaCopy.copy(op);
    for (VnOperation* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), before);
        other->filters().get(0)->name("host");
        other->jobids().get(0)->subid(5);
        other->variableids().get(0)->pid(8);
    }
    const VnOperation& same = op;
    op = same;
    op.copy(same);
    EXPECT_EQ(packed(op), before);
}
