#include "system/VnTime.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <ctime>
#include <sstream>
#include <string>

#include "job/VnHistory.h"
#include "net/VnClient.h"
#include "testing/TestRecords.h"
#include "testing/TestSupervisor.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

void easternTime() {
    setenv("TZ", "EST5EDT", 1);
    tzset();
}

// The value read from a date line, starting from value 7.
int read(const char* text) {
    VnTime t(7);
    t.ascii(text);
    return t.value();
}

// A date line read, then shown again.
std::string reshown(const char* text) {
    VnTime t;
    t.ascii(text);
    return str(t.ascii());
}

std::string tokens(const VnString& text) {
    VnStringList list;
    vn_time_tokenize(text, list);
    return str(list.join("|"));
}

std::string user() {
    return getpwuid(getuid())->pw_name;
}

long long localClock() {
    return static_cast<long long>(std::time(nullptr)) - 946702800;
}

}  // namespace

TEST(VnTime, DateLinesWeekdaysAndHours) {
    easternTime();
    const int march5 = 226400647;  // Mar 5, 2007 9:04:07 EST
    EXPECT_EQ(str(VnTime(march5).ascii()), "Mar 5, 2007 9:04:07");
    EXPECT_EQ(str(VnTime(0).ascii()) + str(VnTime(1).ascii()) + "|" + str(VnTime(-1).ascii()),
              "NoneJan 1, 2000 0:00:01|Dec 31, 1999 23:59:59");
    std::ostringstream out;
    out << VnTime(march5);
    EXPECT_EQ(out.str(), "Mar 5, 2007 9:04:07");

    std::string days;
    for (int d = 0; d < 7; ++d)
        days += str(VnTime(march5 + d * 86400).day()) + " ";
    EXPECT_EQ(days, "Mon Tues Wed Thurs Fri Sat Sun ");
    EXPECT_EQ(VnTime(march5).hour(), 9);

    EXPECT_EQ(read("Mar 5, 2007 9:04:07"), march5);
    // Read as standard time, shown in daylight-saving time; an unknown month is January.
    EXPECT_EQ(reshown("Feb 29, 2004 23:59:58") + "|" + reshown("Jul 4, 2007 12:00:00") + "|" +
                  reshown("Foo 3, 2007"),
              "Feb 29, 2004 23:59:58|Jul 4, 2007 13:00:00|Jan 3, 2007 0:00:00");
    // No comma in third place, too few tokens, or a year that the value cannot hold: unchanged.
    EXPECT_EQ(read("Mar 3 2007 10:00:00") + read("Mar 3,") + read("Jan 1, 2100") + read("Jan 1, -2147483648"),
              28);

    VnTime t;
    t.unixvalue(946702800);
    EXPECT_EQ(str(t.ascii()), "None");
    t.unixvalue(INT_MIN);  // held to the range instead of overflowing
    EXPECT_EQ(t.value(), INT_MIN);
    EXPECT_EQ(VnTime(INT_MAX).unixvalue(), INT_MAX);
    EXPECT_EQ(VnTime(-946702800).unixvalue(), 0);
}

TEST(VnTime, TokensAndDurations) {
    EXPECT_EQ(tokens("Mar 5, 2007 9:04:07"), "Mar|5|,|2007|9|:|04|:|07");
    EXPECT_EQ(tokens("a,,b"), "a|,|,|b");
    EXPECT_EQ(tokens(" \t\r\nx\ty:\n"), "x|y|:");
    EXPECT_EQ(tokens(""), "");

    std::string texts;
    for (int v : {0, 45, 119, 120, 150, 7199, 7200, 9000, -5, INT_MIN, INT_MAX})
        texts += str(VnTime(v).counter()) + "|";
    EXPECT_EQ(texts, "0 s|45 s|119 s|2.0 m|2.5 m|119.9 m|2.0 h|2.5 h|-5 s|-2147483648 s|596523.2 h|");
}

TEST(VnTime, PackedFormsAndCopies) {
    VnTime t(0x01020304), back, fromXML;
    EXPECT_EQ(packed(t), kVersion + intField(1, 0x01020304));
    EXPECT_EQ(packed(t, true), objectXML("time", "\t<value>16909060</value>\n"));
    ASSERT_EQ(unpackInto(back, packed(t)), 0);
    ASSERT_EQ(unpackInto(fromXML, objectXML("time", "\t<value>-3</value>\n"), true), 0);
    EXPECT_EQ(back.value() + fromXML.value(), 0x01020304 - 3);
    fromXML.copy(fromXML);
    VnTime copied(back);
    const VnTime& same = copied;
    copied = same;
    EXPECT_EQ(copied.value(), 0x01020304);
}

// A date line followed by megabytes of text: only the first tokens are read.
TEST(VnTime, LongTexts) {
    easternTime();
    std::string text = "Mar 5, 2007 9:04:07 ";
    for (int i = 0; i < 400000; ++i)
        text += "1,2:345 ";
    VnTime t;
    t.ascii(VnString(text.c_str()));
    EXPECT_EQ(t.value(), 226400647);
    VnStringList list;
    vn_time_tokenize(VnString(text.c_str()), list);
    EXPECT_EQ(list.length(), 9 + 400000 * 5);
}

// The clock's offset is process-wide, so every case runs in a child process. The cache files
// of the real user are put back as they were.
class VnTimeClock : public TempDirTest {
protected:
    SavedCacheFile cache{"/tmp/time_" + user() + ".tmp"};
};

TEST_F(VnTimeClock, CachedOffset) {
    IN_CHILD({
        spit(cache.path, "-3");
        const long long before = localClock();
        VnTime now;
        now.setToNow();
        EXPECT_LE(before - 3, now.value());
        EXPECT_LE(now.value(), localClock() - 3);
        spit(cache.path, "7");  // read once per process
        now.setToNow();
        EXPECT_EQ(VnTime::diff(), -3);
    });
    IN_CHILD({  // a later process reads the file again
        VnTime now;
        now.setToNow();
        EXPECT_EQ(VnTime::diff(), 7);
    });
    IN_CHILD({
        VnTime::setAsReference();
        const long long before = localClock();
        VnTime now;
        now.setToNow();
        EXPECT_LE(before, now.value());
        EXPECT_LE(now.value(), localClock());
        VnTime::syncToDatabase(VnTime(5));
        EXPECT_EQ(VnTime::diff(), 0);
    });
    // A file that is not a number gives the offset 0.
    spit(cache.path, "soon");
    IN_CHILD({
        VnTime().setToNow();
        EXPECT_EQ(VnTime::diff(), 0);
    });
}

TEST_F(VnTimeClock, OffsetFromTheSupervisor) {
    SavedCacheFile last("/tmp/supervisor_" + user() + ".tmp");
    IN_CHILD({
        TestSupervisor supervisor(TestSupervisor::Answer, 12345);
        _vn_supervisor = supervisor.host().c_str();
        const long long before = localClock();
        VnTime::syncToServer();
        const long long after = localClock();
        // The supervisor's time plus half the round trip, less the time of sending.
        EXPECT_GE(VnTime::diff(), 12345 - after);
        EXPECT_LE(VnTime::diff(), 12345 - before + (after - before) / 2);
        EXPECT_EQ(cache.contents(), std::to_string(VnTime::diff()));
        EXPECT_EQ(supervisor.lastTag(), 107);
        VnTime::setAsReference();  // no further measuring
        VnTime::syncToServer();
        EXPECT_EQ(VnTime::diff() + supervisor.requests(), 1);
    });
    IN_CHILD({
        TestSupervisor supervisor(TestSupervisor::Answer, -50000);
        VnTime::syncToServer(VnString(supervisor.host().c_str()));
        EXPECT_LT(VnTime::diff(), -50000);
        EXPECT_EQ(cache.contents(), std::to_string(VnTime::diff()));
    });
}

TEST_F(VnTimeClock, NoOffsetWithoutAnAnswer) {
    SavedCacheFile last("/tmp/supervisor_" + user() + ".tmp");
    spit(cache.path, "5");
    const std::string log = at("debug.log");
    IN_CHILD({
        vn_debug_filename(log.c_str(), 0);
        VnTime::syncToServer("127.0.0.1:1");  // nothing listens there
        EXPECT_EQ(VnTime::diff(), 0);
        const std::vector<std::string> lines = logMessages(log);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "ERROR: unable to connect to host: Connection refused");
        EXPECT_EQ(lines[1], "ERROR: couldn't obtain time from supervisor.");
        for (TestSupervisor::Mode mode : {TestSupervisor::NoContent, TestSupervisor::OtherContent}) {
            TestSupervisor supervisor(mode);
            VnTime::syncToServer(VnString(supervisor.host().c_str()));
            EXPECT_EQ(VnTime::diff() * 10 + supervisor.requests(), 1);
        }
        EXPECT_EQ(logMessages(log).size(), 2u);
    });
    EXPECT_EQ(cache.contents(), "5");  // left as it was
}

// The offset is the reference less the local clock, whatever offset was in force.
TEST_F(VnTimeClock, OffsetFromAGivenTime) {
    spit(cache.path, "1000");
    IN_CHILD({
        for (int round = 0; round < 2; ++round) {
            const long long before = localClock();
            VnTime::syncToDatabase(VnTime(900000000));
            EXPECT_LE(VnTime::diff(), 900000000 - before);
            EXPECT_GE(VnTime::diff(), 900000000 - localClock());
        }
        const long long before = localClock();
        VnTime::syncToDatabase(VnTime(900000000));
        VnTime now;
        now.setToNow();  // the offset is established: the file is not read
        EXPECT_GE(now.value(), 900000000);
        EXPECT_LE(now.value(), 900000000 + localClock() - before);
    });
}

// A user id without an entry in the user database reads the clock; the cache file then
// carries "uid" and the number in place of a login name.
TEST(VnTimeUnknownUser, ReadsTheClockWithoutALoginName) {
    if (geteuid() != 0) GTEST_SKIP() << "needs to take another user id";
    uid_t unknown = 54321;
    while (getpwuid(unknown) != nullptr)
        ++unknown;
    SavedCacheFile cache("/tmp/time_uid" + std::to_string(unknown) + ".tmp");
    std::ofstream(cache.path) << "-3";
    ASSERT_EQ(chown(cache.path.c_str(), unknown, 0), 0);
    IN_CHILD({
        ASSERT_EQ(setuid(unknown), 0);
        VnTime now;
        now.setToNow();
        EXPECT_EQ(VnTime::diff(), -3);
        EXPECT_NE(now.value(), 0);
        // A history line takes its time the same way.
        EXPECT_NE(str(VnHistory::data(7, "a", "b")).find("\tjob\t7\t-1\ta (b)\n"), std::string::npos);
    });
}
