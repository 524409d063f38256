#include "job/VnQuery.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

TEST(VnQuery, FieldsTravelBeforeFilters) {
    VnQuery q;
    q.filters().push(new VnFilter(VnString("id")));
    q.fields().push(new VnField(VnString("subjobs")));
    const std::string noSign(1, '\0');  // nested objects' fields follow their length at once
    const std::string filterBytes =
        strField(1, "id") + field(3, 6, noSign) + objField(4, 23, intField(1, 0)) + field(5, 2, "=");
    const std::string binary =
        kVersion +
        objField(2, 23, intField(1, 1) + objField(10, 22, strField(1, "subjobs") + field(2, 2, noSign))) +
        objField(1, 21, intField(1, 1) + objField(10, 20, filterBytes));
    EXPECT_EQ(packed(q), binary);
    EXPECT_EQ(packed(q, true),
              objectXML("query",
                        "\t<field_list>\n\t\t<object type = 'field_list'>\n\t\t\t<item>\n"
                        "\t\t\t\t<object type = 'field'>\n\t\t\t\t\t<name>subjobs</name>\n"
                        "\t\t\t\t\t<sign>0</sign>\n\t\t\t\t</object>\n\t\t\t</item>\n\t\t</object>\n"
                        "\t</field_list>\n\t<filter_list>\n\t\t<object type = 'filter_list'>\n"
                        "\t\t\t<item>\n\t\t\t\t<object type = 'filter'>\n\t\t\t\t\t<name>id</name>\n"
                        "\t\t\t\t\t<neg>0</neg>\n\t\t\t\t\t<fields>\n"
                        "\t\t\t\t\t\t<object type = 'field_list'>\n\t\t\t\t\t\t</object>\n"
                        "\t\t\t\t\t</fields>\n\t\t\t\t\t<sign>61</sign>\n\t\t\t\t</object>\n"
                        "\t\t\t</item>\n\t\t</object>\n\t</filter_list>\n"));
    VnQuery back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, packed(q, true), true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
}

TEST(VnQuery, CopiesShareNothing) {
    VnQuery q;
    q.filters().push(new VnFilter("user", "ann"));
    q.fields().push(new VnField(VnString("subjobs")));
    const std::string before = packed(q);
    VnQuery copy(q), assigned;
    assigned = q;
    EXPECT_EQ(packed(copy) + packed(assigned), before + before);
    copy.filters().get(0)->fields().get(0)->value("bob");
    assigned.fields().get(0)->value("hosts");
    const VnQuery& same = q;
    q = same;
    q.copy(same);
    EXPECT_EQ(packed(q), before);
    EXPECT_NE(packed(copy), packed(assigned));
}
