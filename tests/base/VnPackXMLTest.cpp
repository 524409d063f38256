#include <gtest/gtest.h>

#include "base/VnPack.h"
#include "base/VnPackFormat.h"
#include "base/VnPackHooks.h"
#include "farm/VnProperty.h"
#include "testing/TestRecords.h"

namespace {

int readRaw(VnPack& p, std::string text) {
    return p.unpackXML(&text[0], static_cast<int>(text.size()));
}

// A record of 4 KiB: a list of them makes 4 KiB per element header.
struct Bulky : TestItem {
    char bytes[4096] = {};
};
constexpr char kBulkyList[] = "bulky_list";
using BulkyList = TestList<Bulky, TEST_TYPE_ITEM_LIST, kBulkyList>;

}  // namespace

TEST(VnPackXML, DocumentIsByteExactEscapedAndReadBack) {
    TestItem record(7, 'A', "a&b<c>d\nline\r\n\tend", 0.25f);
    record.child = std::make_shared<TestItem>(3, static_cast<char>(0xE9), "", 1.5f, 2);
    record.pack();  // the document replaces the binary form
    const std::string expected =
        "<version>1</version>\n<object type = 'test_item'>\n\t<id>7</id>\n\t<grade>65</grade>\n"
        "\t<name>a&amp;b&lt;c&gt;d\nline&#13;\n\tend</name>\n\t<child>\n\t\t<object type = 'test_item'>\n"
        "\t\t\t<id>3</id>\n\t\t\t<grade>-23</grade>\n\t\t\t<name></name>\n\t\t\t<weight>1.500000</weight>\n"
        "\t\t\t<active>1</active>\n\t\t</object>\n\t</child>\n\t<weight>0.250000</weight>\n"
        "\t<active>0</active>\n</object>";
    EXPECT_EQ(packed(record, true), expected);
    EXPECT_EQ(record.packContents()[record.packSize()], '\0');
    EXPECT_EQ(packed(record, true), expected);  // writing again starts afresh
    TestItem back;  // every field reads back, escaped texts and char codes included
    ASSERT_EQ(unpackInto(back, expected, true), 0);
    EXPECT_STREQ(back.name.value(), "a&b<c>d\nline\r\n\tend");
    EXPECT_EQ(packed(back, true), expected);
    EXPECT_EQ(back.unpackXML(nullptr, 0), 4);
    EXPECT_EQ(back.packContents(), nullptr);             // reading leaves no document behind
    const std::string raw = "<name>x\r\ny\rz\r</name>";  // a raw CR, alone or before LF, reads as LF
    ASSERT_EQ(unpackInto(back, objectXML("test_item", raw), true), 0);
    EXPECT_STREQ(back.name.value(), "x\ny\nz\n");
    record.name = "&amp;";
    ASSERT_EQ(readRaw(back, "<pack>" + packed(record, true) + "</pack>"), 0);
    EXPECT_STREQ(back.name.value(), "&amp;");
}

// A carriage return, alone, before a line feed or last, reads back from a string list item and
// from a record's text: it is written as a character reference, which the parser keeps.
TEST(VnPackXML, CarriageReturnsReadBack) {
    TestStringList list;
    for (const char* text : {"a\rb", "a\r\nb", "\r", "b\r", "\t\n"})
        list.add(VnString(text));
    const std::string document = packed(list, true);
    EXPECT_EQ(document,
              "<version>1</version>\n<object type = 'string_list'>\n\t<item>a&#13;b</item>\n"
              "\t<item>a&#13;\nb</item>\n\t<item>&#13;</item>\n\t<item>b&#13;</item>\n\t<item>\t\n</item>\n"
              "</object>");
    TestStringList listBack;
    ASSERT_EQ(unpackInto(listBack, document, true), 0);
    ASSERT_EQ(listBack.length(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(str(*listBack.get(i)), str(*list.get(i))) << i;
    for (const char* text : {"a\rb", "a\r\nb", "\r", "b\r"}) {
        VnProperty property, back;
        property.text(text);
        ASSERT_EQ(unpackInto(back, packed(property, true), true), 0);
        EXPECT_EQ(str(back.text()), text);
    }
}

TEST(VnPackXML, FieldReaders) {
    TestItem item(-1, 'x', "kept", -1.0f, 9);
    const std::string fields =
        "<id>12</id><active>0</active><weight>2.5</weight><name></name><unknown>z</unknown>"
        "<child><object type = 'other_type'><id>5</id></object></child>\n";
    ASSERT_EQ(unpackInto(item, objectXML("whatever", fields), true), 0);
    // A missing element leaves its field, an empty one empties a string; the type name is not compared.
    EXPECT_TRUE(item.id == 12 && item.grade == 'x' && item.active == 0 && item.weight == 2.5f);
    EXPECT_TRUE(item.name.length() == 0 && item.child->id == 5);
    ASSERT_EQ(unpackInto(item, objectXML("test_item", "<id></id><active>7</active>"), true), 0);
    EXPECT_TRUE(item.id == 0 && item.active == 1);
    // A char reads a code, wrapped to a byte, or else the first byte; an empty text changes nothing.
    const char* texts[] = {"A", "-", "6x", "-1", "256", "-129", ""};
    const char expected[] = {'A', '-', '6', static_cast<char>(0xFF), 0, static_cast<char>(127), 'x'};
    for (int i = 0; i < 7; ++i) {
        TestItem chars(0, 'x', "");
        const std::string grade = std::string("<grade>") + texts[i] + "</grade>";
        ASSERT_EQ(unpackInto(chars, objectXML("test_item", grade), true), 0);
        EXPECT_EQ(chars.grade, expected[i]) << texts[i];
    }
}

TEST(VnPackXML, ResultCodesAndDepth) {
    const std::string document = objectXML("test_item", "");
    TestItem back;
    EXPECT_EQ(readRaw(back, document), 4);  // two top-level elements
    // Wrapped in <object>, the version lies inside a block, not at the top.
    EXPECT_EQ(readRaw(back, "<object>" + document + "</object>"), 1);
    EXPECT_EQ(unpackInto(back, "<version>1</version>", true), 0);
    EXPECT_EQ(unpackInto(back, "<object><id>3</id></object>", true), 1);
    EXPECT_EQ(unpackInto(back, "<version>2</version>\n<object><id>3</id></object>", true), 3);
    EXPECT_EQ(readRaw(back, "<!DOCTYPE pack [<!ENTITY e 'x'>]><pack>" + document + "</pack>"), 4);
    EXPECT_EQ(unpackInto(back, objectXML("test_item", "<name>\x01</name>"), true), 4);  // not carried by XML
    _vn_xml_parser_fails = true;  // no parser: nothing is read, the pack buffer stays
    back.pack();
    EXPECT_EQ(unpackInto(back, document, true), 5);
    _vn_xml_parser_fails = false;
    EXPECT_NE(back.packContents(), nullptr);
    EXPECT_EQ(back.id, -1);  // none of these read a field
    auto chain = [](int nested) {
        TestItem top;
        TestItem* last = &top;
        for (int i = 0; i < nested; ++i)
            last = (last->child = std::make_shared<TestItem>()).get();
        last->id = nested;
        return packed(top, true);
    };
    TestItem accepted;
    ASSERT_EQ(unpackInto(accepted, chain(256), true), 0);
    EXPECT_EQ(packed(accepted, true), chain(256));
    // The writer leaves out what the reader would refuse: a block at level 257 is written by hand.
    std::string deeper = chain(256);
    const std::string deepest = "<id>256</id>";
    deeper.replace(deeper.find(deepest), deepest.size(), "<child><object><id>257</id></object></child>");
    TestItem refused;
    EXPECT_EQ(unpackInto(refused, deeper, true), 4);
    EXPECT_EQ(refused.child, nullptr);
}

// A read past its budget answers 4 in both forms and keeps what its target held and the elements
// made until then (about 4,600 of 4 KiB); the XML form, whose tree is charged too, makes fewer.
TEST(VnPackXML, ARefusedReadKeepsWhatItReadAsTheBinaryFormDoes) {
    std::string headers, items;
    for (int i = 0; i < 10000; ++i) {
        headers += intField(10, 0);
        items += "<item/>";
    }
    BulkyList binary, xml;
    for (BulkyList* list : {&binary, &xml}) {
        list->push(new Bulky());
        list->get(0)->id = 7;
    }
    EXPECT_EQ(unpackInto(binary, kVersion + intField(1, 10000) + headers), 4);
    EXPECT_EQ(unpackInto(xml, objectXML("bulky_list", items), true), 4);
    for (BulkyList* list : {&binary, &xml})
        EXPECT_TRUE(list->get(0)->id == 7 && list->length() > 4000 && list->length() < 4700);
    EXPECT_LT(xml.length(), binary.length());
}

// The tree is charged while the document is parsed: a document whose tree passes what is left
// of an open budget is refused before anything is read, and the refusal reaches that budget.
TEST(VnPackXML, TheTreeIsChargedWhileTheDocumentIsParsed) {
    std::string fields;
    for (int i = 0; i < 100; ++i)
        fields += "<id>" + std::to_string(i) + "</id>";
    const std::string document = objectXML("test_item", fields);
    const vn_pack::ReadBudget outer(0);
    vn_pack::readBudget = 100000;
    TestItem read, refused;
    EXPECT_EQ(unpackInto(read, document, true), 0);
    const std::int64_t cost = 100000 - vn_pack::readBudget;
    EXPECT_GT(cost, 100 * 8);  // a place per text at least
    vn_pack::readBudget = cost - 1;
    EXPECT_THROW(unpackInto(refused, document, true), vn_pack::ReadRefused);
    EXPECT_TRUE(read.id == 0 && refused.id == -1);
}
