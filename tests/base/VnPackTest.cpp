#include "base/VnPack.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <stdexcept>
#include <string>

#include "base/VnStringList.h"
#include "testing/TestRecords.h"

namespace {

template <class T>
struct Peek : T {  // opens the capacity of the pack buffer
    using T::T;
    int capacity() const { return this->packcapacity; }
};

struct Tagged : Peek<TestItem> {  // the id alone, under the lowest tag; on demand a decode that throws
    bool failing = false;
    void encode() override { store(-32768, id); }
    void decode() override {
        if (failing) throw std::runtime_error("decode");
        restore(-32768, id);
    }
};

// How many children below top were read or written without a buffer of their own.
int childrenWithoutBuffer(TestItem& top) {
    int n = 0;
    for (TestItem* item = top.child.get(); item && !item->packContents() && !item->packSize();
         item = item->child.get())
        ++n;
    return n;
}

}  // namespace

TEST(VnPack, EveryTypeCodeAndNestedWorkedExampleByteForByte) {
    TestItem r(7, 'x', "hi", 2.5f, 1);
    r.child = std::make_shared<TestItem>(3, 0, "");
    const std::string zero(1, '\0');
    const std::string child =
        intField(1, 3) + field(2, 2, zero) + strField(3, "") + field(5, 5, be32(0)) + field(6, 6, zero);
    EXPECT_EQ(packed(r), kVersion + intField(1, 7) + field(2, 2, "x") + strField(3, "hi") +
                             field(4, 4, be32(31) + be32(34)) + child + field(5, 5, be32(0x40200000)) +
                             field(6, 6, "\x01"));
    r.child->child = std::make_shared<TestItem>(-1, -5, "deep");
    TestItem back;
    EXPECT_EQ(unpackInto(back, packed(r)), 0);
    EXPECT_EQ(packed(back), packed(r));
    EXPECT_TRUE(unpackInto(back, kVersion + intField(5, -3)) == 0 && back.weight == -3.0f);  // float from int
    back.store(3, static_cast<char*>(nullptr));  // a null C string is an empty string
    EXPECT_EQ(std::string(back.packContents(), 8), strField(3, ""));
    VnStringList list;  // stored by another object under tag 7
    list.push(new VnString("a"));
    list.push(new VnString("bc"));
    back._clear();
    back.store(7, list);
    EXPECT_EQ(std::string(back.packContents(), static_cast<std::size_t>(back.packSize())),
              field(7, 4, be32(55) + be32(27)) + intField(1, 2) + strField(10, "a") + strField(10, "bc"));
}

TEST(VnPack, ResultCodesOwnBufferAndCopies) {
    Tagged t;
    EXPECT_EQ(t.unpack(nullptr, 8), 1);
    t.id = 5;
    const std::string five = kVersion + std::string("\x80\x00\x00\x01", 4) + be32(5);  // tag -32768
    EXPECT_EQ(packed(t), five);
    char* const before = t.packContents();
    EXPECT_TRUE(unpackInto(t, std::string(3, '\0')) == 1 && t.packContents() == before);
    t.id = 0;
    EXPECT_TRUE(t.unpack(t.packContents(), t.packSize()) == 0 && t.id == 5);  // its own buffer
    t.pack();
    EXPECT_TRUE(unpackInto(t, kVersion) == 2 && t.packContents() == nullptr);
    EXPECT_EQ(unpackInto(t, be32(2) + intField(-32768, 7)), 3);
    t.pack();
    Tagged copy(t);
    EXPECT_EQ(copy.packContents(), nullptr);
    copy.pack();
    char* const own = copy.packContents();
    copy = t;
    EXPECT_EQ(copy.packContents(), own);
    copy.failing = true;  // a decode that throws leaves the caller's data behind, never as the buffer
    EXPECT_THROW(unpackInto(copy, five), std::runtime_error);
    EXPECT_TRUE(copy.packContents() == nullptr && packed(copy) == five);
}

TEST(VnPack, ReaderSkipsWhatItCanAndStopsAtMalformedFieldsWrongClassesAndDepth) {
    const std::string unknown = intField(99, 1) + field(99, 2, "c") + strField(99, "zz") +
                                objField(99, 12345, intField(1, 1)) + field(99, 5, be32(0)) +
                                field(99, 6, "\x01");
    const std::string wrongType = field(6, 1, be32(1)) + strField(1, "x") + field(3, 2, "y");
    TestItem r;
    const std::string known = intField(1, 42) + strField(3, "") + field(6, 6, "\x01");
    EXPECT_EQ(unpackInto(r, kVersion + unknown + wrongType + known), 0);
    EXPECT_TRUE(r.id == 42 && r.name.isundef() && r.active == 1);  // an empty string leaves the target
    const std::string bad[] = {
        field(99, 7, be32(0)), field(3, 0, ""), field(99, -1, ""),              // unknown type codes
        field(3, 3, be32(-1)), field(99, 3, be32(-1)), field(3, 3, be32(100)),  // string lengths
        field(4, 4, be32(TEST_TYPE_ITEM) + be32(-1)), field(4, 4, be32(TEST_TYPE_ITEM) + be32(100)),
        field(99, 4, be32(0) + be32(100)),
        // truncated payloads, at the end of the data
        field(1, 1, "\x01\x02"), field(5, 5, "\x01"), field(2, 2, ""), field(99, 6, ""),
        field(4, 4, be32(TEST_TYPE_ITEM)), field(3, 3, std::string(2, '\0'))};
    for (const std::string& b : bad) {
        TestItem s(-1, 0, "kept");
        const std::string later = &b < &bad[9] ? strField(3, "late") + field(6, 6, "\x01") : "";
        EXPECT_EQ(unpackInto(s, kVersion + intField(1, 5) + b + later), 0);
        EXPECT_TRUE(s.id == 5 && s.name == "kept" && s.active == 0) << &b - bad;
    }
    // The child's child has class 30: the child stops there, the top goes on after the child.
    TestItem wrong;
    const std::string child = objField(4, 30, intField(1, 9)) + intField(1, 8);
    EXPECT_EQ(unpackInto(wrong, kVersion + objField(4, TEST_TYPE_ITEM, child) + intField(1, 7)), 0);
    EXPECT_TRUE(wrong.id == 7 && wrong.child->id == -1);
    std::string body = intField(1, 300);  // level L holds its child (level L + 1), then its id L
    for (int level = 299; level >= 0; --level)
        body = objField(4, TEST_TYPE_ITEM, body) + intField(1, level);
    TestItem top;
    EXPECT_EQ(unpackInto(top, kVersion + body), 0);
    int level = 0;
    const TestItem* item = &top;
    for (; item->child; item = item->child.get(), ++level)
        ASSERT_EQ(item->id, level < 256 ? level : -1);
    EXPECT_TRUE(level == 257 &&
                item->id == -1);  // level 256 stopped at its refused child, which read nothing
}

TEST(VnPack, BufferGrowthAndDebugPrint) {
    Tagged p;
    p.pack();
    EXPECT_EQ(p.capacity(), 32);  // four times the 4 bytes of the version word, plus 16
    char zeros[20] = {};
    p._store(zeros, 20);
    p._store(p.packContents(), 32);  // its own bytes, while the buffer grows
    EXPECT_EQ(p.capacity(), 272);
    EXPECT_EQ(std::string(p.packContents() + 32, 4), kVersion);
    EXPECT_THROW(p._store(zeros, INT_MAX), std::bad_alloc);
    Tagged q;
    q.id = -128;
    q.pack();
    testing::internal::CaptureStdout();
    q._debug_print();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 0 0 1 -128 0 0 1 -1 -1 -1 -128 \n");
    q._store(zeros, 20);
    q.store(3, const_cast<char*>("a"));  // a string field grows the buffer piece by piece: here at its header
    EXPECT_EQ(q.capacity(), 4 * 36 + 16);
}

TEST(VnPack, NestedObjectsWriteIntoTheParentAndKeepTheirOwnState) {
    const auto child = std::make_shared<Peek<TestItem>>(2, 'b', "child");
    child->child = std::make_shared<TestItem>(3, 'c', std::string(300, 'z').c_str());
    const std::string alone = packed(*child);
    char* const own = child->packContents();
    const int ownCapacity = child->capacity();
    Peek<TestItem> top(1, 'a', "top level name"), xmlTop(1, 'a', "top level name");
    top.child = xmlTop.child = child;
    const std::string bytes = packed(top), xml = packed(xmlTop, true);
    // The capacities that growing the buffer piece by piece gives, a nested object being one piece.
    EXPECT_TRUE(top.capacity() == 1760 && bytes.size() == 449 && xmlTop.capacity() == 3020 &&
                xml.size() == 816);
    EXPECT_EQ(bytes, kVersion + intField(1, 1) + field(2, 2, "a") + strField(3, "top level name") +
                         objField(4, TEST_TYPE_ITEM, alone.substr(4)) + field(5, 5, be32(0)) +
                         field(6, 6, std::string(1, '\0')));
    EXPECT_TRUE(child->packContents() == own && child->capacity() == ownCapacity);
    EXPECT_EQ(std::string(own, static_cast<std::size_t>(child->packSize())), alone);
    EXPECT_EQ(childrenWithoutBuffer(*child), 1);  // never packed on its own: still no buffer

    Peek<TestItemList> list, xmlList;
    for (int i = 0; i < 3; ++i) {
        list.add(TestItem(i, 'q', "item"));
        xmlList.add(TestItem(i, 'q', "item"));
    }
    list.pack();
    xmlList.packXML();
    EXPECT_TRUE(list.capacity() == 264 && xmlList.capacity() == 868);
    EXPECT_TRUE(list.get(2)->packContents() == nullptr && xmlList.get(0)->packContents() == nullptr);
}

TEST(VnPack, DeepObjectPacksEachByteOnceIntoOneBuffer) {
    const std::string name(16384, 'n');  // 256 levels of 16 KB: a 4 MB object
    TestItem top(0, 'g', name.c_str()), back;
    TestItem* last = &top;
    for (int level = 1; level < 256; ++level)
        last = (last->child = std::make_shared<TestItem>(level, 'g', name.c_str())).get();
    const std::string bytes = packed(top);
    EXPECT_EQ(bytes.size(), 4 + 256 * (8 + 5 + 8 + name.size() + 8 + 5) + 255 * 12);
    top.packXML();
    EXPECT_EQ(childrenWithoutBuffer(top), 255);
    EXPECT_EQ(unpackInto(back, bytes), 0);
    EXPECT_EQ(packed(back), bytes);
    EXPECT_EQ(childrenWithoutBuffer(back), 255);
}
