#include "job/VnHistory.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "job/VnLog.h"
#include "system/VnFile.h"
#include "system/VnSafeOpen.h"
#include "system/VnSafeOpenHooks.h"
#include "testing/TestRecords.h"
#include "tests/support/BytesRead.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

std::string fieldsOf(const VnHistory& h) {
    return std::to_string(h.jobid()) + "," + std::to_string(h.subid()) + "," +
           std::to_string(h.stamp().value()) + "," + str(h.workid()) + "," + str(h.comment());
}

std::string fieldsOf(const VnHistoryList& list) {
    std::string out;
    for (int i = 0; i < list.length(); ++i)
        out += fieldsOf(*list.get(i)) + ";";
    return out;
}

// The line a writer gives for the instant now.
std::string lineAt(const VnTime& now, const std::string& rest) {
    return "[" + str(now.ascii()) + "]\t" + std::to_string(now.value()) + "\t" + rest;
}

class VnHistoryTest : public TempDirTest {
protected:
    VnString base() const { return VnString(root.c_str()); }
    std::string jobFile(int jobid) const { return str(VnLog::joblogfile(base(), jobid, 8)); }
    std::string read(int jobid) const {
        VnHistoryList out;
        VnHistory::query(base(), jobid, out);
        return fieldsOf(out);
    }
};

}  // namespace

TEST(VnHistory, PackedFormsAndCopies) {
    VnHistory blank;
    EXPECT_EQ(fieldsOf(blank), "-1,-1,0,,");
    VnHistory h;
    h.jobid(12);
    h.subid(3);
    h.stamp(VnTime(700));
    h.comment("done (a<b)");
    h.workid("frame7");
    const std::string binary = kVersion + intField(1, 12) + intField(2, 3) +
                               objField(4, VN_TYPE_TIME, intField(1, 700)) + strField(3, "done (a<b)") +
                               strField(5, "frame7");
    EXPECT_EQ(packed(h), binary);
    const std::string document =
        objectXML("history",
                  "\t<job_id>12</job_id>\n\t<sub_id>3</sub_id>\n\t<stamp>\n\t\t<object type = 'time'>\n"
                  "\t\t\t<value>700</value>\n\t\t</object>\n\t</stamp>\n\t<comment>done (a&lt;b)</comment>\n"
                  "\t<work_id>frame7</work_id>\n");
    EXPECT_EQ(packed(h, true), document);
    for (bool xml : {false, true}) {
        VnHistory back;
        ASSERT_EQ(unpackInto(back, xml ? document : binary, xml), 0);
        EXPECT_EQ(fieldsOf(back), "12,3,700,frame7,done (a<b)") << xml;
    }

    VnHistory copied(h), assigned, viaCopy;
    assigned = h;
    viaCopy.copy(h);
    viaCopy.copy(viaCopy);
    for (const VnHistory* c : {&copied, &assigned, &viaCopy})
        EXPECT_EQ(fieldsOf(*c), "12,3,700,frame7,done (a<b)");
    VnHistoryList list, listBack;
    list.push(new VnHistory(h));
    ASSERT_EQ(unpackInto(listBack, packed(list, true), true), 0);
    EXPECT_EQ(fieldsOf(listBack), "12,3,700,frame7,done (a<b);");
    EXPECT_EQ(list.type() * 100 + h.type(), VN_TYPE_HISTORY_LIST * 100 + VN_TYPE_HISTORY);
}

// Lines written by the three writers and read back by the four readers.
TEST_F(VnHistoryTest, LinesWrittenAndQueriedBack) {
    VnTime before;
    before.setToNow();
    const VnString job = VnHistory::data(12, "started", "by ann");
    const VnString subjob = VnHistory::data(12, 3, "done\r\n", "ok\tfine");
    const VnString work = VnHistory::data(12, VnString("frame\t7\n"), "done", "n1\r");
    VnTime after;
    after.setToNow();
    const bool same = before.value() == after.value();
    const VnTime& at = same ? before : after;  // the instant of the last line, when the clock ticked
    EXPECT_EQ(str(work), lineAt(at, "work\t12\tframe 7 \tdone (n1 )\n"));
    if (same) {
        EXPECT_EQ(str(job), lineAt(at, "job\t12\t-1\tstarted (by ann)\n"));
        EXPECT_EQ(str(subjob), lineAt(at, "subjob\t12\t3\tdone   (ok\tfine)\n"));
    }

    VnLog::jobbuilddir(base(), 12);
    for (const VnString* line : {&job, &subjob, &work})
        VnFile::append(VnLog::joblogfile(base(), 12, 8), *line);
    VnHistoryList all;
    VnHistory::query(base(), 12, all);
    ASSERT_EQ(all.length(), 3);
    EXPECT_GE(all.get(0)->stamp().value(), before.value());
    EXPECT_EQ(all.get(2)->stamp().value(), at.value());
    const std::string stamp = std::to_string(at.value());
    const std::string subjobStamp = std::to_string(all.get(1)->stamp().value());
    EXPECT_EQ(fieldsOf(all), fieldsOf(*all.get(0)) + ";12,3," + subjobStamp + ",,done   (ok\tfine);12,-1," +
                                 stamp + ",frame 7 ,done (n1 );");
    EXPECT_EQ(str(all.get(0)->comment()), "started (by ann)");

    VnHistoryList some;
    VnHistory::query(base(), 12, VnString("frame 7 "), some);
    VnHistory::query(base(), 12, VnString("frame"), some);
    VnHistory::query(base(), 12, 3, some);
    EXPECT_EQ(fieldsOf(some),
              "12,-1," + stamp + ",frame 7 ,done (n1 );12,3," + subjobStamp + ",,done   (ok\tfine);");

    VnLog::hostbuilddir(base(), "n1");
    VnFile::append(VnLog::hostlogfile(base(), "n1", 208), job);
    VnHistoryList host;
    VnHistory::queryHost(base(), "n1", host);
    VnHistory::queryHost(base(), "n2", host);  // no file: nothing
    ASSERT_EQ(host.length(), 1);
    EXPECT_EQ(fieldsOf(*host.get(0)).substr(0, 6), "12,-1,");
}

TEST_F(VnHistoryTest, ReadersTakeLinesAsTheyStand) {
    VnLog::jobbuilddir(base(), 12);
    spit(jobFile(12),
         "[T]\t700\tsubjob\t12\t3\tdone (x)\n"
         "\n"
         "[T]\t701\twork\t12\tframe7\tsent\t(a\tb)\r\n"
         "[T]\t702\twork\t12\tlast\tz\n"
         "[T]\t703\tjob\t99abc\t-1\tmoved (y)\n"
         "[T]\tx\tWORK\t12\n"
         "[T]\t704\tsubjob\t12\t0\tnone\n"
         "[T]\t705\twork\t12\t0x\tzero");
    EXPECT_EQ(read(12),
              "12,3,700,,done (x);12,-1,701,frame7,sent\t(a\tb)\r;12,-1,702,last,z;99,-1,703,,moved (y);"
              "12,-1,0,,;12,0,704,,none;12,-1,705,0x,zero;");

    VnHistoryList work, subjob, appended;
    VnHistory::query(base(), 12, VnString("frame7"), work);
    VnHistory::query(base(), 12, VnString("frame"), work);
    EXPECT_EQ(fieldsOf(work), "12,-1,701,frame7,sent\t(a\tb)\r;");
    VnHistory::query(base(), 12, 0, subjob);  // work names that do not start with a number read as 0
    EXPECT_EQ(fieldsOf(subjob), "12,0,701,,sent\t(a\tb)\r;12,0,702,,z;12,0,704,,none;12,0,705,,zero;");

    appended.push(new VnHistory());
    VnHistory::query(base(), 13, appended);  // no file
    VnHistory::query(base(), 12, 3, appended);
    EXPECT_EQ(fieldsOf(appended), "-1,-1,0,,;12,3,700,,done (x);");
}

// Megabytes of history: one long line and many short ones.
TEST_F(VnHistoryTest, LargeInputs) {
    VnLog::jobbuilddir(base(), 5);
    std::string text = "[T]\t1\tjob\t5\t-1\t" + std::string(3 << 20, '\t') + "\n";
    for (int i = 0; i < 50000; ++i)
        text += "[T]\t2\twork\t5\tf" + std::to_string(i % 10) + "\tdone\n";
    spit(jobFile(5), text);
    VnHistoryList all;
    VnHistory::query(base(), 5, all);
    ASSERT_EQ(all.length(), 50001);
    EXPECT_EQ(all.get(0)->comment().length(), (64 << 10) - 15);  // the line is cut at 64 KiB
    VnHistoryList one;
    VnHistory::query(base(), 5, vs("f3"), one);
    EXPECT_EQ(one.length(), 5000);
}

// A line longer than 64 KiB gives the record of its first 64 KiB, wherever the cut falls; a
// line of exactly 64 KiB is whole, and the lines after a cut one read as usual.
TEST_F(VnHistoryTest, LongLinesAreCutAt64KiB) {
    VnLog::jobbuilddir(base(), 5);
    const std::string work = "[T]\t1\twork\t5\t";    // 13 bytes
    const std::string job = "[T]\t3\tjob\t5\t-1\t";  // 15 bytes
    spit(jobFile(5), work + "w\t" + std::string(5 << 20, 'c') + "\n[T]\t2\tsubjob\t5\t4\tnext\n" + work +
                         std::string(70000, 'n') + "\tlost\n" + job + std::string(65536 - 15, 'j') + "\n" +
                         job + std::string(65536 - 15, 'k') + "K\n[T]\t4\tjob\t5\t-1\tz");
    VnHistoryList all;
    VnHistory::query(base(), 5, all);
    EXPECT_TRUE(fieldsOf(all) == "5,-1,1,w," + std::string(65536 - 15, 'c') + ";5,4,2,,next;5,-1,1," +
                                     std::string(65536 - 13, 'n') + ",;5,-1,3,," +
                                     std::string(65536 - 15, 'j') + ";5,-1,3,," +
                                     std::string(65536 - 15, 'k') + ";5,-1,4,,z;");
}

// Megabytes of junk lines: each would be a record, but the records may take only 32 bytes per
// byte read plus 16 MiB, so the reading stops early, keeps what it made and says so.
TEST_F(VnHistoryTest, JunkLinesStopAtTheMemoryAllowance) {
    VnLog::jobbuilddir(base(), 5);
    constexpr int kLines = 2 << 20;
    std::string junk;
    for (int i = 0; i < kLines; ++i)
        junk += "x\n";
    spit(jobFile(5), junk);
    const std::string debug = at("debug.log");
    IN_CHILD({
        vn_debug_filename(debug.c_str(), 0);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long long before = usage.ru_maxrss * 1024ll;
        VnHistoryList all;
        VnHistory::query(base(), 5, all);
        getrusage(RUSAGE_SELF, &usage);
        EXPECT_LE(usage.ru_maxrss * 1024ll - before, 32ll * 2 * kLines + (16 << 20));
        ASSERT_GT(all.length(), 0);
        EXPECT_LT(all.length(), kLines);
        EXPECT_EQ(fieldsOf(*all.get(all.length() - 1)), "0,-1,0,,");
        VnHistoryList none;  // a filter that takes no line makes no record and is not cut
        VnHistory::query(base(), 5, VnString("x"), none);
        EXPECT_EQ(none.length(), 0);
        EXPECT_EQ(logMessages(debug),
                  std::vector<std::string>{"ERROR: history file " + jobFile(5) + " cut short."});
    });
}

// A history file of 2 GiB or more is not read at all, however little of it is on disk, and the
// debug log says so; one byte less is read as usual (here its junk lines stop the reading at the
// memory allowance, as the debug log says too). A file that fits is read whole and silently.
TEST_F(VnHistoryTest, FilesOf2GiBOrMoreAreNotRead) {
    std::string junk;
    for (int i = 0; i < (512 << 10); ++i)
        junk += "x\n";
    const long long sizes[] = {2ll << 30, 4ll << 30, (2ll << 30) - 1};
    for (int i = 0; i < 3; ++i) {
        VnLog::jobbuilddir(base(), 6 + i);
        spit(jobFile(6 + i), i == 1 ? "" : junk);
        ASSERT_EQ(truncate(jobFile(6 + i).c_str(), sizes[i]), 0);  // sparse: no disk taken
    }
    VnLog::jobbuilddir(base(), 5);
    spit(jobFile(5), "[T]\t1\tjob\t5\t-1\ta\n[T]\t2\tsubjob\t5\t1\tb\n[T]\t3\twork\t5\tf\tc");
    const std::string debug = at("debug.log");
    IN_CHILD({
        vn_debug_filename(debug.c_str(), 0);
        EXPECT_EQ(read(5), "5,-1,1,,a;5,1,2,,b;5,-1,3,f,c;");
        const long long before = bytesReadSoFar();
        EXPECT_EQ(read(6), "");
        EXPECT_EQ(read(7), "");
        VnHistoryList some;
        VnHistory::query(base(), 8, some);
        EXPECT_GT(some.length(), 1000);
        EXPECT_LT(bytesReadSoFar() - before, 2ll << 20);
        EXPECT_EQ(logMessages(debug),
                  (std::vector<std::string>{"ERROR: history file " + jobFile(6) + " too large, not read.",
                                            "ERROR: history file " + jobFile(7) + " too large, not read.",
                                            "ERROR: history file " + jobFile(8) + " cut short."}));
    });
}

namespace {

// Lines that the hook adds to the history file named here when a reader has taken its size:
// more than one read block, so that a read bounded wrongly past the size would take some.
std::string grownHistory;
constexpr int kLateLines = 5000;  // of 20 bytes each
void addHistoryLines(int) {
    std::string late;
    for (int i = 0; i < kLateLines; ++i)
        late += "[T]\t9\tjob\t4\t-1\tlate\n";
    VnFile::append(grownHistory.c_str(), VnString(late.c_str()));
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

}  // namespace

// A history file that grows while it is queried gives the lines it held when it was opened. The
// file is past one read block (64 KiB) and the lines added are more than one block, so a read
// that went on past the size taken at the open would take some of them.
TEST_F(VnHistoryTest, LinesAddedDuringAQueryAreLeftOut) {
    VnLog::jobbuilddir(base(), 4);
    grownHistory = jobFile(4);
    std::string lines;
    for (int i = 0; i < 2500; ++i)  // 85000 bytes
        lines += "[T]\t1\tjob\t4\t-1\ta\n[T]\t2\twork\t4\tf\tb\n";
    spit(grownHistory, lines);
    _vn_after_size = addHistoryLines;
    const std::string first = read(4);
    VnHistoryList work;
    VnHistory::query(base(), 4, VnString("f"), work);
    _vn_after_size = nullptr;
    EXPECT_EQ(std::to_string(count(first, "4,-1,1,,a;")) + " " + std::to_string(count(first, "4,-1,2,f,b;")) +
                  " " + std::to_string(count(first, "late")) + " " + std::to_string(work.length()) + " " +
                  std::to_string(count(fieldsOf(work), "4,-1,2,f,b;")),
              "2500 2500 0 2500 2500");
    const std::string after = read(4);  // both queries added their lines
    EXPECT_EQ(std::to_string(count(after, ";")) + " " + std::to_string(count(after, "4,-1,9,,late;")),
              std::to_string(5000 + 2 * kLateLines) + " " + std::to_string(2 * kLateLines));
}
