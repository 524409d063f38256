#include "farm/VnHost.h"

#include <gtest/gtest.h>

#include <string>

#include "farm/VnHostname.h"
#include "testing/TestRecords.h"

TEST(VnHost, ListOfHostsInBothForms) {
    VnHostList hosts;
    for (const char* name : {"render01", "a&b"}) {
        hosts.push(new VnHost());
        hosts.get(hosts.length() - 1)->name(name);
    }
    EXPECT_EQ(packed(hosts), kVersion + intField(1, 2) + objField(10, 9, strField(1, "render01")) +
                                 objField(10, 9, strField(1, "a&b")));
    EXPECT_EQ(packed(hosts, true),
              objectXML("host_list",
                        "\t<item>\n\t\t<object type = 'host'>\n\t\t\t<name>render01</name>\n"
                        "\t\t</object>\n\t</item>\n\t<item>\n\t\t<object type = 'host'>\n"
                        "\t\t\t<name>a&amp;b</name>\n\t\t</object>\n\t</item>\n"));
    for (bool xml : {false, true}) {
        VnHostList back;
        ASSERT_EQ(unpackInto(back, packed(hosts, xml), xml), 0);
        EXPECT_EQ(packed(back), packed(hosts)) << xml;
    }
}

TEST(VnHostname, ValueWithPortAndBothForms) {
    VnHostname plain(VnString("farm:7")), ported(VnString("supe"));
    ported.port(50001);
    EXPECT_EQ(std::string(plain.value().value()) + " " + std::to_string(plain.port()) + " " +
                  ported.value().value(),
              "farm:7 0 supe:50001");  // the text is the name as it stands
    EXPECT_EQ(packed(ported), kVersion + strField(1, "supe") + intField(2, 50001));
    EXPECT_EQ(packed(ported, true), objectXML("host_name", "\t<name>supe</name>\n\t<port>50001</port>\n"));
    VnHostnameList list;
    list.push(new VnHostname(plain));
    list.push(new VnHostname(ported));
    for (bool xml : {false, true}) {
        VnHostnameList back;
        ASSERT_EQ(unpackInto(back, packed(list, xml), xml), 0);
        EXPECT_EQ(packed(back), packed(list)) << xml;
    }
}
