#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/VnPack.h"
#include "tests/support/TestRecords.h"

namespace {

// A fresh directory for each test, removed with its files afterwards.
class VnArchive : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vn_archive_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }

    void TearDown() override {
        for (const std::string& file : made) std::remove(file.c_str());
        rmdir(dir.c_str());
    }

    VnString path(const std::string& name) {
        made.push_back(dir + "/" + name);
        return VnString(made.back().c_str());
    }

    static std::string contents(const VnString& file) {
        std::ifstream in(file.value(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void write(const VnString& file, const std::string& text) {
        std::ofstream(file.value(), std::ios::binary) << text;
    }

    std::string dir;
    std::vector<std::string> made;
};

}  // namespace

TEST_F(VnArchive, BinaryRoundTrip) {
    TestRecord record;
    record.number = 42;
    record.text.copy("bin\0ary", 7);
    record.item.name = "inner";
    const VnString file = path("record.bin");
    const int written = record.archive(file);
    ASSERT_GT(written, 0);
    EXPECT_EQ(written, record.packSize());
    EXPECT_EQ(contents(file), std::string(record.packContents(), static_cast<std::size_t>(written)));

    TestRecord back;
    EXPECT_EQ(back.recover(file), written);
    EXPECT_EQ(back.number, 42);
    EXPECT_EQ(std::string(back.text.value(), static_cast<std::size_t>(back.text.length())), std::string("bin\0ary", 7));
    EXPECT_STREQ(back.item.name.value(), "inner");

    write(file, std::string("\0\0\0\2", 4));  // wrong version
    EXPECT_EQ(back.recover(file), 0);
}

TEST_F(VnArchive, XMLRoundTripAndWorkedExample) {
    TestStringList list;
    list.add(VnString("a"));
    list.add(VnString("bc"));
    const VnString file = path("list.xml");
    EXPECT_EQ(list.archiveXML(file), 93);
    EXPECT_EQ(contents(file),
              "<version>1</version>\n<object type = 'string_list'>\n\t<item>a</item>\n\t<item>bc</item>\n</object>");

    TestStringList back;
    EXPECT_EQ(back.recoverXML(file), 93 + 15);
    ASSERT_EQ(back.items.size(), 2u);
    EXPECT_STREQ(back.items[1]->value(), "bc");

}

TEST_F(VnArchive, XMLFilesThatDoNotRead) {
    const VnString file = path("doc.xml");
    TestRecord record;
    write(file, "<version>1</version>");
    EXPECT_EQ(record.recoverXML(file), 20 + 15);
    for (const char* text : {"<object type = 'test_record'><number>3</number></object>",
                             "<version>2</version>\n<object type = 'test_record'><number>3</number></object>",
                             "<version>1</version><object>"}) {
        write(file, text);
        EXPECT_EQ(record.recoverXML(file), 0) << text;
    }
    EXPECT_EQ(record.number, -1);
}

TEST_F(VnArchive, MissingFilesAndFailedWrites) {
    TestRecord record;
    EXPECT_EQ(record.recover(path("missing")), 0);
    EXPECT_EQ(record.recoverXML(path("missing")), 0);
    EXPECT_EQ(record.recover(VnString(dir.c_str())), 0);  // a directory
    EXPECT_EQ(record.recoverXML(VnString(dir.c_str())), 0);
    EXPECT_EQ(record.archive(path("no/such/dir")), 0);
    EXPECT_EQ(record.archiveXML(path("no/such/dir")), 0);

    if (access("/dev/full", W_OK) == 0) {  // every write to it fails
        EXPECT_EQ(record.archive(VnString("/dev/full")), 0);
        EXPECT_EQ(record.archiveXML(VnString("/dev/full")), 0);
    }
}
