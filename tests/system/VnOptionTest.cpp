#include "system/VnOption.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/TestRecords.h"

namespace {

std::string fields(const VnOption& o) {
    return std::to_string(o.tag()) + "|" + str(o.name()) + "|" + str(o.value()) + "|" +
           std::to_string(o.exists());
}

}  // namespace

TEST(VnOption, MatchCountsOnlyPrefixesOfTheName) {
    const VnOption option(VnOption::STRING, "named");
    std::string lengths;
    for (const char* s : {"", "n", "nam", "named", "nameds", "ame", "Named", "x"})
        lengths += std::to_string(option.match(s)) + " ";
    EXPECT_EQ(lengths, "0 1 3 5 0 0 0 0 ");
    const VnOption withNul(VnOption::FLAG, VnString("a\0b", 3));
    EXPECT_EQ(withNul.match(VnString("a\0b", 3)) * 10 + withNul.match(VnString("a\0c", 3)), 30);
    EXPECT_EQ(VnOption().match("a") + VnOption().match(""), 0);
}

TEST(VnOption, CopiesCarryEveryField) {
    VnOption source(VnOption::DIFF, "shift");
    source.value("+5");
    source.exists(1);
    VnOption copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    const VnOption& same = viaCopy;
    viaCopy.copy(same);
    viaCopy = same;
    EXPECT_EQ(fields(copied) + " " + fields(assigned) + " " + fields(viaCopy),
              "4|shift|+5|1 4|shift|+5|1 4|shift|+5|1");
}

TEST(VnOption, PacksAsAnObjectWithoutFields) {
    VnOption option(VnOption::INTEGER, "count");
    option.value("7");
    option.exists(1);
    EXPECT_EQ(packed(option), kVersion);
    EXPECT_EQ(packed(option, true), objectXML("option", ""));

    VnOptionList list;
    list.push(new VnOption(option));
    list.push(new VnOption(VnOption::FLAG, "all"));
    const std::string bytes = kVersion + intField(1, 2) + objField(10, 53, "") + objField(10, 53, "");
    EXPECT_EQ(packed(list), bytes);
    EXPECT_EQ(packed(list, true),
              objectXML("option_list",
                        "\t<item>\n\t\t<object type = 'option'>\n\t\t</object>\n\t</item>\n"
                        "\t<item>\n\t\t<object type = 'option'>\n\t\t</object>\n\t</item>\n"));

    // Reading makes default options: nothing of what the options held travels.
    VnOptionList back, fromXML;
    ASSERT_EQ(unpackInto(back, bytes), 0);
    ASSERT_EQ(unpackInto(fromXML, packed(list, true), true), 0);
    ASSERT_EQ(back.length() * 10 + fromXML.length(), 22);
    EXPECT_EQ(fields(*back.get(1)) + " " + fields(*fromXML.get(0)), "0|||0 0|||0");
    EXPECT_EQ(unpackInto(option, kVersion + intField(1, 9)), 0);
    EXPECT_EQ(fields(option), "3|count|7|1");
}
