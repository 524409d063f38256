#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "tests/support/TestRecords.h"

namespace {

std::string packedXML(VnPack& p) {
    p.packXML();
    const std::string text(p.packContents(), static_cast<std::size_t>(p.packSize()));
    EXPECT_EQ(p.packContents()[p.packSize()], '\0');
    return text;
}

int readRaw(VnPack& p, const std::string& text) {
    std::vector<char> data(text.begin(), text.end());
    return p.unpackXML(data.data(), static_cast<int>(data.size()));
}

int readXML(VnPack& p, const std::string& document) { return readRaw(p, "<pack>\n" + document + "\n</pack>"); }

std::string objectXML(const std::string& type, const std::string& fields) {
    return "<version>1</version>\n<object type = '" + type + "'>\n" + fields + "</object>";
}

// Reports what each reader answered.
struct Probe : VnPack {
    int i = -1;
    char c = 'x';
    unsigned char u = 9;
    float f = -1.0f;
    VnString s = "kept";
    TestItem nested;
    std::vector<int> found;

    void encode() override {}
    void decode() override {}
    void encodeXML() override {}
    void decodeXML() override {
        found = {restoreXML("i", i), restoreXML("c", c), restoreXML("u", u),
                 restoreXML("f", f), restoreXML("s", s), restoreXML("nested", nested)};
    }
};

TestRecord sampleRecord() {
    TestRecord record;
    record.number = 7;
    record.letter = 'A';
    record.text = "hi";
    record.item.id = 3;
    record.item.grade = '=';
    record.item.name = "n";
    record.item.weight = 1.5f;
    record.item.active = 2;
    record.item.child = std::make_unique<TestItem>();
    record.item.child->id = 4;
    record.item.child->grade = static_cast<char>(0xE9);
    record.ratio = 0.25f;
    return record;
}

}  // namespace

TEST(VnPackXML, DocumentIsByteExactWithNestedDepths) {
    TestRecord record = sampleRecord();
    record.pack();  // the document replaces the binary form
    const std::string expected =
        "<version>1</version>\n"
        "<object type = 'test_record'>\n"
        "\t<number>7</number>\n"
        "\t<letter>65</letter>\n"
        "\t<text>hi</text>\n"
        "\t<item>\n"
        "\t\t<object type = 'test_item'>\n"
        "\t\t\t<id>3</id>\n"
        "\t\t\t<grade>61</grade>\n"
        "\t\t\t<name>n</name>\n"
        "\t\t\t<child>\n"
        "\t\t\t\t<object type = 'test_item'>\n"
        "\t\t\t\t\t<id>4</id>\n"
        "\t\t\t\t\t<grade>-23</grade>\n"
        "\t\t\t\t\t<name></name>\n"
        "\t\t\t\t\t<weight>0.000000</weight>\n"
        "\t\t\t\t\t<active>0</active>\n"
        "\t\t\t\t</object>\n"
        "\t\t\t</child>\n"
        "\t\t\t<weight>1.500000</weight>\n"
        "\t\t\t<active>1</active>\n"
        "\t\t</object>\n"
        "\t</item>\n"
        "\t<ratio>0.250000</ratio>\n"
        "\t<flag>0</flag>\n"
        "</object>";
    EXPECT_EQ(packedXML(record), expected);
    EXPECT_EQ(packedXML(record), expected);  // writing again starts afresh

    TestRecord back;  // every field reads back, the char codes included
    ASSERT_EQ(readXML(back, expected), 0);
    EXPECT_EQ(packedXML(back), expected);
    back.unpackXML(nullptr, 0);
    EXPECT_EQ(back.packContents(), nullptr);  // reading leaves no document behind
}

TEST(VnPackXML, TextsAreEscapedAndReadBackWhole) {
    TestRecord record;
    record.text = "a&b<c>d\nsecond line\r\n\tend";
    record.item.name = "";
    const std::string text = packedXML(record);
    EXPECT_NE(text.find("\t<text>a&amp;b&lt;c&gt;d\nsecond line\r\n\tend</text>\n"), std::string::npos);

    TestRecord back;
    back.item.name = "not empty";
    ASSERT_EQ(readXML(back, text), 0);
    // The parser turns the carriage return of a line end into a line feed.
    EXPECT_STREQ(back.text.value(), "a&b<c>d\nsecond line\n\tend");
    EXPECT_EQ(back.item.name.length(), 0);

    record.text = "&amp;";
    ASSERT_EQ(readXML(back, packedXML(record)), 0);
    EXPECT_STREQ(back.text.value(), "&amp;");
}

TEST(VnPackXML, EveryCharRoundTrips) {
    for (int code = -128; code < 128; ++code) {
        TestRecord record;
        record.letter = static_cast<char>(code);
        TestRecord back;
        ASSERT_EQ(readXML(back, packedXML(record)), 0);
        EXPECT_EQ(back.letter, static_cast<char>(code)) << code;
    }
    // Other texts: the first byte; out of range codes wrap; an empty text changes nothing.
    const char* texts[] = {"A", "-", "6x", "-1", "256", "-129", ""};
    const char expected[] = {'A', '-', '6', static_cast<char>(0xFF), 0, static_cast<char>(127), 'x'};
    for (int i = 0; i < 7; ++i) {
        Probe probe;
        ASSERT_EQ(readXML(probe, objectXML("pack", std::string("<c>") + texts[i] + "</c>\n")), 0);
        EXPECT_EQ(probe.c, expected[i]) << texts[i];
    }
}

TEST(VnPackXML, ReadersAnswerWhetherTheyFoundTheirElement) {
    Probe probe;
    const std::string fields =
        "<i>12</i><u>0</u><f>2.5</f><s></s><unknown>z</unknown>"
        "<nested><object type = 'other_type'><id>5</id></object></nested>\n";
    ASSERT_EQ(readXML(probe, objectXML("whatever", fields)), 0);
    EXPECT_EQ(probe.found, (std::vector<int>{1, 0, 1, 1, 1, 1}));
    EXPECT_EQ(probe.i, 12);
    EXPECT_EQ(probe.c, 'x');  // missing: unchanged
    EXPECT_EQ(probe.u, 0);
    EXPECT_EQ(probe.f, 2.5f);
    EXPECT_EQ(probe.s.length(), 0);  // empty element empties the string
    EXPECT_EQ(probe.nested.id, 5);   // the type name is not compared

    Probe empty;
    ASSERT_EQ(readXML(empty, objectXML("pack", "<i></i><u>7</u>")), 0);
    EXPECT_EQ(empty.i, 0);
    EXPECT_EQ(empty.u, 1);
    EXPECT_EQ(empty.found, (std::vector<int>{1, 0, 1, 0, 0, 0}));
}

TEST(VnPackXML, ResultCodes) {
    TestRecord record = sampleRecord();
    const std::string document = packedXML(record);
    TestRecord back;
    EXPECT_EQ(readRaw(back, document), 4);  // two top-level elements
    EXPECT_EQ(readRaw(back, "<pack><version>1</version><object>"), 4);
    EXPECT_EQ(back.unpackXML(nullptr, 5), 4);
    EXPECT_EQ(readXML(back, "<version>1</version>"), 0);
    EXPECT_EQ(readXML(back, "<object type = 'test_record'><number>3</number></object>"), 1);
    EXPECT_EQ(readXML(back, "<version>2</version>\n<object type = 'test_record'><number>3</number></object>"), 3);
    EXPECT_EQ(readRaw(back, "<!DOCTYPE pack [<!ENTITY e 'x'>]><pack>" + document + "</pack>"), 4);
    EXPECT_EQ(readXML(back, objectXML("test_record", "<text>\x01</text>")), 4);  // not carried by XML
    EXPECT_EQ(back.number, -1);  // none of these read a field

    ASSERT_EQ(readRaw(back, "<pack>" + document + "</pack>"), 0);
    EXPECT_EQ(back.number, 7);
}

TEST(VnPackXML, RepeatedNamesAreNumberedInOrder) {
    TestStringList list;
    const int count = 100000;
    for (int i = 0; i < count; ++i) list.add(VnString(i));
    TestStringList back;
    ASSERT_EQ(readXML(back, packedXML(list)), 0);
    ASSERT_EQ(back.items.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; i += 997) EXPECT_EQ(back.items[i]->integervalue(), i);
    EXPECT_EQ(back.items[count - 1]->integervalue(), count - 1);

    // Literal numbered names are not overwritten: a later "item" takes the next free name.
    TestStringList mixed;
    ASSERT_EQ(readXML(mixed, objectXML("x", "<item1>b</item1><item>a</item><item>c</item><item>d</item>")), 0);
    std::vector<std::string> values;
    for (auto& item : mixed.items) values.emplace_back(item->value());
    EXPECT_EQ(values, (std::vector<std::string>{"a", "b", "c", "d"}));

}

TEST(VnPackXML, DeepNestingIsRefused) {
    auto chain = [](int nested) {
        TestItem top;
        TestItem* last = &top;
        for (int i = 0; i < nested; ++i) {
            last->child = std::make_unique<TestItem>();
            last = last->child.get();
        }
        last->id = nested;
        return packedXML(top);
    };
    TestItem accepted;
    ASSERT_EQ(readXML(accepted, chain(256)), 0);
    const TestItem* last = &accepted;
    while (last->child) last = last->child.get();
    EXPECT_EQ(last->id, 256);

    TestItem refused;
    EXPECT_EQ(readXML(refused, chain(257)), 4);
    EXPECT_EQ(readXML(refused, chain(300)), 4);
    EXPECT_EQ(refused.child, nullptr);

    std::string deep = "<version>1</version>";
    for (int i = 0; i < 100000; ++i) deep += "<child><object>";
    EXPECT_EQ(readXML(refused, deep), 4);
}

TEST(VnPackXML, DeepNodeTreeIsDeletedWithoutRecursion) {
    auto* root = new VnPackObj();
    VnPackObj* last = root;
    for (int i = 0; i < 100000; ++i) {
        auto* child = new VnPackObj();
        last->elements().set(child, VnString("child"));
        last = child;
    }
    delete root;  // a recursive teardown this deep would overflow the stack
}
