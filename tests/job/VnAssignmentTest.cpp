#include "job/VnAssignment.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), std::size_t(s.length()));
}

std::string body(VnPack& object) {
    return packed(object).substr(4);
}

std::string body(const VnPack& object) {
    return body(const_cast<VnPack&>(object));
}

// The object's XML block as a field of the record one level up, under name.
std::string nestedXML(const std::string& name, VnPack& object) {
    const std::string document = packed(object, true);
    std::string block = "\t\t";
    for (char c : document.substr(document.find('\n') + 1)) {
        block += c;
        if (c == '\n') block += "\t\t";
    }
    return "\t<" + name + ">\n" + block + "\n\t</" + name + ">\n";
}

std::string el(const std::string& name, int value) {
    return "\t<" + name + ">" + std::to_string(value) + "</" + name + ">\n";
}

VnAssignment filled() {
    VnAssignment a;
    a.job().id(12);
    a.job().name("shot");
    a.subjob().id(3);
    a.subjob().pid(12);
    a.procid(4321);
    a.threadid(7);
    a.jobstats().jobid(12);
    a.jobstats().maxthreads(2);
    a.outpos(100);
    a.errpos(200);
    VnWork* work = new VnWork();
    work->name("0001");
    work->pid(12);
    a.work().set(work, VnString("0001"));
    a.develop(1);
    a.timestart().value(500);
    VnVariable* variable = new VnVariable(12);
    variable->name("pass");
    variable->value("beauty");
    a.variable().set(variable, VnString("pass"));
    a.serveraddress(VnAddress(0x0A000001));
    a.outstartpos(10);
    a.errstartpos(20);
    // Kept in memory only.
    a.host("node1");
    a.port(5000);
    a.order(2);
    a.sid("s1");
    a.lastpost().value(77);
    a.verified(1);
    a.missing(0);
    a.started(1);
    return a;
}

// The members that travel in memory only.
std::string memory(const VnAssignment& a) {
    return str(a.host()) + "|" + std::to_string(a.port()) + "|" + std::to_string(a.order()) + "|" +
           str(a.sid()) + "|" + std::to_string(a.lastpost().value()) + "|" + std::to_string(a.verified()) +
           std::to_string(a.missing()) + std::to_string(a.started());
}

// What a copy leaves as it was: the in-memory members, the work, variables and start time.
std::string kept(VnAssignment& a) {
    return memory(a) + "|" + body(a.work()) + "|" + body(a.variable()) + "|" + body(a.timestart());
}

// What a copy takes.
std::string carried(VnAssignment& a) {
    return body(a.job()) + body(a.subjob()) + body(a.jobstats()) + body(a.serveraddress()) + "|" +
           std::to_string(a.procid()) + "," + std::to_string(a.threadid()) + "," +
           std::to_string(a.outpos()) + "," + std::to_string(a.errpos()) + "," +
           std::to_string(a.outstartpos()) + "," + std::to_string(a.errstartpos()) + "," +
           std::to_string(a.develop());
}

}  // namespace

TEST(VnAssignment, Defaults) {
    VnAssignment a;
    EXPECT_EQ(memory(a), "|0|0||0|010");
    EXPECT_EQ(carried(a),
              body(VnJob()) + body(VnSubjob()) + body(VnJobStats()) + body(VnAddress()) + "|0,0,0,0,0,0,0");
    EXPECT_EQ(a.work().length() + a.variable().length() + a.timestart().value(), 0);
}

TEST(VnAssignment, PackedFormsByteForByte) {
    VnAssignment a = filled();
    const std::string binary =
        kVersion + objField(1, 1, body(a.job())) + objField(2, 4, body(a.subjob())) + intField(3, 4321) +
        intField(4, 7) + objField(5, 42, body(a.jobstats())) + intField(6, 100) + intField(7, 200) +
        objField(8, 70,
                 intField(1, 1) + strField(10, "0001") + objField(30, 14, body(*a.work().get("0001")))) +
        field(9, 6, "\x01") + objField(10, 33, intField(1, 500)) +
        objField(11, 122,
                 intField(1, 1) + strField(10, "pass") + objField(30, 120, body(*a.variable().get("pass")))) +
        objField(12, 13, intField(1, 0x0A000001)) + intField(13, 10) + intField(14, 20);
    const std::string xml = objectXML(
        "assignment", nestedXML("job", a.job()) + nestedXML("subjob", a.subjob()) + el("proc_id", 4321) +
                          el("thread_id", 7) + nestedXML("stats", a.jobstats()) + el("outpos", 100) +
                          el("errpos", 200) + nestedXML("work", a.work()) + el("develop", 1) +
                          nestedXML("time_start", a.timestart()) + nestedXML("variable", a.variable()) +
                          "\t<server_address>\n\t\t<object type = "
                          "'address'>\n\t\t\t<value>167772161</value>\n\t\t</object>\n"
                          "\t</server_address>\n" +
                          el("outstartpos", 10) + el("errstartpos", 20));
    EXPECT_EQ(packed(a), binary);
    EXPECT_EQ(packed(a, true), xml);
    EXPECT_NE(xml.find("<key>0001</key>"), std::string::npos);

    // Read back, each form keeps the receiver's in-memory members.
    for (bool inXML : {false, true}) {
        VnAssignment back;
        back.host("mine");
        back.port(1);
        back.sid("t");
        back.verified(1);
        const std::string before = memory(back);
        ASSERT_EQ(unpackInto(back, inXML ? xml : binary, inXML), 0);
        EXPECT_EQ(packed(back), binary);
        EXPECT_EQ(memory(back), before);
    }

    VnAssignment partial = filled();  // absent fields stay
    ASSERT_EQ(unpackInto(partial, kVersion + intField(13, 99) + field(9, 6, std::string(1, '\0'))), 0);
    ASSERT_EQ(unpackInto(partial, objectXML("assignment", el("errpos", 5)), true), 0);
    EXPECT_EQ(std::to_string(partial.outstartpos()) + "," + std::to_string(partial.develop()) + "," +
                  std::to_string(partial.errpos()) + "," + std::to_string(partial.outpos()),
              "99,0,5,100");
}

TEST(VnAssignment, CopiesArePartial) {
    VnAssignment source = filled();
    const std::string taken = carried(source);

    VnAssignment target;
    target.host("mine");
    target.port(1);
    target.order(9);
    target.sid("t");
    target.lastpost().value(8);
    target.timestart().value(9);
    target.verified(1);
    target.started(1);
    target.missing(0);
    target.work().set(new VnWork(), VnString("own"));
    const std::string own = kept(target);
    target = source;
    EXPECT_EQ(carried(target), taken);
    EXPECT_EQ(kept(target), own);
    target.copy(source);
    EXPECT_EQ(kept(target), own);

    // A new assignment, then the copy: what the copy leaves out is at its defaults.
    VnAssignment copied(source);
    VnAssignment blank;
    EXPECT_EQ(carried(copied), taken);
    EXPECT_EQ(kept(copied), kept(blank));
    EXPECT_EQ(memory(copied), "|0|0||0|010");

    // Onto itself nothing changes; the copy is deep.
    const std::string before = packed(source) + kept(source);
    const VnAssignment& same = source;
    source = same;
    source.copy(same);
    EXPECT_EQ(packed(source) + kept(source), before);
    source.job().name("other");
    source.jobstats().maxthreads(5);
    EXPECT_EQ(carried(copied), taken);

    VnJob job;
    job.id(40);
    target.job(job);
    target.jobstats(VnJobStats());
    EXPECT_EQ(target.job().id() * 10 + target.jobstats().maxthreads(), 400);
}

TEST(VnAssignment, List) {
    VnAssignmentList list;
    list.push(new VnAssignment(filled()));
    VnAssignment& first = *list.get(0);
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 25, body(first)));
    VnAssignmentList back;
    ASSERT_EQ(unpackInto(back, packed(list, true), true), 0);
    ASSERT_EQ(back.length(), 1);
    EXPECT_EQ(packed(*back.get(0)), packed(first));
    EXPECT_EQ(std::to_string(back.type()) + str(back.typeXML()), "26assignment_list");
}
