#include "job/VnSubjob.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

namespace {

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

std::vector<Line> linesOf(int id, int pid, const char* host, int status, int address, const char* data,
                          const char* result, const char* mac, int retry, int count, int last, int seq,
                          int start, int complete) {
    // clang-format off
    return {intLine(1, "id", id), intLine(2, "pid", pid), strLine(3, "host", host),
        valueLine(4, "status", 2, "status", status), valueLine(5, "address", 13, "address", address),
        strLine(7, "data", data), strLine(8, "result", result),
        {"", objField(9, 155, strField(1, mac)), obj("mac_address", "macaddress", el("value", mac, 3))},
        intLine(10, "retry", retry), intLine(11, "count", count), timeLine(6, "last_update", last),
        intLine(12, "seq", seq), timeLine(13, "time_start", start), timeLine(14, "time_complete", complete)};
    // clang-format on
}

}  // namespace

TEST(VnSubjob, SidStatusAndByteSetters) {
    VnSubjob s;
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

TEST(VnSubjob, PackedFormsCopiesAndTheList) {
    VnSubjob blank, s = filled(), shuffled;
    expectForms(blank, "subjob", linesOf(0, -1, "", 0, 0, "", "", "", 0, 0, 0, 0, 0, 0));
    expectForms(s, "subjob",
                linesOf(2, 12, "node1", 325, 0x0A000005, "d", "r", "00:11", 1, 3, 100, 8, 200, 300));
    ASSERT_EQ(unpackInto(shuffled, kVersion + intField(12, 8) + objField(6, 33, intField(1, 100)) +
                                       intField(2, 12) + intField(1, 2) + intField(99, 5)),
              0);
    EXPECT_EQ(packed(shuffled), binaryOf(linesOf(2, 12, "", 0, 0, "", "", "", 0, 0, 100, 8, 0, 0)));
    expectDeepCopies(s, [](VnSubjob& other) { other.macaddress().value("ff"); });

    VnSubjobList list, back;
    list.status = VnStatus(VnStatus::FAILED);
    list.tally.add(VnStatus::FAILED, 2);
    list.push(new VnSubjob(s));
    list.push(new VnSubjob());
    const std::string binary = packed(list);
    EXPECT_EQ(binary, kVersion + intField(1, 2) + objField(10, 4, packed(s).substr(4)) +
                          objField(10, 4, packed(blank).substr(4)));
    ASSERT_EQ(unpackInto(back, binary), 0);  // the status and tally do not travel
    EXPECT_EQ(packed(back) + std::to_string(back.status.integervalue() + back.tally.total()) +
                  std::to_string(back.type()) + str(back.typeXML()),
              binary + "06subjob_list");
}
