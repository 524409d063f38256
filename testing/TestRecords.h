#ifndef VN_TESTING_TESTRECORDS_H
#define VN_TESTING_TESTRECORDS_H

// Small packable records and byte-string helpers shared by tests, fuzz targets and benchmarks.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnTypes.h"

// Class numbers used only by these test records; no library class has them.
constexpr int TEST_TYPE_ITEM = 31;
constexpr int TEST_TYPE_ITEM_LIST = 40;
constexpr char TEST_XML_ITEM[] = "test_item";
constexpr char TEST_XML_ITEM_LIST[] = "test_item_list";

// A typed list of the library's kind that adds copies of its items.
template <class T, int Number, const char* Name>
class TestList : public VnList<T> {
public:
    void add(const T& item) { this->push(new T(item)); }
    int type() override { return Number; }
    VnString typeXML() override { return VnString(Name); }
};

using TestStringList = TestList<VnString, VN_TYPE_STRING_LIST, VN_XML_STRING_LIST>;  // as VnStringList

// A record with a field of every type code. Its optional child (tag 4, "child") makes chains of any depth;
// the child is created when a child field arrives. Copies share the child.
class TestItem : public VnPack {
public:
    int id = -1;
    char grade = 0;
    VnString name;
    float weight = 0.0f;
    unsigned char active = 0;
    std::shared_ptr<TestItem> child;

    TestItem() = default;
    TestItem(int i, char g, const char* n, float w = 0.0f, unsigned char a = 0)
        : id(i), grade(g), name(n), weight(w), active(a) {}

    int type() override { return TEST_TYPE_ITEM; }
    VnString typeXML() override { return VnString(TEST_XML_ITEM); }

    // Every field with its tag and element name, the child only when there is one.
    template <class Field>
    void fields(Field field) {
        field(1, "id", id);
        field(2, "grade", grade);
        field(3, "name", name);
        if (child) field(4, "child", *child);
        field(5, "weight", weight);
        field(6, "active", active);
    }
    void encode() override { fields(VnFieldStore{*this}); }
    void encodeXML() override { fields(VnFieldStoreXML{*this}); }
    // Special case: the child is made when its field arrives.
    void decode() override {
        if (fieldtag == 4 && fieldtype == 4 && !child) child = std::make_shared<TestItem>();
        fields(VnFieldRestore{*this});
    }
    void decodeXML() override {
        if (!child && xmlnode->elements().get("child")) child = std::make_shared<TestItem>();
        fields(VnFieldRestoreXML{*this});
    }
};

using TestItemList = TestList<TestItem, TEST_TYPE_ITEM_LIST, TEST_XML_ITEM_LIST>;

using TestRecord = TestItem;  // the record that the fuzz targets read

// A library string as the std::string of its bytes, and back.
inline std::string str(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}
inline VnString vs(const std::string& s) {
    return VnString(s.data(), static_cast<int>(s.size()));
}

// Big-endian words and whole fields of the binary form as byte strings.
inline std::string be16(int v) {
    return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
}
inline std::string be32(int v) {
    return be16(static_cast<int>(static_cast<std::uint32_t>(v) >> 16)) + be16(v & 0xFFFF);
}
inline std::string field(int tag, int code, const std::string& body) {
    return be16(tag) + be16(code) + body;
}
inline std::string intField(int tag, int v) {
    return field(tag, 1, be32(v));
}
inline std::string strField(int tag, const std::string& s) {
    return field(tag, 3, be32(int(s.size())) + s);
}
inline std::string objField(int tag, int number, const std::string& body) {
    return field(tag, 4, be32(number) + be32(int(body.size())) + body);
}
inline const std::string kVersion = be32(1);

// The XML document of an object block holding fields.
inline std::string objectXML(const std::string& type, const std::string& fields) {
    return "<version>1</version>\n<object type = '" + type + "'>\n" + fields + "</object>";
}

// The binary or XML form that the object writes.
inline std::string packed(VnPack& p, bool xml = false) {
    xml ? p.packXML() : p.pack();
    return std::string(p.packContents(), static_cast<std::size_t>(p.packSize()));
}

// Reads the text, an XML document wrapped as the archive reader wraps it.
inline int unpackInto(VnPack& p, const std::string& text, bool xml = false) {
    const std::string whole = xml ? "<pack>\n" + text + "\n</pack>" : text;
    std::vector<char> data(whole.begin(), whole.end());  // exactly as long, so an overread is caught
    return xml ? p.unpackXML(data.data(), int(data.size())) : p.unpack(data.data(), int(data.size()));
}

#endif  // VN_TESTING_TESTRECORDS_H
