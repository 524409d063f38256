#include "job/VnJobId.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "job/VnWorkId.h"
#include "tests/job/FormChecks.h"

namespace {

std::string ids(const VnJobId& j) {
    return std::to_string(j.id()) + "," + std::to_string(j.subid());
}

std::string ids(const VnWorkId& w) {
    return std::to_string(w.id()) + "|" + str(w.name()) + "|" + std::to_string(w.workid());
}

}  // namespace

TEST(VnJobId, TextBothWays) {
    const char* table[][2] = {
        {"12", "12,-1"},    {"12.", "12,-1"},   {"12.*", "12,-2"}, {"12.3", "12,3"},
        {"12.3.4", "12,3"}, {".5", "0,5"},      {"abc", "0,-1"},   {"12.x", "12,0"},
        {"", "0,-1"},       {"12.-2", "12,-2"}, {"-7.**", "-7,0"}, {" 9. 4", "9,4"},
    };
    for (const auto& row : table) {
        VnJobId j(4, 4);
        j.value(VnString(row[0]));
        EXPECT_EQ(ids(j) + " " + ids(VnJobId(VnString(row[0]))), row[1] + std::string(" ") + row[1])
            << row[0];
    }
    std::string printed;
    for (const VnJobId& j : {VnJobId(12, -2), VnJobId(12, -5), VnJobId(), VnJobId(12, 3), VnJobId(-4, 0),
                             VnJobId(INT_MIN, INT_MAX)})
        printed += str(j.value()) + " ";
    EXPECT_EQ(printed, "12.* 12 -1 12.3 -4.0 -2147483648.2147483647 ");
    const std::string big = std::string(3 << 20, '7') + ".*";  // a few megabytes
    EXPECT_EQ(ids(VnJobId(VnString(big.c_str()))), "-1,-2");

    // The remainder takes the sign of the job id; 0 where there is no remainder to take.
    EXPECT_EQ(std::to_string(VnJobId(10).sid(4)) + std::to_string(VnJobId(-10).sid(4)), "2-2");
    EXPECT_EQ(VnJobId(10).sid(0) + VnJobId(INT_MIN).sid(-1), 0);

    std::ostringstream out;
    out << VnJobId(3, 1) << VnWorkId(1, "x");
    testing::internal::CaptureStdout();
    vn_debug_obj() << VnJobId(5, -2) << VnWorkId(2);
    EXPECT_EQ(out.str() + testing::internal::GetCapturedStdout(), "3.11:x5.*2");
}

TEST(VnWorkId, TextBothWays) {
    const char* table[][2] = {
        {"12:frame0001", "12|frame0001|-1"}, {"12", "12||-1"}, {"12:", "12||-1"}, {":x", "0|x|-1"},
        {"12:frame:7", "12|frame:7|-1"},
    };
    for (const auto& row : table)
        EXPECT_EQ(ids(VnWorkId(VnString(row[0]))), row[1]) << row[0];

    VnWorkId w(3, "a");
    w.workid(9);
    w.value("4:b:c");  // appends to the name, keeps the number
    EXPECT_EQ(ids(w), "4|ab:c|9");
    w.value(w.value());  // reads its own text
    EXPECT_EQ(ids(w), "4|ab:cab:c|9");

    std::string printed;
    for (const VnWorkId& id : {VnWorkId(12, ""), VnWorkId(12, VnString()), VnWorkId(), VnWorkId(7, "f:1")})
        printed += str(id.value()) + " ";
    EXPECT_EQ(printed, "12 12 -1 7:f:1 ");
    const std::string big = "5:" + std::string(3 << 20, 'n');  // a few megabytes
    EXPECT_EQ(VnWorkId(VnString(big.c_str())).name().length(), 3 << 20);
}

TEST(VnJobId, PackedFormsAndLists) {
    VnJobId j(12, -2), back(1, 9);
    expectForms(j, "job_id", {intLine(1, "id", 12), intLine(2, "sub_id", -2)});
    ASSERT_EQ(unpackInto(back, kVersion + intField(1, 12)), 0);  // no subjob id: it stays
    EXPECT_EQ(ids(back), "12,9");

    VnJobIdList list, copy;
    list.push(new VnJobId(1, 2));
    list.push(new VnJobId(3));
    copy = list;
    copy.get(0)->id(8);
    EXPECT_EQ(ids(*list.get(0)) + " " + ids(*copy.get(0)) + " " + ids(*copy.get(1)), "1,2 8,2 3,-1");

    VnJobIdHash hash, hashCopy;
    hash.set(new VnJobId(5, 1), "a");
    hashCopy = hash;
    hash.get("a")->subid(0);
    EXPECT_EQ(ids(*hashCopy.get("a")), "5,1");
    EXPECT_EQ(str(hash.typeXML()) + std::to_string(hash.type()), "job_id_hash174");
}

TEST(VnWorkId, PackedFormsKeepMissingFields) {
    VnWorkId w(12, "fr & 1"), fromXML;
    w.workid(3);
    expectForms(w, "work_id", {intLine(1, "id", 12), strLine(2, "name", "fr & 1"), intLine(3, "work_id", 3)});
    fromXML.workid(44);
    ASSERT_EQ(unpackInto(fromXML, objectXML("work_id", el("id", 12) + el("name", "n")), true), 0);
    EXPECT_EQ(ids(fromXML), "12|n|44");
}
