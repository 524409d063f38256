#include "job/VnJob.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "tests/job/FormChecks.h"

namespace {

std::string joined(const std::vector<int>& values) {
    std::string out;
    for (int v : values)
        out += (out.empty() ? "" : " ") + std::to_string(v);
    return out;
}

Line statusLine(int tag, const std::string& name, const VnStatus& v) {
    return valueLine(tag, name, 2, "status", v.integervalue());
}

// The 59 fields of the job in write order, each with its tag, type code and XML name.
std::vector<Line> linesOf(VnJob& j) {
    // clang-format off
    return {intLine(1, "id", j.id()), intLine(2, "pid", j.pid()), intLine(4, "priority", j.priority()),
        intLine(31, "local_order", j.localorder()), intLine(32, "global_order", j.globalorder()),
        intLine(3, "pgrp", j.pgrp()), strLine(5, "user", j.user()), strLine(38, "domain", j.domain()),
        strLine(35, "password", j.password()), statusLine(6, "status", j.status()),
        objLine(7, "subjobs", j.subjobs()), strLine(8, "name", j.name()), intLine(12, "cpus", j.cpus()),
        intLine(20, "todo", j.todo()), strLine(9, "cluster", j.cluster()),
        objLine(10, "children", j.children()), objLine(11, "agenda", j.agenda()),
        objLine(13, "callbacks", j.callbacks()), strLine(14, "requirements", j.requirements()),
        strLine(30, "reservations", j.reservations()), strLine(34, "restrictions", j.restrictions()),
        strLine(36, "groups", j.groups()), strLine(37, "hosts", j.hosts()),
        strLine(41, "host_order", j.hostorder()), strLine(15, "data", j.data()),
        strLine(33, "queue", j.queue()), strLine(16, "prototype", j.prototype()),
        strLine(17, "path", j.path()), strLine(18, "reason", j.reason()), strLine(19, "logpath", j.logpath()),
        objLine(21, "cpus_tally", j.cpustally()), objLine(22, "todo_tally", j.todotally()),
        timeLine(23, "time_submit", j.timesubmit().value()),
        timeLine(39, "time_start", j.timestart().value()),
        timeLine(24, "time_complete", j.timecomplete().value()), intLine(26, "flags", j.flags()),
        strLine(27, "label", j.label()), strLine(28, "account", j.account()), objLine(29, "env", j.env()),
        strLine(40, "kind", j.kind()), intLine(42, "server_id", j.serverid()),
        timeLine(43, "last_update", j.lastupdate().value()), intLine(44, "timeout", j.timeout()),
        objLine(47, "variables", j.variables()), statusLine(48, "agenda_status", j.agendastatus()),
        statusLine(49, "subjob_status", j.subjobstatus()), objLine(50, "path_map", j.pathmap()),
        intLine(51, "retry_subjob", j.retrysubjob()), intLine(52, "retry_work", j.retrywork()),
        strLine(53, "omit_hosts", j.omithosts()), strLine(60, "omit_groups", j.omitgroups()),
        strLine(54, "dependency", j.dependency()), timeLine(55, "deadline", j.deadline().value()),
        strLine(56, "mail_address", j.mailaddress()), strLine(57, "notes", j.notes()),
        strLine(58, "prototype_path", j.prototypepath()),
        valueLine(59, "source_host", 13, "address", static_cast<int>(j.sourcehost().value())),
        intLine(61, "immediate_cpus", j.immediatecpus()), statusLine(62, "mask_status", j.maskstatus())};
    // clang-format on
}

// Every field away from its default; each hash holds one entry, so that it writes one order.
VnJob filled() {
    VnJob j;
    using IntSetter = void (VnJob::*)(int);
    using TextSetter = void (VnJob::*)(const VnString&);
    // clang-format off
    const IntSetter numbers[] = {&VnJob::id, &VnJob::pid, &VnJob::pgrp, &VnJob::priority, &VnJob::timeout,
        &VnJob::localorder, &VnJob::globalorder, &VnJob::retrysubjob, &VnJob::retrywork,
        &VnJob::immediatecpus, &VnJob::todo, &VnJob::serverid, &VnJob::cpus};
    const TextSetter texts[] = {&VnJob::user, &VnJob::domain, &VnJob::password, &VnJob::name, &VnJob::label,
        &VnJob::cluster, &VnJob::data, &VnJob::queue, &VnJob::prototype, &VnJob::kind, &VnJob::path,
        &VnJob::reason, &VnJob::account, &VnJob::groups, &VnJob::hosts, &VnJob::omithosts, &VnJob::omitgroups,
        &VnJob::hostorder, &VnJob::logpath, &VnJob::restrictions, &VnJob::dependency, &VnJob::mailaddress,
        &VnJob::prototypepath};
    // clang-format on
    int n = 100;
    for (IntSetter set : numbers)
        (j.*set)(++n);
    int k = 0;
    for (TextSetter set : texts)
        (j.*set)(VnString(("s" + std::to_string(++k)).c_str()));
    j.flags(4 | 512);
    j.notes("a<b & c>");
    j.requirements("host.os=linux");
    j.reservations("host.processors=2,license.render=1");
    j.status(VnStatus(VnStatus::RUNNING));
    j.maskstatus(VnStatus(VnStatus::PAUSED));
    j.agendastatus(VnStatus(VnStatus::PENDING));
    j.subjobstatus(VnStatus(VnStatus::BLOCKED));
    j.timesubmit(1001);
    j.timestart(1002);
    j.timecomplete(1003);
    j.lastupdate(1004);
    j.deadline(1005);
    j.sourcehost(VnAddress(0x0A000005));
    j.cpustally().add(VnStatus::RUNNING, 2);
    j.todotally().add(VnStatus::COMPLETE, 7);
    j.env().set("HOME", "/home/ann");
    j.env().mount("Z:", "ann@server");
    j.pathmap().directmap().set(new VnString("/mnt"), "Z:");
    j.subjobs().push(new VnSubjob());
    j.agenda().push(new VnWork());
    j.agenda().get(0)->name("0001");
    j.agenda().push(new VnWork());
    j.callbacks().push(new VnCallback());
    j.variables().push(new VnVariable());
    j.children().push(new VnJob());
    j.children().get(0)->label("a");
    j.children().get(0)->variables().push(new VnVariable());
    return j;
}

}  // namespace

TEST(VnJob, DefaultsAndQuestions) {
    VnJob j;
    EXPECT_EQ(joined({j.id(), j.pid(), j.pgrp(), j.priority(), j.timeout(), j.retrysubjob(), j.retrywork(),
                      j.serverid(), j.cpus(), j.todo(), j.immediatecpus(), j.flags(), j.localorder(),
                      j.globalorder(), j.count(), j.watch(), j.subjobswaiting()}),
              "1 -1 -1 -1 -1 -1 -1 -1 1 0 0 0 0 0 0 0 0");
    EXPECT_TRUE(j.none() && j.maskstatus().none() && j.agendastatus().none() && j.subjobstatus().none());

    std::vector<int> cpus;
    for (int n : {0, -3, 4}) {
        j.cpus(n);
        cpus.push_back(j.cpus());
    }
    ASSERT_EQ(unpackInto(j, kVersion + intField(12, 0)), 0);
    cpus.push_back(j.cpus());  // only the setter holds it to 1
    EXPECT_EQ(joined(cpus), "1 1 4 0");

    std::vector<int> kinds;
    kinds.push_back(j.flagsstring(VnString("grid")));
    kinds.insert(kinds.end(), {j.grid(), j.elite()});
    j.cpus(2);
    kinds.insert(kinds.end(), {j.grid(), j.flagsstring(VnString("elite")), j.grid(), j.elite()});
    EXPECT_EQ(joined(kinds), "4 0 0 1 512 0 1");
    j.flags(4 | 512 | 1);
    EXPECT_EQ(str(j.flagsstring()), "uninterruptible,grid,elite");

    const std::pair<const char*, int> reservations[] = {
        {"host.processors=2", 1}, {"license.render=1,host.processors=8", 1},
        {"host.processors=1", 0}, {"", 0},
        {"host.memory=2048", 0},  {"host.processors", 0}};
    for (const auto& r : reservations) {
        j.reservations(r.first);
        EXPECT_EQ(j.multiprocessor(), r.second) << r.first;
    }

    std::vector<int> sids;
    for (int id : {7, -7, INT_MIN}) {
        j.id(id);
        sids.insert(sids.end(), {j.sid(3), j.sid(0), j.sid(-1)});
    }
    EXPECT_EQ(joined(sids), "1 0 0 -1 0 0 -2 0 0");

    char text[] = "abcdef";
    j.name(text, 3);
    j.notes(text, 0);
    j.label("kept");
    j.label(nullptr, 2);
    EXPECT_EQ(str(j.name()) + "|" + str(j.notes()) + "|" + str(j.label()), "abc||kept");
}

TEST(VnJob, PackedFormsByteForByte) {
    VnJob blank, j = filled();
    EXPECT_EQ(packed(blank), binaryOf(linesOf(blank)));
    EXPECT_EQ(packed(blank, true), xmlOf("job", linesOf(blank)));
    EXPECT_EQ(packed(j), binaryOf(linesOf(j)));
    const std::string document = packed(j, true);
    EXPECT_EQ(document, xmlOf("job", linesOf(j)));
    EXPECT_NE(document.find("\t<notes>a&lt;b &amp; c&gt;</notes>\n"), std::string::npos);
    EXPECT_NE(document.find("\t\t\t\t<object type = 'job'>\n\t\t\t\t\t<id>1</id>\n"), std::string::npos);

    VnJobList list;
    VnJobLabelHash labels;
    EXPECT_EQ(std::to_string(list.type()) + str(list.typeXML()) + "|" + std::to_string(labels.type()) +
                  str(labels.typeXML()),
              "5job_list|116116");
}

TEST(VnJob, RoundTripsKeepTheReceiversOwnFields) {
    VnJob j = filled();
    VnJobLabelHash labels;
    labels.set(new VnJob(j), "a");
    VnJobList list;
    list.push(new VnJob(j));
    list.push(new VnJob());
    const std::string binary = packed(j), document = packed(j, true), blank = packed(*list.get(1));
    for (bool xml : {false, true}) {
        VnJob back;
        back.count(3);
        back.watch(4);
        back.subjobswaiting(5);
        ASSERT_EQ(unpackInto(back, xml ? document : binary, xml), 0);
        EXPECT_EQ(packed(back) + packed(back, true), binary + document) << xml;
        EXPECT_EQ(joined({back.count(), back.watch(), back.subjobswaiting()}), "3 4 5");

        VnJobLabelHash labelsBack;
        VnJobList listBack;
        ASSERT_EQ(
            unpackInto(labelsBack, packed(labels, xml), xml) + unpackInto(listBack, packed(list, xml), xml),
            0);
        ASSERT_TRUE(labelsBack.get("a") && listBack.length() == 2);
        EXPECT_EQ(packed(*labelsBack.get("a")) + packed(*listBack.get(0)) + packed(*listBack.get(1)),
                  binary + binary + blank);
    }

    // Fields in any order; unknown tags, known tags of another type code and missing fields
    // leave the members as they were; a child list of the wrong class ends the reading.
    VnJob partial;
    partial.name("kept");
    partial.notes("kept too");
    ASSERT_EQ(unpackInto(partial, kVersion + objField(62, 2, intField(1, 48)) + intField(25, 9) +
                                      intField(8, 5) + strField(1, "x") + strField(57, "") + intField(1, 44) +
                                      strField(18, "why") + objField(10, 1, "") + intField(2, 77)),
              0);
    EXPECT_EQ(str(partial.name()) + "|" + str(partial.notes()) + "|" + str(partial.reason()) + "|" +
                  joined({partial.id(), partial.maskstatus().integervalue(), partial.pid()}),
              "kept|kept too|why|44 48 -1");
    ASSERT_EQ(unpackInto(partial, objectXML("job", "\t<pgrp>12</pgrp>\n\t<label>l</label>\n"), true), 0);
    EXPECT_EQ(str(partial.name()) + "|" + str(partial.label()) + "|" + joined({partial.pgrp(), partial.id()}),
              "kept|l|12 44");
}

TEST(VnJob, CopiesKeepTheInMemoryFields) {
    VnJob source = filled();
    source.count(1);
    source.watch(2);
    source.subjobswaiting(3);
    const std::string binary = packed(source);

    VnJob constructed(source), assigned, copied;
    assigned.count(7);
    copied.watch(8);
    assigned = source;
    copied.copy(source);
    EXPECT_EQ(packed(constructed) + packed(assigned) + packed(copied), binary + binary + binary);
    EXPECT_EQ(joined({constructed.count(), constructed.watch(), constructed.subjobswaiting(),
                      assigned.count(), copied.watch()}),
              "0 0 0 7 8");
    source.children().get(0)->label("changed");
    source.agenda().clear();
    copied.copy(copied);
    const VnJob& self = assigned;
    assigned = self;
    EXPECT_EQ(packed(copied) + packed(assigned), binary + binary);  // nothing shared, nothing lost

    // A job given its own child or grandchild, and a child given the job that holds it.
    VnJob parent = filled();
    parent.children().get(0)->children().push(new VnJob());
    parent.children().get(0)->children().get(0)->name("grandchild");
    const std::string child = packed(*parent.children().get(0));
    parent = *parent.children().get(0);
    EXPECT_EQ(packed(parent), child);
    parent.copy(*parent.children().get(0));
    EXPECT_EQ(str(parent.name()), "grandchild");

    VnJob holder = filled();
    VnJob* inner = holder.children().get(0);
    *inner = holder;
    EXPECT_EQ(packed(*inner), binary);
    EXPECT_EQ(str(holder.children().get(0)->children().get(0)->label()), "a");

    // A list given a list inside one of its own elements copies it before it lets go of them.
    VnJobList outer;
    outer.push(new VnJob(filled()));
    outer = outer.get(0)->children();
    ASSERT_EQ(outer.length(), 1);
    EXPECT_EQ(str(outer.get(0)->label()), "a");
}

TEST(VnJob, BaseTakesAllButTheListsAndSixFields) {
    const std::set<std::string> kept = {"subjobs",   "children",       "agenda",        "callbacks",
                                        "variables", "mask_status",    "agenda_status", "subjob_status",
                                        "reason",    "prototype_path", "source_host"};
    VnJob other = filled(), j, blank;
    j.watch(6);
    j.base(other);
    const std::vector<Line> before = linesOf(blank), after = linesOf(j), source = linesOf(other);
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].binary, kept.count(after[i].name) ? before[i].binary : source[i].binary)
            << after[i].name;
    EXPECT_EQ(j.watch(), 6);

    // A job with agenda items keeps them and its reason.
    VnJob withAgenda = filled(), running;
    running.status(VnStatus(VnStatus::RUNNING));
    running.data("(=(a=1))");
    running.cpustally().add(VnStatus::FAILED, 1);
    withAgenda.base(running);
    EXPECT_EQ(str(withAgenda.reason()) + str(withAgenda.data()) + "|" +
                  joined({withAgenda.agenda().length(), withAgenda.status().integervalue(),
                          withAgenda.cpustally().failed()}),
              "s12(=(a=1))|2 336 1");

    const std::string whole = packed(other);
    other.base(other);
    EXPECT_EQ(packed(other), whole);
}

TEST(VnJob, StubAndPackage) {
    VnJob j;
    EXPECT_EQ(str(j.stub()), "-10000");
    j = filled();
    j.watch(-2);
    EXPECT_EQ(str(j.stub()),
              "s6104host.processors=2,license.render=1s20host.os=linuxs14s15516106107-2s16s17");

    VnPackage package;
    package.set("frames", "1-10");
    package.set("a(b)", "x=y");
    j.package(package);
    EXPECT_EQ(j.data(), package.compact());
    EXPECT_EQ(j.package().compact(), package.compact());
}

// A document of a few megabytes reads back whole (its memory and time stay proportional). Each job is
// some 4 KB in memory: a list of jobs may make at most 32 bytes of objects per byte read (plus 16 MiB),
// so element headers without jobs behind them are refused, while lists of real jobs, even default ones,
// read back.
TEST(VnJob, LargeInputs) {
    VnJob j;
    for (int i = 0; i < 3000; ++i) {
        j.agenda().push(new VnWork());
        j.agenda().get(i)->name(VnString(i));
    }
    j.notes(VnString(std::string(1 << 20, 'n').c_str()));
    for (bool xml : {false, true}) {
        VnJob back;
        ASSERT_EQ(unpackInto(back, packed(j, xml), xml), 0);
        EXPECT_EQ(joined({back.agenda().length(), back.notes().length()}), "3000 1048576");
    }

    VnJobList jobs;
    for (int i = 0; i < 3000; ++i)
        jobs.push(new VnJob());
    VnJobList back;
    EXPECT_EQ(unpackInto(back, packed(jobs)), 0);
    EXPECT_EQ(back.length(), 3000);

    std::string headers;  // an int field under the element tag: a default job each
    for (int i = 0; i < 200000; ++i)
        headers += intField(10, 0);
    VnJobList hostile;
    EXPECT_EQ(unpackInto(hostile, kVersion + intField(1, 200000) + headers), 4);
    EXPECT_LT(hostile.length(), 200000);

    std::string items;
    for (int i = 0; i < 200000; ++i)
        items += "<item/>";
    VnJobList fromXML;
    EXPECT_EQ(unpackInto(fromXML, objectXML("job_list", items), true), 4);
}
