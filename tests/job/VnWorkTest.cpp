#include "job/VnWork.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

std::string str(const VnString& s) {
    return std::string(s.value(), s.length());
}

// Every field, in the binary form.
std::string bytesOf(const VnWork& w) {
    VnWork copy(w);
    return packed(copy);
}

VnWork filled() {
    VnWork w;
    w.name("0042");
    w.subid(3);
    w.host("node1");
    w.status(VnStatus(336));
    w.address(VnAddress(0x0A000005));
    w.pid(12);
    w.data("d");
    w.id(7);
    w.result("r");
    w.retry(2);
    w.count(4);
    w.dependency("dep");
    w.percent(55);
    w.lastupdate(100);
    w.seq(9);
    w.timestart(200);
    w.timecomplete(300);
    return w;
}

// A nested object of one "value" element, one level down.
std::string valueXML(const std::string& name, const std::string& type, const std::string& value) {
    return "\t<" + name + ">\n\t\t<object type = '" + type + "'>\n\t\t\t<value>" + value +
           "</value>\n\t\t</object>\n\t</" + name + ">\n";
}

std::string workXML(const VnWork& w) {
    auto el = [](const char* name, const std::string& v) {
        return "\t<" + std::string(name) + ">" + v + "</" + name + ">\n";
    };
    auto n = [](int v) { return std::to_string(v); };
    return objectXML("work",
                     el("name", str(w.name())) + el("sub_id", n(w.subid())) + el("host", str(w.host())) +
                         valueXML("status", "status", n(w.status().integervalue())) +
                         valueXML("address", "address", n(int(w.address().value()))) + el("pid", n(w.pid())) +
                         el("data", str(w.data())) + el("id", n(w.id())) + el("result", str(w.result())) +
                         el("retry", n(w.retry())) + el("count", n(w.count())) +
                         el("dependency", str(w.dependency())) + el("percent", n(w.percent())) +
                         valueXML("last_update", "time", n(w.lastupdate().value())) + el("seq", n(w.seq())) +
                         valueXML("time_start", "time", n(w.timestart().value())) +
                         valueXML("time_complete", "time", n(w.timecomplete().value())));
}

}  // namespace

TEST(VnWork, DefaultsWorkIdSidAndStatus) {
    VnWork w;
    EXPECT_EQ(str(w.workid()) + "|" + std::to_string(w.sid(4)), "-1:|-1");
    w.pid(10);
    EXPECT_EQ(w.sid(4), 2);
    w.pid(7);
    EXPECT_EQ(std::to_string(w.sid(-3)) + std::to_string(w.sid(0)) + std::to_string(w.sid(-1)), "100");
    EXPECT_EQ(str(filled().workid()), "12:0042");

    w.status(VnStatus(VnStatus::RUNNING));
    EXPECT_EQ(w.running() * 10000 + w.active() * 1000 + w.assigned() * 100 + w.done() * 10 + w.none(), 11100);

    char text[] = "abcdef";
    w.name(text, 3);
    w.host(text, 0);
    w.data(nullptr, 4);
    EXPECT_EQ(str(w.name()) + "|" + str(w.host()) + "|" + std::to_string(w.data().isundef()), "abc||1");
}

TEST(VnWork, PackedFormsByteForByte) {
    VnWork blank;
    const std::string times = objField(14, 33, intField(1, 0)) + intField(15, 0) +
                              objField(16, 33, intField(1, 0)) + objField(17, 33, intField(1, 0));
    EXPECT_EQ(packed(blank), kVersion + strField(1, "") + intField(2, -1) + strField(3, "") +
                                 objField(4, 2, intField(1, 0)) + objField(5, 13, intField(1, 0)) +
                                 intField(6, -1) + strField(7, "") + intField(8, -1) + strField(9, "") +
                                 intField(10, 0) + intField(11, 0) + strField(12, "") + intField(13, 0) +
                                 times);
    EXPECT_EQ(packed(blank, true), workXML(blank));

    VnWork w = filled();
    const std::string binary = packed(w);
    EXPECT_EQ(binary, kVersion + strField(1, "0042") + intField(2, 3) + strField(3, "node1") +
                          objField(4, 2, intField(1, 336)) + objField(5, 13, intField(1, 0x0A000005)) +
                          intField(6, 12) + strField(7, "d") + intField(8, 7) + strField(9, "r") +
                          intField(10, 2) + intField(11, 4) + strField(12, "dep") + intField(13, 55) +
                          objField(14, 33, intField(1, 100)) + intField(15, 9) +
                          objField(16, 33, intField(1, 200)) + objField(17, 33, intField(1, 300)));
    const std::string document = packed(w, true);
    EXPECT_EQ(document, workXML(w));

    VnWork back, fromXML, partial;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
    partial.percent(80);  // absent fields keep their values, in either form
    ASSERT_EQ(unpackInto(partial, kVersion + intField(15, 5) + intField(13, 1) + intField(13, 2)), 0);
    ASSERT_EQ(unpackInto(fromXML, objectXML("work", "\t<seq>6</seq>\n"), true), 0);
    EXPECT_EQ(
        std::to_string(partial.percent()) + std::to_string(partial.seq()) + std::to_string(fromXML.percent()),
        "2555");
}

TEST(VnWork, CopiesTakeEveryField) {
    VnWork source = filled();
    source.data().secure(1);
    VnWork copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    viaCopy.copy(viaCopy);
    for (const VnWork* w : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(bytesOf(*w), bytesOf(source));
        EXPECT_EQ(w->data().secure(), 1);
    }
    source.status().value(32);  // a deep copy: nothing is shared
    source.lastupdate().value(1);
    EXPECT_EQ(copied.status().integervalue() + copied.lastupdate().value(), 436);
}

TEST(VnWork, ListsAndHashes) {
    VnWorkList list;
    list.status = VnStatus(VnStatus::RUNNING);
    list.tally.add(VnStatus::RUNNING, 3);
    list.push(new VnWork(filled()));
    const std::string body = packed(*list.get(0)).substr(4);
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 14, body));

    VnWorkList back;
    ASSERT_EQ(unpackInto(back, packed(list, true), true), 0);
    EXPECT_EQ(bytesOf(*back.get(0)) + "|" + std::to_string(back.status.integervalue()) +
                  std::to_string(back.tally.total()) + std::to_string(back.type()) + str(back.typeXML()),
              bytesOf(filled()) + "|0015work_list");
    back = list;  // the elements alone
    EXPECT_EQ(std::to_string(back.length()) + std::to_string(back.status.integervalue()) +
                  std::to_string(back.tally.total()),
              "100");

    VnWorkHash hash, hashBack;
    hash.set(new VnWork(filled()), VnString("12:0042"));
    ASSERT_EQ(unpackInto(hashBack, packed(hash)), 0);
    ASSERT_NE(hashBack.get(VnString("12:0042")), nullptr);
    EXPECT_EQ(bytesOf(*hashBack.get(VnString("12:0042"))) + std::to_string(hashBack.type()),
              bytesOf(filled()) + "70");
}
