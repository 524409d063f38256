#include "farm/VnProperty.h"

#include <gtest/gtest.h>

#include <string>

#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "farm/VnPropertyHash.h"
#include "system/VnTime.h"
#include "testing/TestRecords.h"

namespace {

VnStringList* stringList(const char* a, const char* b) {
    auto* list = new VnStringList();
    list->push(new VnString(a));
    list->push(new VnString(b));
    return list;
}

// A property with every field set and a string list ("a", "b") as its value.
void fill(VnProperty& property, int id, const char* name, const char* text) {
    property.id(id);
    property.name(name);
    property.text(text);
    property.value(stringList("a", "b"));
}

const std::string kFields = intField(1, 7) + strField(2, "size") + strField(3, "large");
const std::string kValue =
    objField(4, VN_TYPE_STRING_LIST, intField(1, 2) + strField(10, "a") + strField(10, "b"));

// "id|name|text|class number of the value (0 for none)".
std::string summary(VnProperty& p) {
    return std::to_string(p.id()) + "|" + str(p.name()) + "|" + str(p.text()) + "|" +
           std::to_string(p.value() ? p.value()->type() : 0);
}

}  // namespace

TEST(VnProperty, PackedFormsByteForByte) {
    VnProperty property;
    EXPECT_EQ(summary(property), "-1|||0");
    EXPECT_EQ(std::to_string(property.type()) + str(property.typeXML()), "90property");
    EXPECT_EQ(packed(property), kVersion + intField(1, -1) + strField(2, "") + strField(3, ""));
    fill(property, 7, "size", "large");
    EXPECT_EQ(packed(property), kVersion + kFields + kValue);
    EXPECT_EQ(packed(property, true),
              objectXML("property",
                        "\t<id>7</id>\n\t<name>size</name>\n\t<text>large</text>\n\t<value>\n"
                        "\t\t<object type = 'string_list'>\n\t\t\t<item>a</item>\n\t\t\t<item>b</item>\n"
                        "\t\t</object>\n\t</value>\n"));
}

TEST(VnProperty, ValueMadeFromItsClassNumber) {
    VnProperty property, back;
    fill(property, 7, "size", "large");
    ASSERT_EQ(unpackInto(back, packed(property)), 0);
    EXPECT_EQ(summary(back), "7|size|large|55");
    EXPECT_EQ(packed(back), packed(property));

    // A class that no one knows leaves no value and the fields after it are still read; a
    // value whose length runs past the data is dropped; a later value replaces an earlier one.
    VnProperty unknown, cut, twice;
    ASSERT_EQ(unpackInto(unknown, kVersion + objField(4, 9999, intField(1, 1)) + kFields), 0);
    EXPECT_EQ(summary(unknown), "7|size|large|0");
    ASSERT_EQ(unpackInto(cut, kVersion + kFields + kValue.substr(0, kValue.size() - 1)), 0);
    EXPECT_EQ(cut.value(), nullptr);
    ASSERT_EQ(unpackInto(twice, kVersion + kValue + objField(4, VN_TYPE_TIME, intField(1, 9))), 0);
    ASSERT_EQ(summary(twice), "-1|||33");
    EXPECT_EQ(static_cast<VnTime*>(twice.value())->value(), 9);

    // The XML form names no class number: only a value already held is filled.
    const std::string document = packed(property, true);
    VnProperty bare, holding;
    holding.value(new VnStringList());
    ASSERT_EQ(unpackInto(bare, document, true) + unpackInto(holding, document, true), 0);
    EXPECT_EQ(summary(bare), "7|size|large|0");
    EXPECT_EQ(packed(holding), packed(property));
}

TEST(VnProperty, CopiesLeaveTheValueWhereItIs) {
    VnProperty source, copied, assigned;
    fill(source, 3, "n", "t");
    fill(copied, 9, "old", "old");
    copied.value(new VnTime(4));
    copied.copy(source);
    EXPECT_EQ(summary(copied), "3|n|t|33");  // the own value stays
    assigned = source;
    EXPECT_EQ(summary(assigned), "3|n|t|0");
    VnProperty constructed(source);
    EXPECT_EQ(summary(constructed), "3|n|t|0");
    const VnProperty& self = source;
    source = self;
    EXPECT_EQ(packed(source), kVersion + intField(1, 3) + strField(2, "n") + strField(3, "t") + kValue);

    // The property owns its value (a leak or a double free shows here).
    VnPack* list = source.value();
    source.value(list);
    EXPECT_EQ(source.value(), list);
    source.value(new VnTime(1));
    source.value(nullptr);
    EXPECT_EQ(source.value(), nullptr);
    source.value(new VnTime(2));
}

TEST(VnPropertyList, RoundTripsInBothForms) {
    VnPropertyList list;
    EXPECT_EQ(std::to_string(list.type()) + str(list.typeXML()), "91property_list");
    auto* first = new VnProperty();
    fill(*first, 7, "size", "large");
    auto* second = new VnProperty();
    second->name("plain");
    list.push(first);
    list.push(second);
    const std::string bytes = packed(list);
    EXPECT_EQ(bytes,
              kVersion + intField(1, 2) + objField(10, VN_TYPE_PROPERTY, kFields + kValue) +
                  objField(10, VN_TYPE_PROPERTY, intField(1, -1) + strField(2, "plain") + strField(3, "")));
    VnPropertyList back, fromXML;
    ASSERT_EQ(unpackInto(back, bytes), 0);
    ASSERT_EQ(back.length(), 2);
    EXPECT_EQ(summary(*back.get(0)) + " " + summary(*back.get(1)), "7|size|large|55 -1|plain||0");
    EXPECT_EQ(packed(back), bytes);
    // XML makes no values.
    ASSERT_EQ(unpackInto(fromXML, packed(list, true), true), 0);
    ASSERT_EQ(fromXML.length(), 2);
    EXPECT_EQ(summary(*fromXML.get(0)) + " " + summary(*fromXML.get(1)), "7|size|large|0 -1|plain||0");
}

TEST(VnPropertyList, ValuesCountTowardsTheReadBudget) {
    // Each element of 24 bytes would make a job of some kilobytes: the read is refused.
    std::string data = kVersion + intField(1, 100000);
    const std::string element = objField(10, VN_TYPE_PROPERTY, objField(4, VN_TYPE_JOB, ""));
    for (int i = 0; i < 100000; ++i)
        data += element;
    VnPropertyList list;
    EXPECT_EQ(unpackInto(list, data), 4);
    // A few are read.
    VnPropertyList few;
    ASSERT_EQ(unpackInto(few, kVersion + intField(1, 2) + element + element), 0);
    EXPECT_EQ(summary(*few.get(1)), "-1|||1");
}

TEST(VnPropertyHash, PairsInBothFormsAndDeepCopies) {
    VnPropertyHash hash;
    EXPECT_EQ(std::to_string(hash.type()) + str(hash.typeXML()), "92property_hash");
    auto* property = new VnProperty();
    fill(*property, 7, "size", "large");
    hash.set(property, "size");
    EXPECT_EQ(packed(hash), kVersion + intField(1, 1) + strField(10, "size") +
                                objField(30, VN_TYPE_PROPERTY, kFields + kValue));
    auto* other = new VnProperty();
    other->text("t");
    hash.set(other, "other");
    for (bool xml : {false, true}) {
        VnPropertyHash back;
        ASSERT_EQ(unpackInto(back, packed(hash, xml), xml), 0) << xml;
        ASSERT_EQ(back.length(), 2) << xml;
        EXPECT_EQ(summary(*back.get("size")) + " " + summary(*back.get("other")),
                  xml ? "7|size|large|0 -1||t|0" : "7|size|large|55 -1||t|0");
    }

    VnPropertyHash copy;
    VnPropertyHash& same = (copy = hash);
    EXPECT_EQ(&same, &copy);
    hash.get("size")->name("changed");
    ASSERT_EQ(copy.length(), 2);
    EXPECT_NE(copy.get("size"), hash.get("size"));
    EXPECT_EQ(summary(*copy.get("size")), "7|size|large|0");  // copied as VnProperty::copy copies
}
