#include "job/VnSubjob.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

// Every field in write order.
std::string fieldsOf(const VnSubjob& s) {
    auto n = [](int v) { return std::to_string(v) + ","; };
    return n(s.id()) + n(s.pid()) + str(s.host()) + "," + n(s.status().integervalue()) +
           n(int(s.address().value())) + str(s.data()) + "," + str(s.result()) + "," +
           str(s.macaddress().value()) + "," + n(s.retry()) + n(s.count()) + n(s.lastupdate().value()) +
           n(s.seq()) + n(s.timestart().value()) + std::to_string(s.timecomplete().value());
}

VnSubjob filled() {
    VnSubjob s;
    s.id(2);
    s.pid(12);
    s.host("node1");
    s.status(VnStatus(VnStatus::BADLOGIN));
    s.address(VnAddress(0x0A000005));
    s.data("d");
    s.result("r");
    VnMacAddress mac;
    mac.value("00:11");
    s.macaddress(mac);
    s.retry(1);
    s.count(3);
    s.lastupdate(100);
    s.seq(8);
    s.timestart(200);
    s.timecomplete(300);
    return s;
}

}  // namespace

TEST(VnSubjob, DefaultsSidAndStatus) {
    VnSubjob s;
    EXPECT_EQ(fieldsOf(s), "0,-1,,0,0,,,,0,0,0,0,0,0");
    EXPECT_EQ(s.sid(4), -1);
    s.pid(10);
    EXPECT_EQ(std::to_string(s.sid(4)) + std::to_string(s.sid(0)), "20");
    s = filled();
    EXPECT_EQ(s.badlogin() * 1000 + s.active() * 100 + s.assigned() * 10 + s.done(), 1100);

    char text[] = "abcdef";
    s.host(text, 2);
    s.result(text, -1);
    s.data(nullptr, 3);
    EXPECT_EQ(str(s.host()) + "|" + str(s.result()) + "|" + str(s.data()), "ab||d");
}

TEST(VnSubjob, PackedFormsByteForByte) {
    auto expected = [](int id, int pid, const std::string& host, int status, int address,
                       const std::string& data, const std::string& result, const std::string& mac, int retry,
                       int count, int last, int seq, int start, int complete) {
        return kVersion + intField(1, id) + intField(2, pid) + strField(3, host) +
               objField(4, 2, intField(1, status)) + objField(5, 13, intField(1, address)) +
               strField(7, data) + strField(8, result) + objField(9, 155, strField(1, mac)) +
               intField(10, retry) + intField(11, count) + objField(6, 33, intField(1, last)) +
               intField(12, seq) + objField(13, 33, intField(1, start)) +
               objField(14, 33, intField(1, complete));
    };
    VnSubjob blank, s = filled();
    EXPECT_EQ(packed(blank), expected(0, -1, "", 0, 0, "", "", "", 0, 0, 0, 0, 0, 0));
    const std::string binary = packed(s);
    EXPECT_EQ(binary, expected(2, 12, "node1", 325, 0x0A000005, "d", "r", "00:11", 1, 3, 100, 8, 200, 300));

    const std::string document = packed(s, true);
    EXPECT_EQ(
        document,
        objectXML("subjob",
                  "\t<id>2</id>\n\t<pid>12</pid>\n\t<host>node1</host>\n"
                  "\t<status>\n\t\t<object type = 'status'>\n\t\t\t<value>325</value>\n\t\t</object>\n"
                  "\t</status>\n"
                  "\t<address>\n\t\t<object type = 'address'>\n\t\t\t<value>167772165</value>\n"
                  "\t\t</object>\n\t</address>\n"
                  "\t<data>d</data>\n\t<result>r</result>\n"
                  "\t<mac_address>\n\t\t<object type = 'macaddress'>\n\t\t\t<value>00:11</value>\n"
                  "\t\t</object>\n\t</mac_address>\n"
                  "\t<retry>1</retry>\n\t<count>3</count>\n"
                  "\t<last_update>\n\t\t<object type = 'time'>\n\t\t\t<value>100</value>\n\t\t</object>\n"
                  "\t</last_update>\n\t<seq>8</seq>\n"
                  "\t<time_start>\n\t\t<object type = 'time'>\n\t\t\t<value>200</value>\n\t\t</object>\n"
                  "\t</time_start>\n"
                  "\t<time_complete>\n\t\t<object type = 'time'>\n\t\t\t<value>300</value>\n\t\t</object>\n"
                  "\t</time_complete>\n"));

    VnSubjob back, fromXML, shuffled;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    ASSERT_EQ(unpackInto(shuffled, kVersion + intField(12, 8) + objField(6, 33, intField(1, 100)) +
                                       intField(2, 12) + intField(1, 2) + intField(99, 5)),
              0);
    EXPECT_EQ(fieldsOf(back), fieldsOf(s));
    EXPECT_EQ(fieldsOf(fromXML), fieldsOf(s));
    EXPECT_EQ(fieldsOf(shuffled), "2,12,,0,0,,,,0,0,100,8,0,0");
}

TEST(VnSubjob, CopiesAndTheList) {
    VnSubjob source = filled();
    VnSubjob copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    const VnSubjob& self = viaCopy;
    viaCopy = self;
    EXPECT_EQ(fieldsOf(copied) + fieldsOf(assigned) + fieldsOf(viaCopy),
              fieldsOf(source) + fieldsOf(source) + fieldsOf(source));
    source.macaddress().value("ff");
    EXPECT_EQ(str(copied.macaddress().value()), "00:11");

    VnSubjobList list, back;
    list.status = VnStatus(VnStatus::FAILED);
    list.tally.add(VnStatus::FAILED, 2);
    list.push(new VnSubjob(filled()));
    list.push(new VnSubjob());
    EXPECT_EQ(packed(list), kVersion + intField(1, 2) + objField(10, 4, packed(copied).substr(4)) +
                                objField(10, 4, packed(*list.get(1)).substr(4)));
    ASSERT_EQ(unpackInto(back, packed(list)), 0);
    ASSERT_EQ(back.length(), 2);
    EXPECT_EQ(fieldsOf(*back.get(0)) + "|" + std::to_string(back.status.integervalue() + back.tally.total()) +
                  std::to_string(back.type()) + str(back.typeXML()),
              fieldsOf(filled()) + "|06subjob_list");
}
