#include "job/VnCallback.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/TempDir.h"
#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

std::string fieldsOf(const VnCallback& c) {
    return std::to_string(c.id()) + "," + std::to_string(c.pid()) + "," + str(c.code()) + "," +
           str(c.triggers()) + "," + std::to_string(c.language()) + "," + std::to_string(c.maximum()) + "," +
           std::to_string(c.count()) + "," + str(c.user()) + "," + str(c.ready()) + "," +
           std::to_string(c.lastupdate().value());
}

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

TEST(VnCallback, PackedFormsByteForByte) {
    VnCallback blank;
    EXPECT_EQ(packed(blank), kVersion + intField(1, -1) + intField(10, -1) + strField(3, "") +
                                 strField(6, "") + intField(2, 5) + intField(5, -1) + intField(4, 0) +
                                 strField(9, "") + strField(8, "0") +
                                 objField(11, VN_TYPE_TIME, intField(1, 0)));
    EXPECT_EQ(
        packed(blank, true),
        objectXML("callback",
                  "\t<id>-1</id>\n\t<pid>-1</pid>\n\t<code></code>\n\t<triggers></triggers>\n"
                  "\t<language>5</language>\n\t<max>-1</max>\n\t<count>0</count>\n\t<user></user>\n"
                  "\t<ready>0</ready>\n\t<lastupdate>\n\t\t<object type = 'time'>\n\t\t\t<value>0</value>\n"
                  "\t\t</object>\n\t</lastupdate>\n"));

    VnCallback c = filled();
    const std::string binary = packed(c);
    EXPECT_EQ(binary, kVersion + intField(1, 3) + intField(10, 12) + strField(3, "print 'a<b'") +
                          strField(6, "done-job-a") + intField(2, 2) + intField(5, 9) + intField(4, 4) +
                          strField(9, "ann") + strField(8, "done-job-a 1") +
                          objField(11, VN_TYPE_TIME, intField(1, 700)));
    const std::string document = packed(c, true);
    EXPECT_EQ(
        document,
        objectXML("callback",
                  "\t<id>3</id>\n\t<pid>12</pid>\n\t<code>print 'a&lt;b'</code>\n"
                  "\t<triggers>done-job-a</triggers>\n\t<language>2</language>\n\t<max>9</max>\n"
                  "\t<count>4</count>\n\t<user>ann</user>\n\t<ready>done-job-a 1</ready>\n"
                  "\t<lastupdate>\n\t\t<object type = 'time'>\n\t\t\t<value>700</value>\n\t\t</object>\n"
                  "\t</lastupdate>\n"));

    VnCallback back, fromXML, partial;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    ASSERT_EQ(unpackInto(partial, kVersion + intField(40, 1) + strField(9, "bo") + intField(2, 7)), 0);
    EXPECT_EQ(fieldsOf(back), fieldsOf(c));
    EXPECT_EQ(fieldsOf(fromXML), fieldsOf(c));
    EXPECT_EQ(fieldsOf(partial), "-1,-1,,,7,-1,0,bo,0,0");  // absent fields keep their values

    VnCallbackList list;
    EXPECT_EQ(str(list.typeXML()) + std::to_string(list.type()), "callback_list47");
}

TEST(VnCallback, CopiesLanguagesAndSlots) {
    const VnCallback source = filled();
    VnCallback copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    viaCopy.copy(viaCopy);
    EXPECT_EQ(fieldsOf(copied) + "|" + fieldsOf(assigned) + "|" + fieldsOf(viaCopy),
              fieldsOf(source) + "|" + fieldsOf(source) + "|" + fieldsOf(source));

    std::string words, numbers;
    for (int n = 0; n <= 9; ++n) {
        copied.language(n);
        words += str(copied.languagestring()) + ",";
    }
    EXPECT_EQ(words, "unknown,perl,python,tcl,vorn,unknown,post,mail,dependency,unknown,");
    for (const char* w : {"dependency", "post", "unknown", "Perl", "perl "}) {
        copied.languagestring(w);
        numbers += std::to_string(copied.language());
    }
    EXPECT_EQ(numbers, "86555");

    EXPECT_EQ(std::to_string(VnCallback().sid(4)) + "," + std::to_string(source.sid(5)) + "," +
                  std::to_string(source.sid(0)),
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
        loaded.insert(fieldsOf(*list.get(i)));
    EXPECT_EQ(loaded,
              (std::multiset<std::string>{
                  "-1,-1,print 1,done-job-render,1,3,0,,0,0", "-1,-1,print 1,done-job-render,1,3,0,,0,0",
                  "-1,-1,x,failed-job-render,5,-1,0,,0,0", "-1,-1,x,failed-job-render,5,-1,0,,0,0"}));
}
