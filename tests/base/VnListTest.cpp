#include "base/VnList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/VnStringList.h"
#include "tests/support/TestRecords.h"

// A typed list declared the way every later typed list is.
VN_DECLARE_LIST(TestItemVnList, TestItem, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST)

namespace {

using Items = std::vector<std::string>;

std::string be32(int v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8), static_cast<char>(u)};
}
std::string intField(int tag, int v) { return be32(tag << 16 | 1) + be32(v); }
std::string strField(int tag, const std::string& s) { return be32(tag << 16 | 3) + be32(static_cast<int>(s.size())) + s; }
const std::string kVersion = be32(1);

std::string packed(VnPack& p, bool xml = false) {
    xml ? p.packXML() : p.pack();
    return std::string(p.packContents(), static_cast<std::size_t>(p.packSize()));
}
// Reads from a buffer of exactly the given size, so an overread is caught. XML is wrapped as
// the archive reader wraps it.
int unpackInto(VnPack& p, const std::string& text, bool xml = false) {
    std::vector<char> data;
    for (const std::string& part : xml ? Items{"<pack>\n", text, "\n</pack>"} : Items{text})
        data.insert(data.end(), part.begin(), part.end());
    return xml ? p.unpackXML(data.data(), static_cast<int>(data.size())) : p.unpack(data.data(), static_cast<int>(data.size()));
}

void fill(VnStringList& list, const Items& items) {
    for (const std::string& item : items) list.push(new VnString(item.c_str(), static_cast<int>(item.size())));
}
Items contents(const VnStringList& list) {
    Items items;
    for (int i = 0; i < list.length(); ++i) items.emplace_back(list.get(i)->value(), list.get(i)->length());
    return items;
}

TestItem* item(int id) {
    auto* made = new TestItem();
    made->id = id;
    return made;
}

const std::string kXMLExample =
    "<version>1</version>\n<object type = 'string_list'>\n\t<item>a</item>\n\t<item>bc</item>\n</object>";

}  // namespace

TEST(VnList, StringListWorkedExamplesBothWays) {
    VnStringList list;
    fill(list, {"a", "bc"});
    const std::string bytes = kVersion + intField(1, 2) + strField(10, "a") + strField(10, "bc");
    ASSERT_EQ(bytes.size(), 31u);
    EXPECT_EQ(packed(list), bytes);
    ASSERT_EQ(kXMLExample.size(), 93u);
    EXPECT_EQ(packed(list, true), kXMLExample);

    for (bool xml : {false, true}) {
        VnStringList back;
        VnPack* asPack = &back;
        EXPECT_EQ(unpackInto(*asPack, xml ? kXMLExample : bytes, xml), 0);
        EXPECT_EQ(contents(back), (Items{"a", "bc"}));
    }

    VnStringList empty;
    EXPECT_EQ(packed(empty), kVersion + intField(1, 0));
    EXPECT_EQ(packed(empty, true), "<version>1</version>\n<object type = 'string_list'>\n</object>");
}

TEST(VnList, DecodeAppendsAndTakesAtMostCountFields) {
    const std::string a = strField(10, "a"), b = strField(10, "b"), c = strField(10, "c");
    VnStringList list;
    fill(list, {"x", "y"});
    EXPECT_EQ(unpackInto(list, kVersion + intField(1, 3) + a + b + c), 0);
    EXPECT_EQ(contents(list), (Items{"x", "y", "a", "b", "c"}));

    const std::string runs[] = {intField(1, 2) + a + b + c, intField(1, 5) + a + b, a + b,
                                intField(1, 2) + strField(11, "a") + b};
    const Items expected[] = {{"a", "b"}, {"a", "b"}, {}, {"", "b"}};
    for (int i = 0; i < 4; ++i) {
        VnStringList read;
        unpackInto(read, kVersion + runs[i]);
        EXPECT_EQ(contents(read), expected[i]) << "run " << i;
    }
}

TEST(VnList, RecordListPacksNestedObjects) {
    TestItemVnList list;
    for (int i = 1; i <= 3; ++i) list.push(item(i));
    const std::string bytes = packed(list);
    EXPECT_EQ(bytes.substr(4, 16), intField(1, 3) + be32(10 << 16 | 4) + be32(TEST_TYPE_ITEM));
    for (bool xml : {false, true}) {
        TestItemVnList back;
        back.push(item(0));
        EXPECT_EQ(unpackInto(back, packed(list, xml), xml), 0);
        ASSERT_EQ(back.length(), 4);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(back.get(i)->id, i);
    }

    // An element of another class number is appended as a default item, and ends the reading.
    std::string foreign = bytes;
    foreign[19] = 99;
    TestItemVnList mixed;
    unpackInto(mixed, foreign);
    ASSERT_EQ(mixed.length(), 1);
    EXPECT_EQ(mixed.get(0)->id, -1);
}

TEST(VnList, NullElementPacksAsDefault) {
    VnStringList strings;
    strings.push(new VnString("a"));
    strings.push(nullptr);
    EXPECT_EQ(packed(strings), kVersion + intField(1, 2) + strField(10, "a") + strField(10, ""));
    EXPECT_EQ(packed(strings, true),
              "<version>1</version>\n<object type = 'string_list'>\n\t<item>a</item>\n\t<item></item>\n</object>");

    TestItemVnList items;
    items.push(nullptr);
    TestItemVnList back;
    unpackInto(back, packed(items));
    ASSERT_EQ(back.length(), 1);
    EXPECT_EQ(back.get(0)->id, -1);
}

TEST(VnList, AwkwardValuesRoundTripInOrderAndAssign) {
    const Items values = {"a&b", "<x>", "", "two\nlines", "tab\there", "1 > 0", "last"};
    for (bool xml : {false, true}) {
        VnStringList list;
        fill(list, values);
        VnStringList back;
        EXPECT_EQ(unpackInto(back, packed(list, xml), xml), 0);
        EXPECT_EQ(contents(back), values) << (xml ? "xml" : "binary");
        back = list;  // a deep copy, without the pack buffer
        EXPECT_EQ(contents(back), values);
        EXPECT_NE(back.get(0), list.get(0));
        EXPECT_EQ(back.packContents(), nullptr);
    }
}

TEST(VnStringList, JoinAndSort) {
    auto join = [](const Items& items, const char* separator) {
        VnStringList list;
        fill(list, items);
        return list.join(separator);
    };
    EXPECT_TRUE(join({}, ",").isundef());
    EXPECT_TRUE(join({"", ""}, "").isundef());
    EXPECT_STREQ(join({"x"}, ",").value(), "x");
    EXPECT_STREQ(join({"a", "", "b"}, ",").value(), "a,,b");

    VnStringList list;
    fill(list, {"b", "", "a"});
    list.sort();
    EXPECT_EQ(contents(list), (Items{"", "a", "b"}));
    list.sort([](VnString* a, VnString* b) { return -vn_string_sort_func(a, b); });
    EXPECT_EQ(contents(list), (Items{"b", "a", ""}));
    VnString z("z");
    EXPECT_EQ(vn_string_sort_func(&z, nullptr), 1);  // a null element ranks as empty
}
