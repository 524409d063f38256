#include "base/VnPack.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "tests/support/TestRecords.h"

namespace {

std::string be16(int v) { return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)}; }

std::string be32(int v) {
    const auto u = static_cast<std::uint32_t>(v);
    return be16(static_cast<int>(u >> 16)) + be16(static_cast<int>(u & 0xFFFF));
}

std::string hex(const char* text) {
    std::string bytes;
    for (const char* p = text; *p; p += (p[2] == ' ') ? 3 : 2) bytes += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    return bytes;
}

std::string field(int tag, int code, const std::string& payload) { return be16(tag) + be16(code) + payload; }
std::string intField(int tag, int v) { return field(tag, 1, be32(v)); }
std::string strField(int tag, const std::string& s) { return field(tag, 3, be32(static_cast<int>(s.size())) + s); }
std::string objField(int tag, int number, const std::string& body) {
    return field(tag, 4, be32(number) + be32(static_cast<int>(body.size())) + body);
}
const std::string kVersion = be32(1);

std::string packed(VnPack& p) {
    p.pack();
    return std::string(p.packContents(), static_cast<std::size_t>(p.packSize()));
}

// Reads from a buffer of exactly the given size, so an overread is caught.
int unpackInto(VnPack& p, const std::string& bytes) {
    std::vector<char> data(bytes.begin(), bytes.end());
    return p.unpack(data.data(), static_cast<int>(data.size()));
}

const std::string kListBody = hex("00 01 00 01 00 00 00 02 00 0A 00 03 00 00 00 01 61 00 0A 00 03 00 00 00 02 62 63");

struct ListHolder : TestRecord {
    TestStringList list;
    void encode() override { store(7, list); }
    void decode() override { restore(7, list); }
};

struct Tagged : VnPack {
    int value = 0;
    void encode() override { store(-32768, value); }
    void decode() override { restore(-32768, value); }
    void encodeXML() override {}
    void decodeXML() override {}
};

struct Probe : Tagged {
    void encode() override {}
    int capacity() const { return packcapacity; }
};

}  // namespace

TEST(VnPack, WorkedExampleByteForByte) {
    TestStringList list;
    list.add("a");
    list.add("bc");
    const std::string bytes = packed(list);
    EXPECT_EQ(bytes.size(), 31u);
    EXPECT_EQ(bytes, kVersion + kListBody);

    TestStringList back;
    EXPECT_EQ(unpackInto(back, bytes), 0);
    ASSERT_EQ(back.items.size(), 2u);
    EXPECT_STREQ(back.items[0]->value(), "a");
    EXPECT_STREQ(back.items[1]->value(), "bc");

    ListHolder holder;
    holder.list.add("a");
    holder.list.add("bc");
    const std::string nested = packed(holder);
    EXPECT_EQ(nested, kVersion + hex("00 07 00 04 00 00 00 37 00 00 00 1B") + kListBody);
    ListHolder read;
    EXPECT_EQ(unpackInto(read, nested), 0);
    ASSERT_EQ(read.list.items.size(), 2u);
    EXPECT_STREQ(read.list.items[1]->value(), "bc");
}

TEST(VnPack, EveryTypeCodeByteForByteAndBack) {
    TestRecord r;
    r.number = 7;
    r.letter = 'x';
    r.text = "hi";
    r.item.id = 3;
    r.ratio = 2.5f;
    r.flag = 1;
    const std::string item = hex("00 01 00 01 00 00 00 03 00 02 00 02 00 00 03 00 03 00 00 00 00 "
                                 "00 05 00 05 00 00 00 00 00 06 00 06 00");
    EXPECT_EQ(packed(r), kVersion + hex("00 01 00 01 00 00 00 07 00 02 00 02 78 00 03 00 03 00 00 00 02 68 69 "
                                        "00 04 00 04 00 00 00 1F 00 00 00 22") +
                             item + hex("00 05 00 05 40 20 00 00 00 06 00 06 01"));

    r.item.child = std::make_unique<TestItem>();
    r.item.child->name = "deep";
    r.item.child->grade = -5;
    TestRecord back;
    EXPECT_EQ(unpackInto(back, packed(r)), 0);
    EXPECT_EQ(back.number, 7);
    EXPECT_EQ(back.letter, 'x');
    EXPECT_STREQ(back.text.value(), "hi");
    EXPECT_EQ(back.item.id, 3);
    ASSERT_TRUE(back.item.child);
    EXPECT_STREQ(back.item.child->name.value(), "deep");
    EXPECT_EQ(back.item.child->grade, -5);
    EXPECT_EQ(back.ratio, 2.5f);
    EXPECT_EQ(back.flag, 1);

    // Floats are read from a float field and from an int field.
    EXPECT_EQ(unpackInto(back, kVersion + intField(5, -3)), 0);
    EXPECT_EQ(back.ratio, -3.0f);

    // A null C string is stored as an empty string.
    ListHolder holder;
    holder.store(3, static_cast<char*>(nullptr));
    holder.store(3, const_cast<char*>("ab"));
    EXPECT_EQ(std::string(holder.packContents(), 18), strField(3, "") + strField(3, "ab"));
}

TEST(VnPack, ResultCodes) {
    Probe empty;
    EXPECT_EQ(packed(empty), kVersion);
    EXPECT_EQ(unpackInto(empty, kVersion), 2);
    EXPECT_EQ(empty.packContents(), nullptr);

    TestRecord r;
    r.pack();
    char* const before = r.packContents();
    EXPECT_EQ(unpackInto(r, std::string(3, '\0')), 1);
    EXPECT_EQ(r.packContents(), before);
    EXPECT_EQ(r.unpack(nullptr, 8), 1);
    EXPECT_EQ(unpackInto(r, be32(2) + intField(1, 5)), 3);
    EXPECT_EQ(r.packContents(), nullptr);
    EXPECT_EQ(r.number, -1);
    EXPECT_EQ(unpackInto(r, kVersion + intField(1, 5)), 0);
    EXPECT_EQ(r.number, 5);
}

TEST(VnPack, SkipsUnknownFieldsAndFieldsOfAnotherType) {
    const std::string unknown = intField(99, 1) + field(99, 2, "c") + strField(99, "zz") +
                                objField(99, 12345, intField(1, 1)) + field(99, 5, be32(0)) + field(99, 6, "\x01");
    const std::string wrongType = field(6, 1, be32(1)) + strField(1, "x") + field(3, 2, "y");
    TestRecord r;
    EXPECT_EQ(unpackInto(r, kVersion + unknown + wrongType + intField(1, 42) + strField(3, "ok")), 0);
    EXPECT_EQ(r.number, 42);
    EXPECT_STREQ(r.text.value(), "ok");
    EXPECT_EQ(r.flag, 0);

    // An empty string leaves the target as it was, undefined or not.
    TestRecord s;
    EXPECT_EQ(unpackInto(s, kVersion + strField(3, "")), 0);
    EXPECT_TRUE(s.text.isundef());
    s.text = "keep";
    EXPECT_EQ(unpackInto(s, kVersion + strField(3, "")), 0);
    EXPECT_STREQ(s.text.value(), "keep");
}

TEST(VnPack, MalformedFieldEndsTheReading) {
    struct Case {
        const char* what;
        std::string bad;
        bool atEnd;  // truncations only make sense as the last bytes
    };
    const Case cases[] = {
        {"unknown type code", field(99, 7, be32(0)), false},
        {"type code 0 on a known tag", field(3, 0, ""), false},
        {"negative type code", field(99, -1, ""), false},
        {"string length -1", field(3, 3, be32(-1)), false},
        {"unknown string length -1", field(99, 3, be32(-1)), false},
        {"string beyond the data", field(3, 3, be32(100)), false},
        {"object length -1", field(4, 4, be32(TEST_TYPE_ITEM) + be32(-1)), false},
        {"object beyond the data", field(4, 4, be32(TEST_TYPE_ITEM) + be32(100)), false},
        {"unknown object beyond the data", field(99, 4, be32(0) + be32(100)), false},
        {"truncated int", field(1, 1, "\x01\x02"), true},
        {"truncated float", field(5, 5, "\x01"), true},
        {"char without payload", field(2, 2, ""), true},
        {"unknown char without payload", field(99, 6, ""), true},
        {"object header cut", field(4, 4, be32(TEST_TYPE_ITEM)), true},
        {"string length cut", field(3, 3, std::string(2, '\0')), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestRecord r;
        const std::string later = c.atEnd ? "" : strField(3, "late") + intField(6, 1);
        EXPECT_EQ(unpackInto(r, kVersion + intField(1, 5) + c.bad + later), 0);
        EXPECT_EQ(r.number, 5);
        EXPECT_TRUE(r.text.isundef());
        EXPECT_EQ(r.flag, 0);
        EXPECT_EQ(r.item.id, -1);
    }
}

TEST(VnPack, WrongNestedClassEndsOnlyTheObjectHoldingIt) {
    // The item's child carries class 30: the item stops there and misses its
    // id, while the record goes on after the item.
    const std::string item = objField(4, 30, intField(1, 9)) + intField(1, 8);
    TestRecord r;
    EXPECT_EQ(unpackInto(r, kVersion + objField(4, TEST_TYPE_ITEM, item) + intField(1, 7)), 0);
    EXPECT_EQ(r.number, 7);
    EXPECT_EQ(r.item.id, -1);
    ASSERT_TRUE(r.item.child);
    EXPECT_EQ(r.item.child->id, -1);

    TestRecord top;
    EXPECT_EQ(unpackInto(top, kVersion + objField(4, TEST_TYPE_RECORD, "") + intField(1, 7)), 0);
    EXPECT_EQ(top.number, -1);
}

TEST(VnPack, NestingDeeperThan256IsRefused) {
    // Level L holds its child (level L + 1) and then its id L.
    std::string body = intField(1, 300);
    for (int level = 299; level >= 0; --level) body = objField(4, TEST_TYPE_ITEM, body) + intField(1, level);
    TestItem top;
    EXPECT_EQ(unpackInto(top, kVersion + body), 0);
    TestItem* item = &top;
    for (int level = 0; level < 256; ++level) {
        ASSERT_EQ(item->id, level);
        ASSERT_TRUE(item->child);
        item = item->child.get();
    }
    EXPECT_EQ(item->id, -1);  // level 256 stopped at its refused child
    ASSERT_TRUE(item->child);
    EXPECT_EQ(item->child->id, -1);
    EXPECT_FALSE(item->child->child);
}

TEST(VnPack, NegativeTagOwnBufferAndCopies) {
    Tagged t;
    t.value = 5;
    EXPECT_EQ(packed(t), kVersion + hex("80 00 00 01") + be32(5));
    Tagged back;
    EXPECT_EQ(unpackInto(back, packed(t)), 0);
    EXPECT_EQ(back.value, 5);

    t.value = 0;
    EXPECT_EQ(t.unpack(t.packContents(), t.packSize()), 0);
    EXPECT_EQ(t.value, 5);
    EXPECT_EQ(t.packContents(), nullptr);

    t.pack();
    Tagged copy(t);
    EXPECT_EQ(copy.packContents(), nullptr);
    copy.pack();
    char* const own = copy.packContents();
    copy = t;
    EXPECT_EQ(copy.packContents(), own);
    EXPECT_NE(t.packContents(), own);
}

TEST(VnPack, BufferGrowthAndDebugPrint) {
    Probe p;
    p.pack();
    EXPECT_EQ(p.capacity(), 32);
    char zeros[28] = {};
    p._store(zeros, 28);
    EXPECT_EQ(p.capacity(), 32);
    p._store(p.packContents(), 32);  // its own bytes, while the buffer grows
    EXPECT_EQ(p.capacity(), 272);
    EXPECT_EQ(std::string(p.packContents() + 32, 4), kVersion);
    EXPECT_THROW(p._store(zeros, INT_MAX), std::bad_alloc);
    EXPECT_EQ(p.packSize(), 64);

    Probe q;
    q.pack();
    char high = static_cast<char>(0x80);
    q._store(&high, 1);
    testing::internal::CaptureStdout();
    q._debug_print();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 0 0 1 -128 \n");
}
