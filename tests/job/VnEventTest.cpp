#include "job/VnEvent.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

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
    struct Row {
        int category;
        const char* text;
    };
    const Row rows[] = {
        {0, "done-job-L"},    {1, "done-subjob-L-3"},     {2, "done-work-L-W"},
        {4, "done-"},         {5, "done-variable-L-W"},   {6, "done-client-L"},
        {8, "done-time-L-5"}, {16, "done-repeat-L-5-6"},  {32, "done-host-L-W"},
        {128, "done-global"}, {136, "done-globaltime-5"}, {152, "done-globalrepeat-5-6"},
        {64, "done-"},
    };
    for (const Row& row : rows) {
        VnEvent e;
        e.name("done");
        e.category(row.category);
        e.label("L");
        e.workid("W");
        e.subid(3);
        e.start(5);
        e.interval(6);
        EXPECT_EQ(str(e.fullname()), row.text) << row.category;
        VnEvent back{VnString(row.text)};
        const bool readable = row.category != 32 && row.category != 64;  // host has no word to read
        EXPECT_EQ(back.category(), readable ? row.category : 4) << row.text;
        EXPECT_EQ(str(back.fullname()), readable ? row.text : "done-") << row.text;
        EXPECT_EQ(VnEvent::isvalid(VnString(row.text)), readable && row.category != 4) << row.text;
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
    VnEvent large{VnString(big.c_str())};
    EXPECT_EQ(str(large.fullname()), big);
}

TEST(VnEvent, ConstructorsWordsAndSlots) {
    EXPECT_EQ(fieldsOf(VnEvent()), "0,4,-1,-1,-1,,,,0,-1,0,-1,|-1");
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

TEST(VnEvent, CopiesLeaveTheGroupBehind) {
    const VnEvent source = filled();
    VnEvent assigned;
    assigned.pgrp(5);
    assigned = source;
    VnEvent copied(source), viaCopy;
    viaCopy.copy(source);
    viaCopy.copy(viaCopy);
    EXPECT_EQ(fieldsOf(assigned), "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|5");
    EXPECT_EQ(fieldsOf(copied), "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|-1");
    EXPECT_EQ(fieldsOf(viaCopy), fieldsOf(copied));
}

TEST(VnEvent, PackedFormsByteForByte) {
    VnEvent blank;
    EXPECT_EQ(packed(blank), kVersion + intField(1, 4) + strField(11, "") + intField(2, -1) +
                                 intField(3, -1) + strField(4, "") + strField(8, "") + strField(7, "") +
                                 intField(5, 0) + intField(6, -1) + intField(9, 0) + intField(10, -1) +
                                 intField(12, -1) + intField(13, 0));
    EXPECT_EQ(
        packed(blank, true),
        objectXML(
            "event",
            "\t<category>4</category>\n\t<label></label>\n\t<job_id>-1</job_id>\n\t<sub_id>-1</sub_id>\n"
            "\t<text_id></text_id>\n\t<name></name>\n\t<extra></extra>\n\t<start>0</start>\n"
            "\t<interval>-1</interval>\n\t<flag>0</flag>\n\t<callback>-1</callback>\n\t<pid>-1</pid>\n"
            "\t<id>0</id>\n"));

    VnEvent e = filled();
    const std::string binary = packed(e);
    EXPECT_EQ(binary, kVersion + intField(1, 2) + strField(11, "render") + intField(2, 7) + intField(3, 3) +
                          strField(4, "f1") + strField(8, "done") + strField(7, "a<b") + intField(5, 5) +
                          intField(6, 6) + intField(9, 9) + intField(10, 10) + intField(12, 12) +
                          intField(13, 13));
    const std::string document = packed(e, true);
    EXPECT_EQ(
        document,
        objectXML("event",
                  "\t<category>2</category>\n\t<label>render</label>\n\t<job_id>7</job_id>\n"
                  "\t<sub_id>3</sub_id>\n\t<text_id>f1</text_id>\n\t<name>done</name>\n"
                  "\t<extra>a&lt;b</extra>\n\t<start>5</start>\n\t<interval>6</interval>\n\t<flag>9</flag>\n"
                  "\t<callback>10</callback>\n\t<pid>12</pid>\n\t<id>13</id>\n"));

    VnEvent back, fromXML, partial;
    back.pgrp(1);
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    ASSERT_EQ(unpackInto(partial, kVersion + strField(8, "only") + intField(40, 1)),
              0);  // unknown tag skipped
    EXPECT_EQ(fieldsOf(back), "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|1");
    EXPECT_EQ(fieldsOf(fromXML), "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|-1");
    EXPECT_EQ(fieldsOf(partial), "0,4,-1,-1,-1,,only,,0,-1,0,-1,|-1");

    VnEventList list, listBack;
    list.push(new VnEvent(e));
    list.push(new VnEvent());
    ASSERT_EQ(unpackInto(listBack, packed(list, true), true), 0);
    ASSERT_EQ(listBack.length(), 2);
    EXPECT_EQ(fieldsOf(*listBack.get(0)) + " " + str(listBack.typeXML()) + std::to_string(listBack.type()),
              "13,2,12,7,3,f1,done,a<b,5,6,9,10,render|-1 event_list17");
}
