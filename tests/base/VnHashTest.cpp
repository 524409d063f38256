#include "base/VnHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "base/VnIntHash.h"
#include "base/VnStringHash.h"
#include "tests/support/TestRecords.h"

// A typed hash declared the way every later typed hash is.
VN_DECLARE_HASH(TestItemHash, TestItem, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST)

namespace {

using Entries = std::map<std::string, std::string>;

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
// XML is wrapped as the archive reader wraps it.
int unpackInto(VnPack& p, const std::string& text, bool xml = false) {
    std::string data = xml ? "<pack>\n" + text + "\n</pack>" : text;
    return xml ? p.unpackXML(&data[0], static_cast<int>(data.size())) : p.unpack(&data[0], static_cast<int>(data.size()));
}
std::string objectXML(const char* type, const std::string& fields) {
    return std::string("<version>1</version>\n<object type = '") + type + "'>\n" + fields + "</object>";
}

Entries contents(VnStringHash& hash) {
    VnBaseList<VnString> keys;
    hash.keys(keys);
    Entries entries;
    for (int i = 0; i < keys.length(); ++i) entries[keys.get(i)->value()] = hash.get(*keys.get(i))->value();
    keys.release();
    return entries;
}
void fill(VnStringHash& hash, const Entries& entries) {
    for (const auto& entry : entries) hash.set(new VnString(entry.second.c_str()), entry.first.c_str());
}

}  // namespace

TEST(VnHash, StringHashWorkedExampleAndEmptyHash) {
    VnStringHash hash;
    hash.set(new VnString("b"), "a");
    const std::string fields = intField(1, 1) + strField(10, "a") + strField(30, "b");
    ASSERT_EQ(fields.size(), 26u);
    EXPECT_EQ(packed(hash), kVersion + fields);
    EXPECT_EQ(packed(hash, true), objectXML("string_hash", "\t<key>a</key>\n\t<element>b</element>\n"));

    VnStringHash back;
    VnPack* asPack = &back;
    EXPECT_EQ(unpackInto(*asPack, kVersion + fields), 0);
    EXPECT_EQ(contents(back), (Entries{{"a", "b"}}));

    VnStringHash empty;  // reading an empty hash in either form changes nothing
    EXPECT_EQ(packed(empty), kVersion + intField(1, 0));
    EXPECT_EQ(packed(empty, true), objectXML("string_hash", ""));
    unpackInto(back, packed(empty));
    unpackInto(back, packed(empty, true), true);
    EXPECT_EQ(contents(back), (Entries{{"a", "b"}}));
}

TEST(VnHash, DecodeTakesPairsByPositionAndKeepsOthers) {
    VnStringHash hash;
    fill(hash, {{"old", "1"}, {"k", "0"}});
    unpackInto(hash, kVersion + intField(1, 3) + strField(10, "k") + strField(30, "first") + strField(10, "k") +
                         strField(30, "later") + strField(10, "n") + strField(30, "v"));
    EXPECT_EQ(contents(hash), (Entries{{"old", "1"}, {"k", "later"}, {"n", "v"}}));

    // Fewer pairs than announced keep what was read; a value of another tag stays empty.
    VnStringHash shortRun;
    unpackInto(shortRun, kVersion + intField(1, 4) + strField(10, "a") + strField(31, "x"));
    EXPECT_EQ(contents(shortRun), (Entries{{"a", ""}}));
}

TEST(VnHash, NullValueIsCountedButNotWritten) {
    VnStringHash hash;
    hash.set(nullptr, "gone");
    hash.set(new VnString("b"), "a");
    EXPECT_EQ(packed(hash), kVersion + intField(1, 2) + strField(10, "a") + strField(30, "b"));
    VnStringHash back;
    unpackInto(back, packed(hash));
    unpackInto(back, packed(hash, true), true);
    EXPECT_EQ(contents(back), (Entries{{"a", "b"}}));
}

TEST(VnHash, ManyAwkwardEntriesRoundTrip) {
    Entries entries = {{"amp", "a&b"}, {"lt", "<x>"}, {"empty", ""}, {"lines", "one\ntwo"}, {"", "empty key"}};
    for (int i = 0; i < 300; ++i) entries["k" + std::to_string(i)] = std::to_string(i * 7);
    for (bool xml : {false, true}) {
        VnStringHash hash;
        fill(hash, entries);
        VnStringHash back;
        EXPECT_EQ(unpackInto(back, packed(hash, xml), xml), 0);
        EXPECT_EQ(contents(back), entries) << (xml ? "xml" : "binary");
    }
}

TEST(VnHash, XMLPairsEndAtFirstMissingKey) {
    VnStringHash hash;
    const std::string pairs = "\t<key>a</key>\n\t<element>1</element>\n\t<key>b</key>\n\t<element>2</element>\n";
    const std::string third = "\t<key2>c</key2>\n\t<element2>3</element2>\n";
    EXPECT_EQ(unpackInto(hash, objectXML("string_hash", pairs + third), true), 0);
    EXPECT_EQ(contents(hash), (Entries{{"a", "1"}, {"b", "2"}, {"c", "3"}}));

    VnStringHash hidden;  // no "key1": "key2" is never reached
    unpackInto(hidden, objectXML("string_hash", "\t<key>a</key>\n\t<element>1</element>\n" + third), true);
    EXPECT_EQ(contents(hidden), (Entries{{"a", "1"}}));
}

TEST(VnHash, CopiesAreDeepAndKeepTheirOwnPackState) {
    VnStringHash a;
    fill(a, {{"x", "1"}});
    a.pack();
    VnStringHash b;
    fill(b, {{"z", "3"}});
    b = a;
    VN_DECLARE_HASH(CopyableHash, VnString, 56, "string_hash")
    CopyableHash source;
    source.set(new VnString("v"), "k");
    CopyableHash copy(source);
    a.get("x")->copy("changed");
    source.get("k")->copy("changed");
    EXPECT_EQ(contents(b), (Entries{{"x", "1"}}));
    EXPECT_EQ(b.packContents(), nullptr);
    EXPECT_STREQ(copy.get("k")->value(), "v");
}

TEST(VnHash, RecordValuesPackAsNestedObjects) {
    TestItemHash hash;
    hash.set(new TestItem(), "answer");
    hash.get("answer")->id = 42;
    const std::string start = intField(1, 1) + strField(10, "answer") + be32(30 << 16 | 4) + be32(TEST_TYPE_ITEM);
    EXPECT_EQ(packed(hash).substr(4, start.size()), start);
    for (bool xml : {false, true}) {
        TestItemHash back;
        unpackInto(back, packed(hash, xml), xml);
        ASSERT_NE(back.get("answer"), nullptr);
        EXPECT_EQ(back.get("answer")->id, 42);
    }
}

TEST(VnIntHash, RoundTripsAndMissingValuesReadAsZero) {
    VnIntHash one;
    one.set(7, "k");
    EXPECT_EQ(packed(one), kVersion + intField(1, 1) + strField(10, "k") + intField(30, 7));
    EXPECT_EQ(packed(one, true), objectXML("int_hash", "\t<key>k</key>\n\t<element>7</element>\n"));

    VnIntHash hash;
    hash.set(-5, "neg");
    hash.set(2147483647, "max");
    for (bool xml : {false, true}) {
        VnIntHash back;
        EXPECT_EQ(unpackInto(back, packed(hash, xml), xml), 0);
        EXPECT_EQ(back.get("neg"), -5);
        EXPECT_EQ(back.get("max"), 2147483647);
    }

    // A pair without its value field (binary) or element (XML) stores 0.
    const std::string binary = kVersion + intField(1, 2) + strField(10, "a") + intField(31, 9) + strField(10, "b") +
                               intField(30, 4);
    const std::string xml = objectXML("int_hash", "\t<key>a</key>\n\t<key1>b</key1>\n\t<element1>4</element1>\n");
    for (bool isXML : {false, true}) {
        VnIntHash missing;
        unpackInto(missing, isXML ? xml : binary, isXML);
        EXPECT_EQ(packed(missing).substr(4, 8), intField(1, 2));  // both keys stored
        EXPECT_EQ(missing.get("a"), 0);
        EXPECT_EQ(missing.get("b"), 4);
    }
}
