#include "job/VnJobStats.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), std::size_t(s.length()));
}

VnJobStats filled() {
    VnJobStats s;
    s.jobid(12);
    s.subid(3);
    s.maxthreads(8);
    s.start(VnTime(100));
    s.end(VnTime(100 + 7560));
    s.maxmemory(2048);
    s.maxswap(512);
    s.host("node1");
    return s;
}

// The "time: [...] n" group of the statistics line.
std::string timeGroup(const VnJobStats& s) {
    const std::string line = str(s.data());
    const std::size_t from = line.find("time: ");
    return line.substr(from, line.find('\t', from) - from);
}

}  // namespace

TEST(VnJobStats, DataLine) {
    setenv("TZ", "EST5EDT", 1);
    tzset();
    EXPECT_EQ(str(VnJobStats().data()),
              "-1.-1\tstart: [None] 0\tend: [None] 0\ttime: [0 s] 0\thost: \tthread: 0\tmem: 0\tswap: 0\n");
    EXPECT_EQ(str(filled().data()),
              "12.3\tstart: [Jan 1, 2000 0:01:40] 100\tend: [Jan 1, 2000 2:07:40] 7660\ttime: [2.1 h] 7560\t"
              "host: node1\tthread: 8\tmem: 2048\tswap: 512\n");

    // Elapsed times: minutes, a negative span, and spans beyond the int range held to it.
    const struct {
        int start, end;
        const char* group;
    } spans[] = {
        {10, 10 + 150, "time: [2.5 m] 150"},
        {500, 400, "time: [-100 s] -100"},
        {-2000000000, 2000000000, "time: [596523.2 h] 2147483647"},
        {2000000000, -2000000000, "time: [-2147483648 s] -2147483648"},
        {INT_MIN, INT_MAX, "time: [596523.2 h] 2147483647"},
    };
    for (const auto& span : spans) {
        VnJobStats s;
        s.start(VnTime(span.start));
        s.end(VnTime(span.end));
        EXPECT_EQ(timeGroup(s), span.group) << span.start << " " << span.end;
    }
}

TEST(VnJobStats, TallyKeepsThePeaks) {
    VnJobStats total = filled();
    VnJobStats smaller = filled();
    smaller.maxthreads(7);
    smaller.maxmemory(-1);
    smaller.maxswap(INT_MIN);
    smaller.jobid(99);
    total.tally(smaller);
    VnJobStats unchanged = filled();
    EXPECT_EQ(packed(total), packed(unchanged));

    VnJobStats fresh, negative, larger;
    negative.maxthreads(-5);
    negative.maxmemory(-5);
    negative.maxswap(-5);
    fresh.tally(negative);
    EXPECT_EQ(packed(fresh), packed(larger));

    larger.maxthreads(9);  // each figure by itself; ids, times and host stay
    larger.maxswap(600);
    larger.host("other");
    larger.start(VnTime(1));
    total.tally(larger);
    EXPECT_EQ(std::to_string(total.maxthreads()) + "," + std::to_string(total.maxmemory()) + "," +
                  std::to_string(total.maxswap()) + "," + str(total.host()) + "," +
                  std::to_string(total.start().value()) + "," + std::to_string(total.jobid()),
              "9,2048,600,node1,100,12");
}

TEST(VnJobStats, PackedFormsAndCopies) {
    VnJobStats s = filled();
    const std::string binary = kVersion + intField(1, 12) + intField(2, 3) + intField(3, 8) +
                               objField(4, 33, intField(1, 100)) + objField(5, 33, intField(1, 7660)) +
                               intField(6, 2048) + intField(7, 512) + strField(8, "node1");
    const std::string xml = objectXML(
        "job_stats",
        "\t<job_id>12</job_id>\n\t<sub_id>3</sub_id>\n\t<threads>8</threads>\n"
        "\t<start>\n\t\t<object type = 'time'>\n\t\t\t<value>100</value>\n\t\t</object>\n\t</start>\n"
        "\t<end>\n\t\t<object type = 'time'>\n\t\t\t<value>7660</value>\n\t\t</object>\n\t</end>\n"
        "\t<max_memory>2048</max_memory>\n\t<max_swap>512</max_swap>\n\t<host>node1</host>\n");
    EXPECT_EQ(packed(s), binary);
    EXPECT_EQ(packed(s, true), xml);
    VnJobStats back, fromXML, partial;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
    partial.maxswap(7);  // an absent field keeps its value
    ASSERT_EQ(unpackInto(partial, kVersion + intField(6, 1)), 0);
    EXPECT_EQ(partial.maxswap() * 10 + partial.maxmemory(), 71);

    VnJobStats copied(s), assigned, viaCopy;
    assigned = s;
    viaCopy.copy(s);
    viaCopy.copy(viaCopy);
    for (VnJobStats* c : {&copied, &assigned, &viaCopy})
        EXPECT_EQ(packed(*c), binary);
}
