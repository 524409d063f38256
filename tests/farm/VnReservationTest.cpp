#include "farm/VnReservation.h"

#include <gtest/gtest.h>

#include <string>

#include "farm/VnReservationHash.h"
#include "testing/TestRecords.h"

namespace {

// "class|name|value|count" of the item.
std::string parsed(const char* item) {
    VnReservation r{VnString(item)};
    return str(r.classname()) + "|" + str(r.name()) + "|" + str(r.value()) + "|" + std::to_string(r.count());
}

}  // namespace

TEST(VnReservation, ItemsAndCounts) {
    EXPECT_EQ(parsed("host.processors=2") + " " + parsed("host.processors = 16") + " " +
                  parsed("host.processors=all") + " " + parsed("host.memory"),
              "host|processors|2|2 host|processors|16|16 host|processors|all|1 host|memory||1");
    EXPECT_EQ(parsed("license.render=5"), "license|render|5|1");  // only hosts count units
    for (const char* odd : {"host.p=0", "host.p=2x", "host.p=2147483648", "host.p=+2", "host.p="})
        EXPECT_EQ(VnReservation(VnString(odd)).count(), 1) << odd;
    EXPECT_EQ(parsed("host.p=2147483647"), "host|p|2147483647|2147483647");
    EXPECT_EQ(str(VnReservation(VnString("a.b.c=d=e")).key()) + "|" + str(VnReservation(VnString("x")).key()),
              "a.b.c|x.");
}

TEST(VnReservation, RecordListAndHashInBothForms) {
    VnReservation r{VnString("host.processors=2")};
    const std::string fields = strField(1, "host") + strField(2, "processors");
    EXPECT_EQ(packed(r), kVersion + fields + strField(3, "2"));
    EXPECT_EQ(
        packed(r, true),
        objectXML("reservation", "\t<class>host</class>\n\t<name>processors</name>\n\t<value>2</value>\n"));
    VnReservationList list;
    list.push(new VnReservation(r));
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 27, packed(r).substr(4)));
    VnReservationHash hash, copy;
    hash.revert("host.processors=4");
    const std::string bytes = packed(hash);
    EXPECT_EQ(bytes, kVersion + intField(1, 1) + strField(10, "host.processors") +
                         objField(30, 27, fields + strField(3, "4")));
    for (bool xml : {false, true}) {
        VnReservation back;
        VnReservationHash read;
        ASSERT_EQ(unpackInto(back, packed(r, xml), xml) + unpackInto(read, packed(hash, xml), xml), 0);
        copy = read;
        EXPECT_TRUE(packed(back) == packed(r) && packed(copy) == bytes) << xml;
    }
    EXPECT_EQ(str(copy.typeXML()) + std::to_string(copy.type()), "reservation_hash68");
}

TEST(VnReservationHash, RevertKeysEveryItemAndTheLaterOfTwoWins) {
    VnReservationHash hash;
    hash.revert("old.one");
    hash.revert(" host.processors=2, license.comp = 3 ,,host.memory,host.processors=8,");
    EXPECT_EQ(hash.length(), 3);
    EXPECT_EQ(hash.get("old.one"), nullptr);  // revert starts afresh
    ASSERT_NE(hash.get("host.processors"), nullptr);
    EXPECT_EQ(hash.get("host.processors")->count(), 8);
    EXPECT_EQ(str(hash.get("license.comp")->value()) + "|" + str(hash.get("host.memory")->value()), "3|");
    hash.revert("");
    EXPECT_EQ(hash.length(), 0);

    std::string text;  // a few megabytes: stays proportional
    for (int i = 0; i < 200000; ++i)
        text += "host.r" + std::to_string(i % 1000) + "=" + std::to_string(i) + ",";
    hash.revert(VnString(text.data(), static_cast<int>(text.size())));
    EXPECT_EQ(hash.length(), 1000);
    EXPECT_EQ(hash.get("host.r999")->count(), 199999);
}

TEST(VnReservationList, RevertKeepsEveryItemInOrderAndConvertGivesItBack) {
    VnReservationList list;
    EXPECT_EQ(std::to_string(list.type()) + str(list.typeXML()), "28reservation_list");
    list.revert("old.one");
    list.revert(" host.processors=2, license.comp = 3 ,,host.memory,host.processors=8,");
    ASSERT_EQ(list.length(), 4);  // revert starts afresh; a key that comes again stays
    EXPECT_EQ(list.get(0)->count() + list.get(3)->count(), 10);
    const VnString text = list.convert();
    EXPECT_EQ(str(text), "host.processors=2,license.comp=3,host.memory,host.processors=8");

    VnReservationList back;
    back.revert(text);
    EXPECT_EQ(packed(back), packed(list));
    EXPECT_EQ(packed(back),
              kVersion + intField(1, 4) +
                  objField(10, 27, strField(1, "host") + strField(2, "processors") + strField(3, "2")) +
                  objField(10, 27, strField(1, "license") + strField(2, "comp") + strField(3, "3")) +
                  objField(10, 27, strField(1, "host") + strField(2, "memory") + strField(3, "")) +
                  objField(10, 27, strField(1, "host") + strField(2, "processors") + strField(3, "8")));
    // A quoted value keeps its comma through both ways.
    back.revert("license.pool=\"a,b\",x.y");
    ASSERT_EQ(back.length(), 2);
    EXPECT_EQ(str(back.convert()), "license.pool=\"a,b\",x.y");
    back.revert("");
    EXPECT_EQ(back.length(), 0);
    EXPECT_EQ(str(back.convert()), "");
    back.push(nullptr);  // a slot without a reservation writes nothing
    back.push(new VnReservation(VnString("a.b")));
    EXPECT_EQ(str(back.convert()), "a.b");

    std::string many;  // a few megabytes: stays proportional
    for (int i = 0; i < 200000; ++i)
        many += "host.r" + std::to_string(i % 1000) + "=" + std::to_string(i) + ",";
    list.revert(vs(many));
    ASSERT_EQ(list.length(), 200000);
    EXPECT_EQ(list.get(199999)->count(), 199999);
    EXPECT_EQ(str(list.convert()) + ",", many);
}
