#include "farm/VnAddress.h"

#include <gtest/gtest.h>

#include <string>

#include "farm/VnMacAddress.h"
#include "testing/TestRecords.h"

TEST(VnAddress, DottedTextBothFormsAndCopies) {
    VnAddress none, five(0x0A000005u), high(0xC0A80102u), copy(high);
    EXPECT_EQ(std::string(none.stringvalue().value()) + " " + five.stringvalue().value() + " " +
                  high.stringvalue().value(),
              "0.0.0.0 10.0.0.5 192.168.1.2");
    EXPECT_EQ(packed(five), kVersion + intField(1, 0x0A000005));
    EXPECT_EQ(packed(high, true), objectXML("address", "\t<value>-1062731518</value>\n"));
    for (bool xml : {false, true}) {
        VnAddress back;
        ASSERT_EQ(unpackInto(back, packed(high, xml), xml), 0);
        EXPECT_EQ(back.value(), 0xC0A80102u) << xml;
    }
    copy.copy(five);
    EXPECT_EQ(copy.value(), 0x0A000005u);
}

TEST(VnMacAddress, TextInBothForms) {
    VnMacAddress mac, back, fromXML, copy;
    EXPECT_EQ(packed(mac), kVersion + strField(1, ""));
    mac.value("00:1a:2b:3c:4d:5e");
    EXPECT_EQ(packed(mac), kVersion + strField(1, "00:1a:2b:3c:4d:5e"));
    EXPECT_EQ(packed(mac, true), objectXML("macaddress", "\t<value>00:1a:2b:3c:4d:5e</value>\n"));
    ASSERT_EQ(unpackInto(back, packed(mac)) + unpackInto(fromXML, packed(mac, true), true), 0);
    copy.copy(fromXML);
    EXPECT_EQ(std::string(back.value().value()) + "|" + copy.value().value(),
              "00:1a:2b:3c:4d:5e|00:1a:2b:3c:4d:5e");
}
