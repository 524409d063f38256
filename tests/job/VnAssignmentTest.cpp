#include "job/VnAssignment.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "job/VnDuty.h"
#include "job/VnJobStats.h"
#include "job/VnReport.h"
#include "job/VnRequest.h"
#include "tests/job/FormChecks.h"

namespace {

// The fields of an object's binary form. Packing changes only the object's pack buffer.
std::string body(const VnPack& object) {
    return packed(const_cast<VnPack&>(object)).substr(4);
}

// The flag does not travel; every copy takes it with the members.
template <class T>
void expectFlag(T& source, unsigned char (T::*flag)() const) {
    T back, assigned;
    ASSERT_EQ(unpackInto(back, packed(source)), 0);
    EXPECT_EQ((back.*flag)(), 0);
    T copied(source);
    assigned = source;
    const T& same = source;
    source = same;
    EXPECT_EQ((copied.*flag)() + (assigned.*flag)() + (source.*flag)(), 3);
    EXPECT_EQ(packed(copied) + packed(assigned), packed(source) + packed(back));
}

VnJobStats stats(int start, int end) {
    VnJobStats s;
    s.jobid(12);
    s.subid(3);
    s.maxthreads(8);
    s.start(VnTime(start));
    s.end(VnTime(end));
    s.maxmemory(2048);
    s.maxswap(512);
    s.host("node1");
    return s;
}

VnAssignment filled() {
    VnAssignment a;
    a.job().id(12);
    a.subjob().id(3);
    a.procid(4321);
    a.threadid(7);
    a.jobstats().maxthreads(2);
    a.outpos(100);
    a.errpos(200);
    VnWork* work = new VnWork();
    work->name("0001");
    a.work().set(work, VnString("0001"));
    a.develop(1);
    a.timestart().value(500);
    a.variable().set(new VnVariable(12), VnString("pass"));
    a.serveraddress(VnAddress(0x0A000001));
    a.outstartpos(10);
    a.errstartpos(20);
    return a;
}

// The members kept in memory only; set in a record by withMemory.
std::string memory(const VnAssignment& a) {
    return str(a.host()) + "|" + std::to_string(a.port()) + "|" + std::to_string(a.order()) + "|" +
           str(a.sid()) + "|" + std::to_string(a.lastpost().value()) + "|" + std::to_string(a.verified()) +
           std::to_string(a.missing()) + std::to_string(a.started());
}

void withMemory(VnAssignment& a) {
    a.host("mine");
    a.port(5000);
    a.order(2);
    a.sid("s1");
    a.lastpost().value(77);
    a.verified(1);
    a.missing(0);
    a.started(1);
}

// What a copy takes, and what it leaves as it was.
std::string carried(const VnAssignment& a) {
    return body(a.job()) + body(a.subjob()) + body(a.jobstats()) + body(a.serveraddress()) + "|" +
           std::to_string(a.procid()) + "," + std::to_string(a.threadid()) + "," +
           std::to_string(a.outpos()) + "," + std::to_string(a.errpos()) + "," +
           std::to_string(a.outstartpos()) + "," + std::to_string(a.errstartpos()) + "," +
           std::to_string(a.develop());
}
std::string kept(const VnAssignment& a) {
    return memory(a) + "|" + body(a.work()) + body(a.variable()) + body(a.timestart());
}

}  // namespace

TEST(VnJobStats, DataLineAndElapsedTimes) {
    setenv("TZ", "EST5EDT", 1);
    tzset();
    EXPECT_EQ(str(VnJobStats().data()),
              "-1.-1\tstart: [None] 0\tend: [None] 0\ttime: [0 s] 0\thost: \tthread: 0\tmem: 0\tswap: 0\n");
    EXPECT_EQ(str(stats(100, 7660).data()),
              "12.3\tstart: [Jan 1, 2000 0:01:40] 100\tend: [Jan 1, 2000 2:07:40] 7660\ttime: [2.1 h] 7560\t"
              "host: node1\tthread: 8\tmem: 2048\tswap: 512\n");

    // Minutes, a negative span, and spans beyond the int range held to it.
    const struct {
        int start, end;
        const char* group;
    } spans[] = {
        {10, 160, "time: [2.5 m] 150"},
        {-2000000000, 2000000000, "time: [596523.2 h] 2147483647"},
        {2000000000, -2000000000, "time: [-2147483648 s] -2147483648"},
    };
    for (const auto& span : spans) {
        const std::string line = str(stats(span.start, span.end).data());
        const std::size_t from = line.find("time: ");
        EXPECT_EQ(line.substr(from, line.find('\t', from) - from), span.group) << span.start;
    }
}

TEST(VnJobStats, TallyAndPackedForms) {
    VnJobStats total = stats(100, 7660), other;
    other.maxthreads(9);  // each figure by itself; ids, times and host stay
    other.maxmemory(-1);
    other.maxswap(INT_MIN);
    total.tally(other);
    VnJobStats fresh, negative, blank;
    negative.maxthreads(-5);
    negative.maxmemory(-5);
    negative.maxswap(-5);
    fresh.tally(negative);
    EXPECT_EQ(packed(fresh), packed(blank));

    expectForms(total, "job_stats",
                {intLine(1, "job_id", 12), intLine(2, "sub_id", 3), intLine(3, "threads", 9),
                 timeLine(4, "start", 100), timeLine(5, "end", 7660), intLine(6, "max_memory", 2048),
                 intLine(7, "max_swap", 512), strLine(8, "host", "node1")});
}

TEST(VnAssignment, PackedFormsKeepTheReceiversMemory) {
    VnAssignment a = filled();
    withMemory(a);
    const std::string binary =
        kVersion + objField(1, 1, body(a.job())) + objField(2, 4, body(a.subjob())) + intField(3, 4321) +
        intField(4, 7) + objField(5, 42, body(a.jobstats())) + intField(6, 100) + intField(7, 200) +
        objField(8, 70,
                 intField(1, 1) + strField(10, "0001") + objField(30, 14, body(*a.work().get("0001")))) +
        field(9, 6, "\x01") + objField(10, 33, intField(1, 500)) +
        objField(11, 122, intField(1, 1) + strField(10, "pass") + objField(30, 120, body(VnVariable(12)))) +
        objField(12, 13, intField(1, 0x0A000001)) + intField(13, 10) + intField(14, 20);
    VnAddress address(0x0A000001);
    const std::string xml = objectXML(
        "assignment", nested("job", a.job()) + nested("subjob", a.subjob()) + el("proc_id", 4321) +
                          el("thread_id", 7) + nested("stats", a.jobstats()) + el("outpos", 100) +
                          el("errpos", 200) + nested("work", a.work()) + el("develop", 1) +
                          nested("time_start", a.timestart()) + nested("variable", a.variable()) +
                          nested("server_address", address) + el("outstartpos", 10) + el("errstartpos", 20));
    expectForms(a, binary, xml);

    VnAssignment back;
    withMemory(back);
    back.port(1);
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(back, xml, true), 0);
    EXPECT_EQ(memory(back), "mine|1|2|s1|77|101");
}

TEST(VnAssignment, CopiesArePartial) {
    VnAssignment source = filled(), target;
    withMemory(source);
    target.timestart().value(9);
    target.work().set(new VnWork(), VnString("own"));
    const std::string taken = carried(source), own = kept(target);
    target = source;
    target.copy(source);
    EXPECT_EQ(carried(target) + "/" + kept(target), taken + "/" + own);

    // A new assignment, then the copy: what the copy leaves out is at its defaults.
    VnAssignment copied(source);
    EXPECT_EQ(carried(copied) + "/" + kept(copied), taken + "/" + kept(VnAssignment()));

    const std::string before = packed(source) + kept(source);
    const VnAssignment& same = source;
    source = same;
    source.copy(same);
    EXPECT_EQ(packed(source) + kept(source), before);
    source.job().name("other");  // deep
    EXPECT_EQ(carried(copied), taken);

    VnAssignmentList list;
    list.push(new VnAssignment(filled()));
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 25, body(*list.get(0))));
}

TEST(VnReport, SubjobBeforeStatisticsInBothForms) {
    VnReport r;
    r.subjob().id(3);
    r.jobstats(stats(100, 7660));
    r.outlog().jobid(12);
    r.outlog().data("frame 1 done");
    r.outlog().host("node1");
    r.outlog().cls(1);
    r.errlog().cls(2);
    const std::string log =
        intField(2, -1) + strField(3, "frame 1 done") + strField(5, "node1") + intField(4, 1);
    const std::string binary =
        kVersion + objField(2, 4, body(r.subjob())) + objField(1, 42, body(r.jobstats())) +
        objField(3, 36, intField(1, 12) + log + intField(6, -1) + strField(7, "")) +
        objField(4, 36,
                 intField(1, -1) + intField(2, -1) + strField(3, "") + strField(5, "") + intField(4, 2) +
                     intField(6, -1) + strField(7, ""));
    expectForms(r, binary,
                objectXML("report", nested("subjob", r.subjob()) + nested("job_stats", r.jobstats()) +
                                        nested("out_log", r.outlog()) + nested("err_log", r.errlog())));
    VnReport copied(r);
    r.outlog().data("changed");  // a deep copy of all four members
    EXPECT_EQ(packed(copied), binary);
}

TEST(VnDuty, SubjobBeforeJobAndTheFlagInMemory) {
    VnDuty d;
    d.job().id(12);
    d.subjob().id(3);
    VnHost host;
    host.name("node1");
    d.host(host);
    d.preempt(1);
    expectForms(
        d,
        kVersion + objField(2, 4, body(d.subjob())) + objField(1, 1, body(d.job())) +
            objField(3, 9, strField(1, "node1")),
        objectXML("duty", nested("subjob", d.subjob()) + nested("job", d.job()) + nested("host", d.host())));
    expectFlag(d, &VnDuty::preempt);
}

TEST(VnRequest, ReservationBeforeSubjobAndTheFlagInMemory) {
    VnRequest r;
    r.reservation(VnReservation(VnString("host.processors=2")));
    r.subjob().id(4);
    r.satisfied(1);
    expectForms(r,
                kVersion +
                    objField(1, 27, strField(1, "host") + strField(2, "processors") + strField(3, "2")) +
                    objField(2, 4, body(r.subjob())),
                objectXML("request", nested("reservation", r.reservation()) + nested("subjob", r.subjob())));
    expectFlag(r, &VnRequest::satisfied);
}
