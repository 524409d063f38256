#include "farm/VnAddress.h"

#include <gtest/gtest.h>

#include <string>

#include "farm/VnMacAddress.h"
#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

}  // namespace

TEST(VnAddress, DottedTextBothFormsAndCopies) {
    VnAddress none, five(0x0A000005u), high(0xC0A80102u);
    EXPECT_EQ(str(none.stringvalue()) + " " + str(five.stringvalue()) + " " + str(high.stringvalue()),
              "0.0.0.0 10.0.0.5 192.168.1.2");
    EXPECT_EQ(packed(five), kVersion + intField(1, 0x0A000005));
    EXPECT_EQ(packed(high, true), objectXML("address", "\t<value>-1062731518</value>\n"));
    for (bool xml : {false, true}) {
        VnAddress back;
        ASSERT_EQ(unpackInto(back, packed(high, xml), xml), 0);
        EXPECT_EQ(back.value(), 0xC0A80102u) << xml;
    }
    VnAddress copy(high);
    copy.copy(five);
    copy.value(copy.value() + 1);
    EXPECT_EQ(str(copy.stringvalue()) + " " + str(five.stringvalue()), "10.0.0.6 10.0.0.5");
}

TEST(VnMacAddress, TextInBothForms) {
    VnMacAddress mac, back, fromXML;
    EXPECT_EQ(packed(mac), kVersion + strField(1, ""));
    mac.value("00:1a:2b:3c:4d:5e");
    EXPECT_EQ(packed(mac), kVersion + strField(1, "00:1a:2b:3c:4d:5e"));
    EXPECT_EQ(packed(mac, true), objectXML("macaddress", "\t<value>00:1a:2b:3c:4d:5e</value>\n"));
    ASSERT_EQ(unpackInto(back, packed(mac)), 0);
    ASSERT_EQ(unpackInto(fromXML, packed(mac, true), true), 0);
    VnMacAddress copy;
    copy.copy(fromXML);
    EXPECT_EQ(str(back.value()) + "|" + str(copy.value()), "00:1a:2b:3c:4d:5e|00:1a:2b:3c:4d:5e");
}
