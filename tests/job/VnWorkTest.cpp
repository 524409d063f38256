#include "job/VnWork.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

namespace {

VnWork filled() {
    VnWork w;
    w.name("0042");
    w.subid(3);
    w.host("node1");
    w.status(VnStatus(336));
    w.address(VnAddress(0x0A000005));
    w.pid(12);
    w.data("d");
    w.id(7);
    w.result("r");
    w.retry(2);
    w.count(4);
    w.dependency("dep");
    w.percent(55);
    w.lastupdate(100);
    w.seq(9);
    w.timestart(200);
    w.timecomplete(300);
    return w;
}

std::vector<Line> linesOf(const char* name, int subid, const char* host, int status, int address, int pid,
                          const char* data, int id, const char* result, int retry, int count,
                          const char* dependency, int percent, int last, int seq, int start, int complete) {
    // clang-format off
    return {strLine(1, "name", name), intLine(2, "sub_id", subid), strLine(3, "host", host),
        valueLine(4, "status", 2, "status", status), valueLine(5, "address", 13, "address", address),
        intLine(6, "pid", pid), strLine(7, "data", data), intLine(8, "id", id), strLine(9, "result", result),
        intLine(10, "retry", retry), intLine(11, "count", count), strLine(12, "dependency", dependency),
        intLine(13, "percent", percent), timeLine(14, "last_update", last), intLine(15, "seq", seq),
        timeLine(16, "time_start", start), timeLine(17, "time_complete", complete)};
    // clang-format on
}

}  // namespace

TEST(VnWork, WorkIdSidStatusAndByteSetters) {
    VnWork w;
    EXPECT_EQ(str(w.workid()) + "|" + std::to_string(w.sid(4)), "-1:|-1");
    w.pid(10);
    EXPECT_EQ(w.sid(4), 2);
    w.pid(7);
    EXPECT_EQ(std::to_string(w.sid(-3)) + std::to_string(w.sid(0)) + std::to_string(w.sid(-1)), "100");
    EXPECT_EQ(str(filled().workid()), "12:0042");

    w.status(VnStatus(VnStatus::RUNNING));
    EXPECT_EQ(w.running() * 10000 + w.active() * 1000 + w.assigned() * 100 + w.done() * 10 + w.none(), 11100);

    char text[] = "abcdef";
    w.name(text, 3);
    w.host(text, 0);
    w.data(nullptr, 4);
    EXPECT_EQ(str(w.name()) + "|" + str(w.host()) + "|" + std::to_string(w.data().isundef()), "abc||1");
}

TEST(VnWork, PackedFormsAndCopies) {
    VnWork blank, w = filled(), partial, fromXML;
    expectForms(blank, "work", linesOf("", -1, "", 0, 0, -1, "", -1, "", 0, 0, "", 0, 0, 0, 0, 0));
    expectForms(
        w, "work",
        linesOf("0042", 3, "node1", 336, 0x0A000005, 12, "d", 7, "r", 2, 4, "dep", 55, 100, 9, 200, 300));
    partial.percent(80);  // absent fields keep their values, in either form
    fromXML.percent(55);
    ASSERT_EQ(unpackInto(partial, kVersion + intField(15, 5) + intField(13, 1) + intField(13, 2)), 0);
    ASSERT_EQ(unpackInto(fromXML, objectXML("work", el("seq", 6)), true), 0);
    EXPECT_EQ(std::to_string(partial.percent()) + std::to_string(partial.seq()) +
                  std::to_string(fromXML.percent()) + std::to_string(fromXML.seq()),
              "25556");

    w.data().secure(1);  // kept in memory only, and taken by every copy
    expectDeepCopies(w, [](VnWork& other) {
        EXPECT_EQ(other.data().secure(), 1);
        other.status().value(32);
        other.lastupdate().value(1);
    });
}

TEST(VnWork, ListsAndHashes) {
    VnWorkList list, back;
    list.status = VnStatus(VnStatus::RUNNING);
    list.tally.add(VnStatus::RUNNING, 3);
    list.push(new VnWork(filled()));
    const std::string binary = packed(list);
    EXPECT_EQ(binary, kVersion + intField(1, 1) + objField(10, 14, packed(*list.get(0)).substr(4)));
    ASSERT_EQ(unpackInto(back, packed(list, true), true), 0);  // the status and tally do not travel
    EXPECT_EQ(packed(back) + std::to_string(back.status.integervalue()) + std::to_string(back.tally.total()) +
                  std::to_string(back.type()) + str(back.typeXML()),
              binary + "0015work_list");
    back = list;  // the elements alone
    EXPECT_EQ(std::to_string(back.length()) + std::to_string(back.status.integervalue()) +
                  std::to_string(back.tally.total()),
              "100");

    VnWorkHash hash, hashBack;
    hash.set(new VnWork(filled()), VnString("12:0042"));
    ASSERT_EQ(unpackInto(hashBack, packed(hash)), 0);
    ASSERT_NE(hashBack.get(VnString("12:0042")), nullptr);
    EXPECT_EQ(packed(*hashBack.get(VnString("12:0042"))) + std::to_string(hashBack.type()),
              packed(*hash.get(VnString("12:0042"))) + "70");
}
