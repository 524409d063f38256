#include "base/VnList.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <utility>

#include "base/VnStringList.h"
#include "testing/TestRecords.h"

// A typed list declared the way every later typed list is.
VN_DECLARE_LIST(TestItemVnList, TestItem, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST)

namespace {

void fill(VnStringList& list, std::initializer_list<const char*> items) {
    for (const char* item : items)
        list.push(new VnString(item));
}

}  // namespace

TEST(VnList, StringListWorkedExamplesNullsAndRoundTrips) {
    VnStringList list, empty;
    fill(list, {"a", "bc"});
    const std::string bytes = kVersion + intField(1, 2) + strField(10, "a") + strField(10, "bc");
    const std::string xml = objectXML("string_list", "\t<item>a</item>\n\t<item>bc</item>\n");
    ASSERT_EQ(bytes.size(), 31u);
    EXPECT_EQ(packed(list), bytes);
    EXPECT_EQ(packed(list, true), xml);
    EXPECT_EQ(packed(empty), kVersion + intField(1, 0));
    EXPECT_EQ(packed(empty, true), objectXML("string_list", ""));
    list.push(nullptr);  // packed as an empty string, so the count stays true
    fill(list, {"a&b", "two\nlines", "tab\there"});
    for (bool isXML : {false, true}) {
        VnStringList back, copy;
        EXPECT_EQ(unpackInto(*static_cast<VnPack*>(&back), isXML ? xml : bytes, isXML), 0);
        EXPECT_STREQ(back.join("|").value(), "a|bc");
        EXPECT_EQ(unpackInto(back, packed(list, isXML), isXML), 0);  // appended, in order
        copy = back;
        EXPECT_STREQ(copy.join("|").value(), "a|bc|a|bc||a&b|two\nlines|tab\there");
        EXPECT_NE(copy.get(0), back.get(0));  // a deep copy
    }
}

TEST(VnList, DecodeAppendsAndTakesAtMostCountFields) {
    const std::string a = strField(10, "a"), b = strField(10, "b"), c = strField(10, "c");
    const std::string runs[] = {intField(1, 3) + a + b + c, intField(1, 2) + a + b + c,
                                intField(1, INT_MAX) + a + b, a + b, intField(1, 2) + strField(11, "a") + b};
    const char* expected[] = {"x|a|b|c", "x|a|b", "x|a|b", "x", "x||b"};
    for (int i = 0; i < 5; ++i) {
        VnStringList read;
        read.push(new VnString("x"));
        EXPECT_EQ(unpackInto(read, kVersion + runs[i]), 0);
        EXPECT_STREQ(read.join("|").value(), expected[i]);
    }
}

TEST(VnList, RecordListPacksNestedObjects) {
    TestItemVnList list;
    for (int i = 1; i <= 3; ++i)
        list.push(new TestItem(i, 0, ""));
    list.push(nullptr);  // packed as a default item
    EXPECT_EQ(packed(list).substr(4, 16), intField(1, 4) + field(10, 4, be32(TEST_TYPE_ITEM)));
    for (bool xml : {false, true}) {
        TestItemVnList back;
        back.push(new TestItem());
        EXPECT_EQ(unpackInto(back, packed(list, xml), xml), 0);
        ASSERT_EQ(back.length(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(back.get(i)->id, i % 4 == 0 ? -1 : i);
    }
}

TEST(VnStringList, JoinAndSort) {
    VnStringList none, blanks, list;
    fill(blanks, {"", ""});
    fill(list, {"b", "", "a"});
    EXPECT_TRUE(none.join(",").isundef());
    EXPECT_TRUE(blanks.join("").isundef());
    EXPECT_STREQ(list.join(",").value(), "b,,a");
    list.sort();
    EXPECT_STREQ(list.join("|").value(), "|a|b");
}

// A moved list packs as it did and keeps its element objects; the moved-from list packs as empty
// and reads again.
TEST(VnStringList, MoveKeepsTheElementsAndThePacking) {
    VnStringList list, target, empty;
    fill(list, {"a", "bc"});
    fill(target, {"old"});
    const std::string form = packed(list);
    const VnString* first = list.get(0);
    VnStringList taken(std::move(list));
    target = std::move(taken);
    EXPECT_TRUE(packed(target) == form && target.get(0) == first && target.length() == 2);
    EXPECT_TRUE(packed(list) == packed(empty) && packed(taken, true) == packed(empty, true));
    EXPECT_EQ(unpackInto(list, form), 0);
    EXPECT_STREQ(list.join("|").value(), "a|bc");
}
