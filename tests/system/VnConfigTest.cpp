#include "system/VnConfig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <utility>
#include <string>

#include "system/VnConfigFile.h"
#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

namespace {

long allocations = 0;  // made so far
long failing = -1;     // the number of the allocation that fails

}  // namespace

void* testAllocate(std::size_t n) noexcept {
    return allocations++ == failing ? nullptr : std::malloc(n ? n : 1);
}
void testRelease(void* p) noexcept {
    std::free(p);
}

#include "tests/support/ReplacedNew.h"

namespace {

// Every option as "key=value;" in key order.
std::string options(const VnConfig& c) {
    VnStringList keys;
    c.labels(keys);
    std::map<std::string, std::string> sorted;
    for (int i = 0; i < keys.length(); ++i)
        sorted[str(*keys.get(i))] = str(c.option(*keys.get(i)));
    std::string out;
    for (const auto& [key, value] : sorted)
        out += key + "=" + value + ";";
    return out;
}

std::string parsed(const std::string& text) {
    VnConfig c;
    c.parse(VnString(text.data(), static_cast<int>(text.size())));
    return options(c);
}

std::string converted(const std::string& key, const std::string& value) {
    VnConfig c;
    c.option(VnString(key.data(), int(key.size())), VnString(value.data(), int(value.size())));
    return str(c.convert());
}

TEST(VnConfigTest, Grammar) {
    EXPECT_EQ(parsed("a = 1\na = 2\n"), "a=2;");
    EXPECT_EQ(parsed("q = \"a 'b' c\" more\nr = 'open\ns = 3"), "q=a 'b' c;r=open;s=3;");
    EXPECT_EQ(parsed("b = {a\n{b}\n}\n"), "b=a\n{b}\n;");
    EXPECT_EQ(parsed("b = {x\r\ny} tail\nc = 1"), "b=x\ny;c=1;");
    EXPECT_EQ(parsed("[section]\nkey = v\n[multi\nline] k2 = w\n"), "k2=w;key=v;");
    EXPECT_EQ(parsed("a b = 1\nnoequals\nx = 2\n"), "ab=1;x=2;");
    EXPECT_EQ(parsed("key ="), "");
    EXPECT_EQ(parsed("key =\nk2 = \r\nk3 = "), "k2=;k3=;key=;");
    EXPECT_EQ(parsed("= 5\n\t k\t=\t'v w'\r\n"), "=5;k=v w;");
    EXPECT_EQ(parsed("h = ab\xC3\xA9"
                     "cd rest\nn = 1"),
              "h=ab;n=1;");
    EXPECT_EQ(parsed("# a = 1\n  # b = 2\nc = 3 # d = 4\n"), "c=3;");
    EXPECT_EQ(parsed("ab#c = 1\n"), "c=1;");  // the "#" ends the key; the text after it is read again
    EXPECT_EQ(parsed("a = 1\tb = 2\n"), "a=1;");
    EXPECT_EQ(parsed("unfinished = {never\nclosed"), "unfinished=never\nclosed;");
    EXPECT_EQ(parsed(std::string("z = a\0b\nk\0 = 1", 14)), std::string("k\0=1;z=a\0b;", 11));

    VnConfig c;  // parsing adds to the options held
    c.parse("a = 1\nb = 2");
    c.revert("b = 3");
    EXPECT_EQ(options(c), "a=1;b=3;");
    EXPECT_EQ(c.valid(), 1);
    EXPECT_EQ(c.eof() + c.get() + c.peek(), 1);  // at the end: no move, no byte
}

TEST(VnConfigTest, ConvertWritesWhatParseReadsBack) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"a b", "x = \"a b\"\n"}, {"a\nb", "x = {a\nb}\n"}, {"plain", "x = plain\n"}, {"", "x = \n"},
        {"a#b", "x = \"a#b\"\n"}, {"caf\xC3\xA9", "x = \"caf\xC3\xA9\"\n"}, {"'q'", "x = \"'q'\"\n"},
        {"{b}", "x = \"{b}\"\n"}, {"say \"hi\"", "x = 'say \"hi\"'\n"},
        {"\"it's\" {x}", "x = {\"it's\" {x}}\n"}, {"a\"b'c", "x = a\"b'c\n"},
    };
    // clang-format on
    for (const auto& [value, text] : cases)
        EXPECT_EQ(converted("x", value), text);

    VnConfig c;
    const char* values[] = {"a b",        "a\nb",         "",   "a#b",   "\xFF",      "'q'",  "\"q\"", "{b}",
                            "say \"hi\"", "\"it's\" {x}", "}{", " lead", "tab\there", "{\n}", "x=y",   "[h]"};
    for (int i = 0; i < 16; ++i)
        c.option(("k" + std::to_string(i)).c_str(), values[i]);
    VnConfig back;
    back.parse(c.convert());
    EXPECT_EQ(options(back), options(c));
    EXPECT_EQ(back.matchsubset(c) + c.matchsubset(back), 2);
}

TEST(VnConfigTest, UseTemplate) {
    VnConfig c;
    c.parse("port = 5\nextra = 1\n");
    EXPECT_EQ(str(c.usetemplate("# header\nport = 100\nhost = x")),
              "# header\nport = 5\n#host = x\n# these are not included in the template\nextra = 1\n\n");

    c.option("path", "/a b");
    const char* tmpl =
        "#port = 1\n#host = 2\n\n[sec] x.y = 3\nport = 7\nextra\t= {a\nb}\n"
        "# these are not included in the template\nPath = 4\na=b=c=d\n";
    EXPECT_EQ(str(c.usetemplate(tmpl)),
              "port = 5\n#host = 2\n\n[sec] x.y = 3\nextra = 1\n#Path = 4\n#a=b=c=d\n"
              "# these are not included in the template\npath = \"/a b\"\n\n");
    EXPECT_EQ(str(c.usetemplate("extra = 0\nport = 0\npath = 0\n")),
              "extra = 1\nport = 5\npath = \"/a b\"\n");
    EXPECT_EQ(
        str(c.usetemplate("x = port = 9\n")),  // the scan goes on after each "="
        "#x = port = 9\nport = 5\n# these are not included in the template\nextra = 1\npath = \"/a b\"\n\n");
    VnConfig empty;
    EXPECT_EQ(str(empty.usetemplate("")) + str(empty.usetemplate("\n\n")), "\n\n");
}

class VnConfigFileTest : public TempDirTest {};

TEST_F(VnConfigFileTest, LoadAndLoadTemplate) {
    std::string text;
    for (int i = 0; i < 300; ++i)  // crosses several 1024-byte blocks
        text += "key" + std::to_string(i) + " = value" + std::to_string(i) + "\n";
    spit(at("vn.conf"), text);
    VnConfig c(VnString(at("vn.conf").c_str()));
    EXPECT_EQ(c.valid(), 1);
    EXPECT_STREQ(c.option("key299").value(), "value299");
    EXPECT_STREQ(c.option("key0").value(), "value0");

    c.option("mine", "kept");
    for (const std::string& bad : {at("missing"), root}) {
        EXPECT_EQ(c.load(VnString(bad.c_str())), 0) << bad;
        EXPECT_EQ(c.valid(), 0);
    }
    EXPECT_STREQ(c.option("mine").value(), "kept");
    EXPECT_STREQ(c.option("key7").value(), "value7");

    spit(at("tmpl"), "# t\nmine = 1\n");
    EXPECT_EQ(str(c.loadtemplate(VnString(at("tmpl").c_str()))).substr(0, 15), "# t\nmine = kept");
}

// A read that runs out of memory answers failure, whichever of its allocations fails, and so do
// the loads of flat and sectioned files that make it.
TEST_F(VnConfigFileTest, ReadThatFailsToAllocateAnswersFailure) {
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += "key" + std::to_string(i) + " = value\n";
    spit(at("vn.conf"), text);
    const VnString path(at("vn.conf").c_str());
    VnString whole("");
    const long before = allocations;
    ASSERT_EQ(vn_config_read_file(path, whole), 1);
    const long made = allocations - before;
    ASSERT_GE(made, 1);  // the text's buffer, made once for the file's size
    for (long k = 0; k < made; ++k) {
        VnString partial("");
        VnConfig flat;
        VnConfigFile sections;
        failing = allocations + k;
        int results = vn_config_read_file(path, partial);
        failing = allocations + k;
        results += flat.load(path) + flat.valid();
        failing = allocations + k;
        results += sections.load(path);
        failing = -1;
        EXPECT_EQ(results, 0) << k;
    }
}

TEST(VnConfigTest, OptionsCopiesAndDisplay) {
    VnConfig c;
    c.parse("b = 2\na = 1\nempty =\n");
    EXPECT_EQ(c.exists("empty") + c.exists("none") + c.remove("a") + c.remove("a"), 2);
    EXPECT_EQ(str(c.option("none")), "");
    c.option("a", "1");
    c.option("a", c.option("a"));  // the value replaced is the one given
    EXPECT_STREQ(c.option("a").value(), "1");

    VnConfig sub;
    EXPECT_EQ(c.matchsubset(sub), 1);
    sub.option("a", "1");
    sub.option("missing", "");
    EXPECT_EQ(c.matchsubset(sub), 1);
    sub.option("b", "3");
    EXPECT_EQ(c.matchsubset(sub), 0);
    c.inherit(sub);
    c.inherit(c);
    EXPECT_EQ(options(c), "a=1;b=3;empty=;missing=;");

    c.name("main");
    c.address(VnAddress(7));
    VnConfig copy(c), assigned;
    assigned.parse("old = 1");
    assigned = c;
    assigned.copy(assigned);
    EXPECT_EQ(copy.valid(), 0);  // the text, the position and the valid flag are not copied
    EXPECT_EQ(assigned.valid(), 1);
    EXPECT_EQ(packed(copy), packed(c));
    EXPECT_EQ(packed(assigned), packed(c));
    c.option("a", "changed");
    EXPECT_STREQ(copy.option("a").value(), "1");

    testing::internal::CaptureStdout();
    copy.display();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "items: 4\n0: a=1\n1: b=3\n2: empty=\n3: missing=\n");

    char expected[1024] = {};
    gethostname(expected, sizeof expected - 1);
    EXPECT_STREQ(c.host().value(), expected);
}

TEST(VnConfigTest, BinaryAndXMLForms) {
    VnConfig c;
    c.parse("port = 5\n");
    c.name("main");
    c.address(VnAddress(0x0A000005));
    EXPECT_EQ(packed(c), kVersion + objField(1, 13, intField(1, 0x0A000005)) +
                             objField(0, 56, intField(1, 1) + strField(10, "port") + strField(30, "5")) +
                             strField(2, "main"));
    const std::string xml =
        objectXML("config",
                  "\t<address>\n\t\t<object type = 'address'>\n\t\t\t<value>167772165</value>\n"
                  "\t\t</object>\n\t</address>\n\t<options>\n\t\t<object type = 'string_hash'>\n"
                  "\t\t\t<key>port</key>\n\t\t\t<element>5</element>\n\t\t</object>\n"
                  "\t</options>\n\t<name>main</name>\n");
    EXPECT_EQ(packed(c, true), xml);
    for (bool isXML : {false, true}) {
        VnConfig back;
        back.parse("mine = 1");
        ASSERT_EQ(unpackInto(back, packed(c, isXML), isXML), 0);
        EXPECT_EQ(options(back) + str(back.name()), "mine=1;port=5;main") << isXML;
        EXPECT_EQ(back.address().value() + back.valid(), 0x0A000005u + 1) << isXML;
    }
    VnConfigList list;
    VnConfigHash hash, hashBack;
    EXPECT_EQ(
        str(list.typeXML()) + std::to_string(list.type()) + str(hash.typeXML()) + std::to_string(hash.type()),
        "config_list51config_list51");
    hash.set(new VnConfig(c), VnString("main"));
    ASSERT_EQ(unpackInto(hashBack, packed(hash, true), true), 0);
    EXPECT_EQ(packed(*hashBack.get("main")), packed(c));
}

TEST(VnConfigTest, HugeTextsStayLinear) {
    std::string text;
    for (int i = 0; text.size() < 3000000; ++i)
        text += "key" + std::to_string(i % 50000) + " = {v" + std::to_string(i) + "\n}\n# note\n";
    text += std::string(1000000, 'k') + "\n" + "deep = " + std::string(1000000, '{');
    VnConfig c;
    c.parse(VnString(text.c_str()));
    VnStringList keys;
    c.labels(keys);
    EXPECT_EQ(keys.length(), 50001);
    EXPECT_EQ(c.option("deep").length(), 999999);

    std::string line;
    for (int i = 0; i < 500000; ++i)
        line += "a=";
    VnConfig empty;
    EXPECT_EQ(empty.usetemplate(VnString(line.c_str())).length(),
              int(line.size()) + 2);  // one commented copy
    EXPECT_GT(c.usetemplate(c.convert()).length(), 0);
}

}  // namespace
