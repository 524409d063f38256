#ifndef VN_TESTS_SUPPORT_TESTRECORDS_H
#define VN_TESTS_SUPPORT_TESTRECORDS_H

// Small packable records shared by the tests, fuzz targets and benchmarks.

#include <algorithm>
#include <memory>
#include <vector>

#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// Class numbers used only by these test records; no library class has them.
constexpr int TEST_TYPE_RECORD = 29;
constexpr int TEST_TYPE_ITEM = 31;
constexpr int TEST_TYPE_ITEM_LIST = 40;
constexpr char TEST_XML_RECORD[] = "test_record";
constexpr char TEST_XML_ITEM[] = "test_item";
constexpr char TEST_XML_ITEM_LIST[] = "test_item_list";

// A packable list written like the library's lists: the count under tag 1,
// then each element under tag 10 (a string field for VnString, an object
// field for a record). In XML every element is "item"; they read back as
// "item", "item1", "item2" ... while the node holds the name.
template <class T, int Number, const char* Name>
class TestList : public VnPack {
public:
    std::vector<std::unique_ptr<T>> items;

    void add(const T& item) { items.push_back(std::make_unique<T>(item)); }

    int type() override { return Number; }
    VnString typeXML() override { return VnString(Name); }

    void encode() override {
        store(1, static_cast<int>(items.size()));
        for (auto& item : items) store(10, *item);
    }

    void decode() override {
        int count = 0;
        restore(1, count);
        // Every element takes at least a 4-byte field header.
        count = std::min(count, packsize / 4);
        for (int taken = 0; taken < count && _readtag(); ++taken) {
            items.push_back(std::make_unique<T>());
            restore(10, *items.back());
            _yank();
        }
    }

    void encodeXML() override {
        for (auto& item : items) storeXML(VnString("item"), *item);
    }

    void decodeXML() override {
        for (int i = 0;; ++i) {
            VnString name("item");
            if (i > 0) name += i;
            if (!xmlnode->variables().get(name) && !xmlnode->elements().get(name)) break;
            items.push_back(std::make_unique<T>());
            restoreXML(name, *items.back());
        }
    }
};

// Written exactly like the library's string list (class 55).
using TestStringList = TestList<VnString, VN_TYPE_STRING_LIST, VN_XML_STRING_LIST>;

// A small record of five fields. Its optional child (tag 4) makes chains of
// any depth; the child is created when a child field arrives.
class TestItem : public VnPack {
public:
    int id = -1;
    char grade = 0;
    VnString name;
    float weight = 0.0f;
    unsigned char active = 0;
    std::unique_ptr<TestItem> child;

    TestItem() = default;
    TestItem(const TestItem& other)
        : VnPack(other),
          id(other.id),
          grade(other.grade),
          name(other.name),
          weight(other.weight),
          active(other.active),
          child(other.child ? std::make_unique<TestItem>(*other.child) : nullptr) {}

    int type() override { return TEST_TYPE_ITEM; }
    VnString typeXML() override { return VnString(TEST_XML_ITEM); }

    void encode() override {
        store(1, id);
        store(2, grade);
        store(3, name);
        if (child) store(4, *child);
        store(5, weight);
        store(6, active);
    }

    void decode() override {
        restore(1, id);
        restore(2, grade);
        restore(3, name);
        if (fieldtag == 4 && fieldtype == 4 && !child) child = std::make_unique<TestItem>();
        if (child) restore(4, *child);
        restore(5, weight);
        restore(6, active);
    }

    void encodeXML() override {
        storeXML(VnString("id"), id);
        storeXML(VnString("grade"), grade);
        storeXML(VnString("name"), name);
        if (child) storeXML(VnString("child"), *child);
        storeXML(VnString("weight"), weight);
        storeXML(VnString("active"), active);
    }

    void decodeXML() override {
        restoreXML(VnString("id"), id);
        restoreXML(VnString("grade"), grade);
        restoreXML(VnString("name"), name);
        if (!child && xmlnode->elements().get(VnString("child"))) child = std::make_unique<TestItem>();
        if (child) restoreXML(VnString("child"), *child);
        restoreXML(VnString("weight"), weight);
        restoreXML(VnString("active"), active);
    }
};

using TestItemList = TestList<TestItem, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST>;

// One field of every type code, the nested item under tag 4.
class TestRecord : public VnPack {
public:
    int number = -1;
    char letter = 0;
    VnString text;
    TestItem item;
    float ratio = 0.0f;
    unsigned char flag = 0;

    int type() override { return TEST_TYPE_RECORD; }
    VnString typeXML() override { return VnString(TEST_XML_RECORD); }

    void encode() override {
        store(1, number);
        store(2, letter);
        store(3, text);
        store(4, item);
        store(5, ratio);
        store(6, flag);
    }

    void decode() override {
        restore(1, number);
        restore(2, letter);
        restore(3, text);
        restore(4, item);
        restore(5, ratio);
        restore(6, flag);
    }

    void encodeXML() override {
        storeXML(VnString("number"), number);
        storeXML(VnString("letter"), letter);
        storeXML(VnString("text"), text);
        storeXML(VnString("item"), item);
        storeXML(VnString("ratio"), ratio);
        storeXML(VnString("flag"), flag);
    }

    void decodeXML() override {
        restoreXML(VnString("number"), number);
        restoreXML(VnString("letter"), letter);
        restoreXML(VnString("text"), text);
        restoreXML(VnString("item"), item);
        restoreXML(VnString("ratio"), ratio);
        restoreXML(VnString("flag"), flag);
    }
};

#endif  // VN_TESTS_SUPPORT_TESTRECORDS_H
