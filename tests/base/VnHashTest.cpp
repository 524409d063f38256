#include "base/VnHash.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>

#include "base/VnIntHash.h"
#include "base/VnStringHash.h"
#include "testing/TestRecords.h"

// A typed hash declared the way every later typed hash is.
VN_DECLARE_HASH(TestItemHash, TestItem, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST)

namespace {

using Entries = std::map<std::string, std::string>;

Entries contents(VnStringHash& hash) {
    VnBaseList<VnString> keys;
    hash.copykeys(keys);
    Entries entries;
    for (int i = 0; i < keys.length(); ++i)
        entries[keys.get(i)->value()] = hash.get(*keys.get(i))->value();
    return entries;
}

// Keys of 16 blocks "ab" or "ha": both blocks hash alike, so every key has one hash value.
VnString collidingKey(int i) {
    std::string key;
    for (int b = 0; b < 16; ++b)
        key += (i >> b) & 1 ? "ha" : "ab";
    return VnString(key.c_str());
}

}  // namespace

TEST(VnHash, WorkedExampleEmptyHashAndPairsByPosition) {
    VnStringHash hash, back, empty;
    hash.set(new VnString("b"), "a");
    const std::string fields = intField(1, 1) + strField(10, "a") + strField(30, "b");
    ASSERT_EQ(fields.size(), 26u);
    EXPECT_EQ(packed(hash), kVersion + fields);
    EXPECT_EQ(packed(hash, true), objectXML("string_hash", "\t<key>a</key>\n\t<element>b</element>\n"));
    EXPECT_EQ(packed(empty), kVersion + intField(1, 0));
    EXPECT_EQ(packed(empty, true), objectXML("string_hash", ""));
    EXPECT_EQ(unpackInto(*static_cast<VnPack*>(&back), kVersion + fields), 0);
    // Reading an empty hash in either form changes nothing.
    EXPECT_EQ(unpackInto(back, packed(empty)) + unpackInto(back, packed(empty, true), true), 0);
    EXPECT_EQ(contents(back), (Entries{{"a", "b"}}));
    // Pairs are taken by position, a repeated key keeps the later value, and the entries held stay.
    unpackInto(back, kVersion + intField(1, 3) + strField(10, "k") + strField(30, "first") +
                         strField(10, "k") + strField(30, "later") + strField(10, "n") + strField(30, "v"));
    EXPECT_EQ(contents(back), (Entries{{"a", "b"}, {"k", "later"}, {"n", "v"}}));
    VnStringHash counted;  // a count below the pairs present: only the pairs it names are read
    unpackInto(counted, kVersion + intField(1, 1) + strField(10, "a") + strField(30, "1") +
                            strField(10, "b") + strField(30, "2"));
    EXPECT_EQ(contents(counted), (Entries{{"a", "1"}}));
    VnStringHash shortRun;  // fewer pairs than announced; a value of another tag stays empty
    unpackInto(shortRun, kVersion + intField(1, INT_MAX) + strField(10, "a") + strField(31, "x"));
    EXPECT_EQ(contents(shortRun), (Entries{{"a", ""}}));
    const std::string pairs =
        "\t<key>a</key>\n\t<element>1</element>\n\t<key>b</key>\n\t<element>2</element>\n";
    const std::string third = "\t<key2>c</key2>\n\t<element2>3</element2>\n";
    VnStringHash xml;
    EXPECT_EQ(unpackInto(xml, objectXML("string_hash", pairs + third), true), 0);
    EXPECT_EQ(contents(xml), (Entries{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    VnStringHash hidden;  // no "key1": "key2" is never reached
    unpackInto(hidden, objectXML("string_hash", "\t<key>a</key>\n\t<element>1</element>\n" + third), true);
    EXPECT_EQ(contents(hidden), (Entries{{"a", "1"}}));
}

TEST(VnHash, RoundTripsNullValuesRecordValuesAndCopies) {
    Entries entries = {{"amp", "a&b"}, {"", "empty key"}};
    for (int i = 0; i < 300; ++i)
        entries["k" + std::to_string(i)] = std::to_string(i * 7);
    VnStringHash hash;
    for (const auto& entry : entries)
        hash.set(new VnString(entry.second.c_str()), entry.first.c_str());
    hash.set(nullptr, "gone");  // counted, but not written
    EXPECT_EQ(packed(hash).substr(4, 8), intField(1, 303));
    TestItemHash items;  // record values pack as nested objects
    items.set(new TestItem(42, 0, ""), "answer");
    const std::string start = intField(1, 1) + strField(10, "answer") + field(30, 4, be32(TEST_TYPE_ITEM));
    EXPECT_EQ(packed(items).substr(4, start.size()), start);
    for (bool xml : {false, true}) {
        VnStringHash back;
        TestItemHash backItems;
        EXPECT_EQ(unpackInto(back, packed(hash, xml), xml), 0);
        EXPECT_EQ(contents(back), entries) << xml;
        EXPECT_EQ(unpackInto(backItems, packed(items, xml), xml), 0);
        EXPECT_TRUE(backItems.get("answer") && backItems.get("answer")->id == 42);
    }
    VN_DECLARE_HASH(CopyableHash, VnString, 56, "string_hash")
    CopyableHash source;  // copied deeply by the copy constructor
    source.set(new VnString("v"), "k");
    CopyableHash copy(source);
    source.get("k")->copy("changed");
    EXPECT_STREQ(copy.get("k")->value(), "v");
}

// A few megabytes of pairs whose keys all share one hash value come back from both forms, as do
// the extreme values; a pair without its value field (binary) or element (XML) stores 0.
TEST(VnIntHash, WorkedExampleMissingValuesAndManyCollidingKeys) {
    VnIntHash hash;
    hash.set(-5, "k");
    EXPECT_EQ(packed(hash), kVersion + intField(1, 1) + strField(10, "k") + intField(30, -5));
    EXPECT_EQ(packed(hash, true), objectXML("int_hash", "\t<key>k</key>\n\t<element>-5</element>\n"));
    const int count = 1 << 16;
    for (int i = 0; i < count; ++i)
        hash.set(i - count / 2, collidingKey(i));
    hash.set(INT_MAX, "max");
    hash.set(INT_MIN, "min");
    const std::string binary =
        kVersion + intField(1, 2) + strField(10, "a") + intField(31, 9) + strField(10, "b") + intField(30, 4);
    const std::string xml =
        objectXML("int_hash", "\t<key>a</key>\n\t<key1>b</key1>\n\t<element1>4</element1>\n");
    for (bool isXML : {false, true}) {
        VnIntHash back, missing;
        const std::string form = packed(hash, isXML);
        ASSERT_GT(form.size(), 2u << 20);
        ASSERT_EQ(unpackInto(back, form, isXML), 0);
        EXPECT_EQ(packed(back).substr(4, 8), intField(1, count + 3));
        EXPECT_TRUE(back.get("k") == -5 && back.get("max") == INT_MAX && back.get("min") == INT_MIN);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(back.get(collidingKey(i)), i - count / 2) << i;
        EXPECT_EQ(unpackInto(missing, isXML ? xml : binary, isXML), 0);
        EXPECT_EQ(packed(missing).substr(4, 8), intField(1, 2));  // both keys stored
        EXPECT_TRUE(missing.get("a") == 0 && missing.get("b") == 4) << isXML;
    }
    // A stray field at the start of a pair leaves its key empty; the key after it starts the next pair.
    VnIntHash stray;
    stray.set(7, "");
    unpackInto(stray, kVersion + intField(1, 2) + strField(99, "x") + strField(10, "a") + intField(30, 5));
    EXPECT_EQ(packed(stray).substr(4, 8), intField(1, 2));
    EXPECT_TRUE(stray.get("") == 0 && stray.get("a") == 5);
}
