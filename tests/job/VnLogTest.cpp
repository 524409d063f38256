#include "job/VnLog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>

#include "expression/VnRegEx.h"
#include "system/VnFile.h"
#include "system/VnTime.h"
#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

namespace {

std::string idsOf(const VnLog& log) {
    return std::to_string(log.jobid()) + "," + std::to_string(log.subid()) + "," +
           std::to_string(log.workid()) + "," + str(log.workname()) + "," + str(log.host()) + "," +
           std::to_string(log.cls()) + "," + std::to_string(log.id()) + "," + std::to_string(log.logtype());
}

class VnLogTest : public TempDirTest {
protected:
    VnString base() const { return VnString(root.c_str()); }
    // Makes the job's directory and writes one of its files.
    void put(int jobid, int subid, int type, const std::string& data) {
        VnLog::jobbuilddir(base(), jobid);
        spit(str(VnLog::joblogfile(base(), jobid, subid, type)), data);
    }
};

}  // namespace

TEST(VnLog, TreeNames) {
    const VnString b("/B");
    const struct {
        VnString got;
        const char* want;
    } cases[] = {
        {VnLog::joblogdir(b), "/B/job"},
        {VnLog::joblogbasedir(b, 999), "/B/job/0"},
        {VnLog::joblogbasedir(b, 1000), "/B/job/1000"},
        {VnLog::joblogdir(b, 12345), "/B/job/12000/12345"},
        {VnLog::joblogdir(b, -1500), "/B/job/-1000/-1500"},
        {VnLog::pgrplogdir(b), "/B/pgrp"},
        {VnLog::pgrplogbasedir(b, 2999), "/B/pgrp/2000"},
        {VnLog::pgrplogdir(b, 2999), "/B/pgrp/2000/2999"},
        {VnLog::hostlogdir(b), "/B/host"},
        {VnLog::hostlogdir(b, "n1"), "/B/host/n1"},
        {VnLog::userlogdir(b), "/B/user"},
        {VnLog::userlogdir(b, "ann"), "/B/user/ann"},
        {VnLog::joblogfile(b, 12345, 4, 1), "/B/job/12000/12345/12345_4.out"},
        {VnLog::joblogfile(b, 12345, 4, 15), "/B/job/12000/12345/12345.map"},
        {VnLog::joblogfile(b, 7, 3, 15), "/B/job/0/7/7.map"},
        {VnLog::joblogfile(b, 7, 3, 1), "/B/job/0/7/7_3.out"},
        {VnLog::joblogfile(b, 7, 3, 12), "/B/job/0/7/7."},
        {VnLog::joblogfile(b, 7, -1, 2), "/B/job/0/7/7_-1.err"},
        {VnLog::joblogfile(b, 7, 8), "/B/job/0/7/7.hst"},
        {VnLog::joblogfile(b, 7, 3), "/B/job/0/7/7_0.sts"},
        {VnLog::joblogfile(b, 7, 3, VnString("map")), "/B/job/0/7/7_3.map"},
        {VnLog::hostlogfile(b, "n1", 208), "/B/host/n1/n1.hst"},
        {VnLog::hostlogfile(b, "n1", 8), "/B/host/n1/n1."},
        {VnLog::userlogfile(b, "ann", 108), "/B/user/ann/ann.hst"},
        {VnLog::userlogfile(b, "ann", 208), "/B/user/ann/ann."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str(c.got), c.want);

    std::string exts;
    for (int type = 0; type <= 16; ++type)
        exts += str(VnLog::logext(type)) + ",";
    EXPECT_EQ(exts, ",out,err,sts,,,,,hst,qja,acc,cb,,xja,mail,map,,");
}

TEST(VnLog, PackedFormsAndCopies) {
    VnLog blank;
    EXPECT_EQ(idsOf(blank), "-1,-1,-1,,,0,-1,0");
    EXPECT_EQ(packed(blank), kVersion + intField(1, -1) + intField(2, -1) + strField(3, "") +
                                 strField(5, "") + intField(4, 0) + intField(6, -1) + strField(7, ""));

    VnLog log;
    log.jobid(12);
    log.subid(4);
    log.workid(17);
    log.workname("frame0017");
    log.host("n1");
    log.data("a<b\n", 4);
    log.cls(1);
    log.id(5);
    log.logtype(2);
    const std::string binary = kVersion + intField(1, 12) + intField(2, 4) + strField(3, "a<b\n") +
                               strField(5, "n1") + intField(4, 1) + intField(6, 17) +
                               strField(7, "frame0017");
    EXPECT_EQ(packed(log), binary);
    const std::string document =
        objectXML("log",
                  "\t<job_id>12</job_id>\n\t<sub_id>4</sub_id>\n\t<data>a&lt;b\n</data>\n\t<host>n1</host>\n"
                  "\t<cls>1</cls>\n\t<work_id>17</work_id>\n\t<work_name>frame0017</work_name>\n");
    EXPECT_EQ(packed(log, true), document);

    for (bool xml : {false, true}) {  // id and logtype never travel
        VnLog back;
        back.id(9);
        ASSERT_EQ(unpackInto(back, xml ? document : binary, xml), 0);
        EXPECT_EQ(idsOf(back), "12,4,17,frame0017,n1,1,9,0") << xml;
        EXPECT_EQ(str(back.data()), "a<b\n");
    }

    VnLog copied(log), target;  // id and logtype are not copied
    target.logtype(7);
    target = log;
    target.copy(target);
    EXPECT_EQ(idsOf(copied) + str(copied.data()), "12,4,17,frame0017,n1,1,-1,0a<b\n");
    EXPECT_EQ(idsOf(target) + str(target.data()), "12,4,17,frame0017,n1,1,-1,7a<b\n");
}

TEST_F(VnLogTest, MapFilesWrittenAndRead) {
    VnLog::jobbuilddir(base(), 12345);
    VnLog::writemap(base(), 12345, 4, 17, "frame0017");
    VnLog::writemap(base(), 12345, 5, 18, "tab\there\r\n");  // written on one line as blanks
    EXPECT_EQ(slurp(at("job/12000/12345/12345.map")), "12345\t4\t17\tframe0017\n12345\t5\t18\ttab here  \n");
    EXPECT_EQ(VnLog::readmap(base(), 12345, "frame0017"), 4);
    EXPECT_EQ(VnLog::readmap(base(), 12345, "tab\there\r\n"), 5);
    EXPECT_EQ(VnLog::readmap(base(), 12345, "frame"), -1);
    EXPECT_EQ(VnLog::readmap(base(), 99, "frame0017"), -1);  // no map file

    const std::string map = at("job/0/7/7.map");
    std::filesystem::create_directories(at("job/0/7"));
    const struct {
        const char* text;
        const char* name;
        int want;
    } cases[] = {
        {"7\t1\t0\ta\n7\t2\t0\tb", "b", 2},        // the last line needs no line feed
        {"7\t1\t0\ta\n7\t2\t0\ta\n", "a", 1},      // the first match wins
        {"7\t1\t0\n7\t3\t0\t\t\n", "", 3},         // three fields never match; an empty fourth does
        {"7\t1\t0\t\n", "", -1},                   // an empty last piece is no field
        {"7\t4x\t0\ta\r\tmore\n", "a", 4},         // fields beyond the fourth; atoi-like subjob
        {"7\t5\t0\tA\n7\t6\t0\ta\r\r\n", "a", 6},  // case-sensitive; carriage returns dropped
        {"", "a", -1},
    };
    for (const auto& c : cases) {
        spit(map, c.text);
        EXPECT_EQ(VnLog::readmap(base(), 7, c.name), c.want) << c.text;
    }
}

// The section reader finds the name that the pattern captures, line by line; each case is
// checked against the regular expression too.
TEST_F(VnLogTest, WorkSectionsFoundByThePattern) {
    spit(at("log"), "got work: 1:a -\nx\ngot work: 2:b -\ny\ngot work: 3:a -\nz");
    const auto section = [&](const char* name) {
        VnLog log;
        const int length = log.loaddata(at("log").c_str(), name, 99);
        EXPECT_EQ(length, log.data().length());
        return str(log.data());
    };
    EXPECT_EQ(section("a"), "got work: 1:a -\nx\ngot work: 3:a -\nz");
    EXPECT_EQ(section("b"), "got work: 2:b -\ny\n");
    EXPECT_EQ(section("c") + section(""), "");

    const struct {
        const char* line;
        const char* name;  // null: the line does not match
    } lines[] = {
        {"got work: 1:a -\n", "a"},
        {"got work:12:a -b -c\n", "a -b"},  // greedy: to the last blank and dash
        {"got work: 1:a  -\n", "a "},
        {"xx got work:\t\v3: a\t-x", " a"},
        {"got work: 1:a\t\r-\n", "a\t"},
        {"got work: x:a -\ngot", nullptr},
        {"got work: 1:a-\n", nullptr},
        {"got work: 1: -\n", nullptr},
        {"got work: :a -\n", nullptr},
        {"got work: 1a:b -\n", nullptr},
        {"got work: 1:a - got work: 2:b -\n", "a - got work: 2:b"},
        {"got work: 1got work: 2:b -\n", "b"},
        {"got work: 1:\xff\x01 -\n", "\xff\x01"},
        {"GOT WORK: 1:a -\n", nullptr},
    };
    VnRegEx pattern("got work:\\s*\\d+:(.+)\\s+-");
    for (const auto& c : lines) {
        VnStringList captures;
        const int matched = pattern.match(c.line, captures);
        ASSERT_EQ(matched, c.name != nullptr) << c.line;
        if (matched) {
            ASSERT_EQ(str(*captures.get(0)), c.name) << c.line;
        }
        // The matching line opens the section; a following line that does not match stays in it.
        spit(at("log"), std::string(c.line) + "\nafter\n");
        const std::string want = c.name ? std::string(c.line) + "\nafter\n" : "";
        EXPECT_EQ(section(c.name ? c.name : "a"), want) << c.line;
    }
}

TEST_F(VnLogTest, LoadingConstructorsAndPositions) {
    put(12, 3, 1, "0123456789");
    put(12, 0, 1, "zero");
    VnLog::writemap(base(), 12, 3, 17, "f17");
    VnLog::writemap(base(), 12, 5, 18, "f18");
    spit(at("job/0/12/12_3.out"), "got work: 17:f17 -\nout17\ngot work: 20:f20 -\nout20\n");

    EXPECT_EQ(str(VnLog(VnString(at("job/0/12/12_0.out").c_str())).data()), "zero");
    VnLog subjob(base(), 12, 3, 1, 4);
    EXPECT_EQ(idsOf(subjob) + "|" + str(subjob.data()),
              "12,3,-1,,,1,-1,0|work: 17:f17 -\nout17\ngot work: 20:f20 -\nout20\n");
    VnLog all(base(), 12, -2, 1, -7);  // all subjobs: subjob 0, read from the start
    EXPECT_EQ(idsOf(all) + "|" + str(all.data()), "12,0,-1,,,1,-1,0|zero");
    VnLog work(base(), 12, VnString("f17"), 1, 1000);
    EXPECT_EQ(idsOf(work) + "|" + str(work.data()), "12,3,-1,f17,,1,-1,0|got work: 17:f17 -\nout17\n");
    VnLog unmapped(base(), 12, VnString("f99"), 1, 0);  // reads 12_-1.out, which is missing
    EXPECT_EQ(idsOf(unmapped) + "|" + str(unmapped.data()), "12,-1,-1,f99,,1,-1,0|");

    VnLog appended;
    appended.data("x", 1);
    EXPECT_EQ(appended.loaddata(at("job/0/12/12_0.out").c_str(), 2), 4);
    EXPECT_EQ(appended.loaddata(at("missing").c_str(), 0), -1);
    EXPECT_EQ(str(appended.data()), "xro");
    // A log of 2 GiB or more is refused whatever the offset; one of 2 GiB - 1 reads to its end.
    std::filesystem::resize_file(at("job/0/12/12_0.out"), std::uintmax_t(INT_MAX) + 1);
    EXPECT_EQ(appended.loaddata(at("job/0/12/12_0.out").c_str(), INT_MAX - 3), -1);
    EXPECT_EQ(str(appended.data()), "xro");
    std::filesystem::resize_file(at("job/0/12/12_0.out"), INT_MAX);
    EXPECT_EQ(appended.loaddata(at("job/0/12/12_0.out").c_str(), INT_MAX - 3), INT_MAX);
    EXPECT_EQ(appended.data().length(), 6);
    std::filesystem::resize_file(at("job/0/12/12_0.out"), 4);  // "zero" again

    VnCommand cmd;
    cmd.workids().push(new VnWorkId(12, "f17"));
    cmd.workids().push(new VnWorkId(12, ""));  // passed over
    cmd.jobids().push(new VnJobId(12, 3));
    cmd.jobids().push(new VnJobId(12));
    cmd.jobids().push(new VnJobId(13, 1));  // missing: still a log
    cmd.filters().push(new VnFilter("pos", "2"));
    cmd.filters().push(new VnFilter("pos"));  // without a value: does not count
    cmd.filters().push(new VnFilter("user", "ann"));
    VnLogList logs;
    logs.load(base(), cmd, 1);
    std::string got;
    for (int i = 0; i < logs.length(); ++i)
        got += idsOf(*logs.get(i)) + "|" + str(logs.get(i)->data()).substr(0, 9) + ";";
    EXPECT_EQ(got,
              "12,3,-1,f17,,1,-1,0|got work:;12,3,-1,,,1,-1,0|t work: 1;12,0,-1,,,1,-1,0|ro;"
              "13,1,-1,,,1,-1,0|;");
    // Without a "pos" filter, or with a negative one, the subjob's log that the work item
    // read comes back whole for the job id as well.
    for (const char* pos : {"", "-3"}) {
        VnCommand whole;
        whole.workids().push(new VnWorkId(12, "f17"));
        whole.jobids().push(new VnJobId(12, 3));
        if (*pos) whole.filters().push(new VnFilter("pos", pos));
        VnLogList both;
        both.load(base(), whole, 1);
        ASSERT_EQ(both.length(), 2);
        EXPECT_EQ(str(both.get(1)->data()), "got work: 17:f17 -\nout17\ngot work: 20:f20 -\nout20\n") << pos;
    }
}

TEST_F(VnLogTest, LoadTakesTheSubjobFilesOfTheType) {
    VnLog::jobbuilddir(base(), 12);
    for (const char* name : {"12_3.out", "12x4.out", "012_5.out", "12.map", "12_3.err", "12_.out", "12_6.",
                             "12_7", "12", "4294967308_8.out", "12_4294967299.out", "12_9.outx"})
        spit(at(std::string("job/0/12/") + name), name);
    spit(at("job/0/12/120_3.out"), "other job");
    VnLogList logs;
    logs.load(base(), 12, 1);
    std::set<std::string> got;
    for (int i = 0; i < logs.length(); ++i)
        got.insert(idsOf(*logs.get(i)) + "|" + str(logs.get(i)->data()));
    // 12x4.out is read back as 12_4.out and 012_5.out as 12_5.out, neither of which exists.
    EXPECT_EQ(got,
              (std::set<std::string>{"12,3,-1,,,1,-1,0|12_3.out", "12,4,-1,,,1,-1,0|", "12,5,-1,,,1,-1,0|"}));
    VnLogList none;
    none.load(base(), 12, 4);  // a type without an extension takes nothing
    none.load(base(), 77, 1);  // no directory
    EXPECT_EQ(none.length(), 0);
}

TEST_F(VnLogTest, DirectoriesAndLocality) {
    // Names that would leave the tree build nothing, not even the branch.
    ASSERT_EQ(chmod(root.c_str(), 0700), 0);
    for (const std::string& name : {std::string(""), std::string("."), std::string(".."), std::string("a/b"),
                                    std::string("..\0x", 4)}) {
        VnLog::hostbuilddir(base(), vs(name));
        VnLog::userbuilddir(base(), vs(name));
    }
    struct stat st {};
    ASSERT_EQ(stat(root.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(std::filesystem::exists(at("host")) || std::filesystem::exists(at("user")));

    const mode_t old = umask(077);
    VnLog::jobbuilddir(base(), 12345);
    VnLog::pgrpbuilddir(base(), 7);
    VnLog::hostbuilddir(base(), "n1");
    VnLog::userbuilddir(base(), "ann");
    umask(old);
    for (const char* dir : {"job", "job/12000", "job/12000/12345", "pgrp/0/7", "host/n1", "user/ann"}) {
        ASSERT_EQ(stat(at(dir).c_str(), &st), 0) << dir;
        EXPECT_EQ(st.st_mode & 0777, 0777u) << dir;
    }

    VnCommand cmd;
    cmd.workids().push(new VnWorkId(12345, "w"));  // work ids are not consulted
    cmd.jobids().push(new VnJobId(12));
    const int without = VnLog::islocal(base(), cmd);
    cmd.jobids().push(new VnJobId(12345, 2));
    EXPECT_EQ(std::to_string(VnLog::islocal(base(), 12345)) + std::to_string(VnLog::islocal(base(), 12)) +
                  std::to_string(without) + std::to_string(VnLog::islocal(base(), cmd)),
              "1001");
}

TEST(VnLog, SeparatorAndUniqueNames) {
    const auto separator = [] {
        VnTime now;
        now.setToNow();
        return "\n=================  vorn! - retry/requeue on " + str(now.ascii()) +
               "  ===================\n\n";
    };
    const std::string before = separator();
    const std::string got = str(VnLog::separate(3, 4));
    EXPECT_TRUE(got == before || got == separator()) << got;

    const std::string prefix = "vorn" + std::to_string(getpid()) + "u";
    const std::string first = str(VnLog::uniquefile());
    const std::string second = str(VnLog::uniquefile());
    ASSERT_EQ(first.substr(0, prefix.size()), prefix);
    const int n = std::stoi(first.substr(prefix.size()));
    EXPECT_EQ(first, prefix + std::to_string(n) + ".tmp");
    EXPECT_EQ(second, prefix + std::to_string(n + 1) + ".tmp");
}

// Megabytes of map and log text: the readers' memory follows the input and nothing is
// quadratic, even for one long line full of near matches.
TEST_F(VnLogTest, LargeInputs) {
    std::string map, log, want;
    for (int i = 0; i < 100000; ++i) {
        map += "9\t" + std::to_string(i) + "\t" + std::to_string(i) + "\tf" + std::to_string(i) + "\n";
        const std::string item =
            "got work: " + std::to_string(i) + ":f" + std::to_string(i % 3) + " -\nsome output\n";
        log += item;
        if (i % 3 == 1) want += item;
    }
    map += std::string(2 << 20, '\t') + "\n9\t1\t1\tlast\n";
    log += "got work: 1:" + std::string(1 << 20, '-') + "\n";  // no blank before a dash: no match
    for (int i = 0; i < 100000; ++i)
        log += "got work:1:-";
    put(9, 0, 15, map);
    spit(at("log"), log + "\n");
    EXPECT_EQ(VnLog::readmap(base(), 9, "f99999") + VnLog::readmap(base(), 9, "last"), 99999 + 1);
    VnLog section;
    section.loaddata(at("log").c_str(), "f1", 0);
    EXPECT_EQ(str(section.data()), want);
}
