#include "job/VnCallback.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/job/FormChecks.h"
#include "tests/support/TempDir.h"

namespace {

VnCallback filled() {
    VnCallback c;
    c.id(3);
    c.pid(12);
    c.code("print 'a<b'");
    c.triggers("done-job-a");
    c.language(2);
    c.maximum(9);
    c.count(4);
    c.user("ann");
    c.ready("done-job-a 1");
    c.lastupdate(VnTime(700));
    return c;
}

std::vector<Line> linesOf(int id, int pid, const char* code, const char* triggers, int language, int max,
                          int count, const char* user, const char* ready, int time = 0) {
    // clang-format off
    return {intLine(1, "id", id), intLine(10, "pid", pid), strLine(3, "code", code),
        strLine(6, "triggers", triggers), intLine(2, "language", language), intLine(5, "max", max),
        intLine(4, "count", count), strLine(9, "user", user), strLine(8, "ready", ready),
        timeLine(11, "lastupdate", time)};
    // clang-format on
}

// The sorted names (or name=value pairs) that the triggers (or the ready text) give.
std::set<std::string> eventsOf(const std::string& triggers) {
    VnCallback c;
    c.triggers(VnString(triggers.data(), int(triggers.size())));
    VnEventList events;
    c.triggers(events);
    std::set<std::string> names;
    for (int i = 0; i < events.length(); ++i)
        names.insert(str(events.get(i)->fullname()));
    return names;
}
std::set<std::string> pairsOf(const std::string& ready) {
    VnCallback c;
    c.ready(VnString(ready.data(), int(ready.size())));
    VnStringHash hash;
    c.ready(hash);
    VnStringList keys;
    hash.copykeys(keys);
    std::set<std::string> pairs;
    for (int i = 0; i < keys.length(); ++i)
        pairs.insert(str(*keys.get(i)) + "=" + str(*hash.get(*keys.get(i))));
    return pairs;
}

}  // namespace

TEST(VnCallback, PackedFormsAndCopies) {
    VnCallback blank, c = filled(), partial;
    expectForms(blank, "callback", linesOf(-1, -1, "", "", 5, -1, 0, "", "0"));
    expectForms(c, "callback",
                linesOf(3, 12, "print 'a<b'", "done-job-a", 2, 9, 4, "ann", "done-job-a 1", 700));
    expectCopies(c);
    // Absent fields keep their values.
    ASSERT_EQ(unpackInto(partial, kVersion + intField(40, 1) + strField(9, "bo") + intField(2, 7)), 0);
    EXPECT_EQ(packed(partial), binaryOf(linesOf(-1, -1, "", "", 7, -1, 0, "bo", "0")));
    VnCallbackList list;
    EXPECT_EQ(str(list.typeXML()) + std::to_string(list.type()), "callback_list47");
}

TEST(VnCallback, LanguagesAndSlots) {
    VnCallback c = filled();
    std::string words, numbers;
    for (int n = 0; n <= 9; ++n) {
        c.language(n);
        words += str(c.languagestring()) + ",";
    }
    EXPECT_EQ(words, "unknown,perl,python,tcl,vorn,unknown,post,mail,dependency,unknown,");
    for (const char* w : {"dependency", "post", "unknown", "Perl", "perl "}) {
        c.languagestring(w);
        numbers += std::to_string(c.language());
    }
    EXPECT_EQ(numbers, "86555");
    EXPECT_EQ(
        std::to_string(VnCallback().sid(4)) + "," + std::to_string(c.sid(5)) + "," + std::to_string(c.sid(0)),
        "-1,2,0");
}

TEST(VnCallback, TriggersAndReadyPairs) {
    using Set = std::set<std::string>;
    EXPECT_EQ(eventsOf("(done-job-a || done-job-a) && failed-subjob-b-* && done-host-a-b && x"),
              (Set{"done-job-a", "failed-subjob-b-*"}));
    EXPECT_EQ(eventsOf("done-host-a-b || (x) && done"), Set{});
    VnCallback c;
    c.triggers("done-time-t-5");
    VnEventList events;
    events.push(new VnEvent());
    c.triggers(events);  // appends
    ASSERT_EQ(events.length(), 2);
    EXPECT_EQ(events.get(1)->category() * 100 + events.get(1)->start(), 805);

    EXPECT_EQ(pairsOf("0"), Set{});  // the default text
    EXPECT_EQ(pairsOf("done-job-a 1 failed-job-b 0"), (Set{"done-job-a=1", "failed-job-b=0"}));
    EXPECT_EQ(pairsOf("a 1 a 2,b 3"), (Set{"a=2", "b=3"}));  // any separator; a later pair wins
    EXPECT_EQ(pairsOf("a 1 b "), Set{"a=1"});                // no value byte after the blank
    EXPECT_EQ(pairsOf(" 1 a  b"), (Set{"=1", "a= "}));       // an empty name; a blank value

    std::string triggers, ready;  // megabytes each
    for (int i = 0; i < 200000; ++i) {
        triggers += "done-job-j" + std::to_string(i % 1000) + " || ";
        ready += "done-job-" + std::to_string(i) + " 1 ";
    }
    EXPECT_EQ(eventsOf(triggers).size() + pairsOf(ready).size(), 201000u);
}

class VnCallbackFile : public TempDirTest {};

TEST_F(VnCallbackFile, LoadMakesOneCallbackPerCompleteSection) {
    spit(at("cb"),
         "[done-job-render]\nlanguage = perl\ncode = {print 1}\nmax = 3\n"
         "[failed-job-render]\nlanguage = ruby\ncode = x\n[no-code]\nlanguage = perl\n");
    VnCallbackList list;
    list.load(VnString(at("cb").c_str()));
    list.load(VnString(at("cb").c_str()));  // appends again
    list.load(VnString(at("missing").c_str()));
    std::multiset<std::string> loaded;
    for (int i = 0; i < list.length(); ++i)
        loaded.insert(packed(*list.get(i)));
    const std::string render = binaryOf(linesOf(-1, -1, "print 1", "done-job-render", 1, 3, 0, "", "0")),
                      failed = binaryOf(linesOf(-1, -1, "x", "failed-job-render", 5, -1, 0, "", "0"));
    EXPECT_EQ(loaded, (std::multiset<std::string>{render, render, failed, failed}));
}
