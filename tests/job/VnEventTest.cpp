#include "job/VnEvent.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

namespace {

// Every field, pgrp last.
std::string fieldsOf(const VnEvent& e) {
    return std::to_string(e.id()) + "," + std::to_string(e.category()) + "," + std::to_string(e.pid()) + "," +
           std::to_string(e.jobid()) + "," + std::to_string(e.subid()) + "," + str(e.workid()) + "," +
           str(e.name()) + "," + str(e.extra()) + "," + std::to_string(e.start()) + "," +
           std::to_string(e.interval()) + "," + std::to_string(e.flag()) + "," +
           std::to_string(e.callback()) + "," + str(e.label()) + "|" + std::to_string(e.pgrp());
}

VnEvent filled() {
    VnEvent e(7, VnString("f1"), VnString("done"));
    e.id(13);
    e.pid(12);
    e.pgrp(99);
    e.subid(3);
    e.extra("a<b");
    e.start(5);
    e.interval(6);
    e.flag(9);
    e.callback(10);
    e.label("render");
    return e;
}

}  // namespace

TEST(VnEvent, FullNamesBothWays) {
    const std::pair<int, const char*> rows[] = {
        {0, "done-job-L"},    {1, "done-subjob-L-3"},     {2, "done-work-L-W"},
        {4, "done-"},         {5, "done-variable-L-W"},   {6, "done-client-L"},
        {8, "done-time-L-5"}, {16, "done-repeat-L-5-6"},  {32, "done-host-L-W"},
        {128, "done-global"}, {136, "done-globaltime-5"}, {152, "done-globalrepeat-5-6"},
        {64, "done-"},
    };
    for (const auto& [category, text] : rows) {
        VnEvent e(0, VnString("W"), VnString("done"));
        e.category(category);
        e.label("L");
        e.subid(3);
        e.start(5);
        e.interval(6);
        EXPECT_EQ(str(e.fullname()), text) << category;
        VnEvent back{VnString(text)};
        const bool readable = category != 32 && category != 64;  // host has no word to read
        EXPECT_EQ(back.category(), readable ? category : 4) << text;
        EXPECT_EQ(str(back.fullname()), readable ? text : "done-") << text;
        EXPECT_EQ(VnEvent::isvalid(VnString(text)), readable && category != 4) << text;
    }

    VnEvent subjob(1, -1, VnString("d"));
    subjob.label("l");
    EXPECT_EQ(str(subjob.fullname()), "d-subjob-l--1");
    EXPECT_EQ(VnEvent(subjob.fullname()).subid(), -2);  // "-1" does not read back
    subjob.subid(-2);
    EXPECT_EQ(str(subjob.fullname()) + " " + str(VnEvent().fullname()), "d-subjob-l-* -");

    // Fields the category does not name keep their values; missing words read as "" or 0.
    VnEvent e;
    e.jobid(4);
    e.start(8);
    e.fullname("x-subjob-l");
    EXPECT_EQ(fieldsOf(e), "0,1,-1,4,-2,,x,,8,-1,0,-1,l|-1");
    e.fullname("x-time-l");
    e.fullname("y-host-a-b");
    EXPECT_EQ(fieldsOf(e), "0,4,-1,4,-2,,y,,0,-1,0,-1,l|-1");
    e.fullname("x-global-anything-else");
    EXPECT_EQ(str(e.fullname()) + str(e.categorystring()), "x-globalglobal");
    e.fullname(e.name());  // reads its own field
    EXPECT_EQ(str(e.name()) + std::to_string(e.category()), "x4");

    std::string valid;
    for (const char* text : {"done-job-x", "a-globalrepeat", "x-client", "done", "done-host-a-b",
                             "done-Job-x", "-job", "x-unknown"})
        valid += std::to_string(VnEvent::isvalid(VnString(text)));
    EXPECT_EQ(valid, "11100010");

    const std::string big = std::string(2 << 20, 'n') + "-subjob-" + std::string(2 << 20, 'l') + "-*";
    EXPECT_EQ(str(VnEvent(VnString(big.c_str())).fullname()), big);
}

TEST(VnEvent, ConstructorsWordsAndSlots) {
    EXPECT_EQ(fieldsOf(VnEvent(5, VnString("n"))), "0,0,-1,5,-1,,n,,0,-1,0,-1,|-1");
    EXPECT_EQ(fieldsOf(VnEvent(5, 2, VnString("n"))), "0,1,-1,5,2,,n,,0,-1,0,-1,|-1");
    EXPECT_EQ(fieldsOf(VnEvent(5, VnString("w"), VnString("n"))), "0,2,-1,5,-1,w,n,,0,-1,0,-1,|-1");

    VnEvent e;
    e.subidstring("");
    const int all = e.subid();
    e.subidstring("12x");
    EXPECT_EQ(std::to_string(all) + "," + std::to_string(e.subid()) + "," + str(e.subidstring()), "-2,12,12");
    e.categorystring("globaltime");
    EXPECT_EQ(e.isglobal(), 1);
    e.categorystring("host");
    EXPECT_EQ(std::to_string(e.category()) + str(e.categorystring()) + std::to_string(e.isglobal()),
              "4unknown0");
    e.category(32);
    EXPECT_EQ(str(e.categorystring()), "unknown");
    e.category(127);
    EXPECT_EQ(e.isglobal(), 0);

    EXPECT_EQ(e.sid(4), -1);  // no owning job
    e.pid(10);
    EXPECT_EQ(std::to_string(e.sid(4)) + "," + std::to_string(e.sid(0)) + "," + std::to_string(e.sid(-1)),
              "2,0,0");
}

TEST(VnEvent, PackedFormsAndCopies) {
    auto lines = [](int category, const char* label, int jobid, int subid, const char* textid,
                    const char* name, const char* extra, int start, int interval, int flag, int callback,
                    int pid, int id) {
        // clang-format off
        return std::vector<Line>{intLine(1, "category", category), strLine(11, "label", label),
            intLine(2, "job_id", jobid), intLine(3, "sub_id", subid), strLine(4, "text_id", textid),
            strLine(8, "name", name), strLine(7, "extra", extra), intLine(5, "start", start),
            intLine(6, "interval", interval), intLine(9, "flag", flag), intLine(10, "callback", callback),
            intLine(12, "pid", pid), intLine(13, "id", id)};
        // clang-format on
    };
    VnEvent blank, e = filled(), back, partial;
    expectForms(blank, "event", lines(4, "", -1, -1, "", "", "", 0, -1, 0, -1, -1, 0));
    expectForms(e, "event", lines(2, "render", 7, 3, "f1", "done", "a<b", 5, 6, 9, 10, 12, 13));
    back.pgrp(1);  // the group does not travel
    ASSERT_EQ(unpackInto(back, packed(e)), 0);
    ASSERT_EQ(unpackInto(partial, kVersion + strField(8, "only") + intField(40, 1)), 0);  // 40: skipped
    EXPECT_EQ(fieldsOf(back), "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|1");
    EXPECT_EQ(fieldsOf(partial), "0,4,-1,-1,-1,,only,,0,-1,0,-1,|-1");

    VnEventList list, listBack;
    list.push(new VnEvent(e));
    list.push(new VnEvent());
    ASSERT_EQ(unpackInto(listBack, packed(list, true), true), 0);
    EXPECT_EQ(packed(listBack) + std::to_string(listBack.type()), packed(list) + "17");

    // Copies leave the group behind: a new copy has none, an assigned one keeps its own.
    VnEvent assigned;
    assigned.pgrp(5);
    assigned = e;
    EXPECT_EQ(fieldsOf(assigned) + " " + fieldsOf(VnEvent(e)),
              "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|5 13,2,12,7,3,f1,done,a<b,5,6,9,10,render|-1");
    expectCopies(e);
}
