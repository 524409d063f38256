#include <gtest/gtest.h>

#include <unistd.h>

#include "base/VnPack.h"
#include "system/VnFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRecords.h"

namespace {

class VnArchive : public TempDirTest {
protected:
    VnString file() const { return at("archive").c_str(); }  // the one file that a test writes
};

}  // namespace

TEST_F(VnArchive, BinaryRoundTripMissingFilesAndFailedWrites) {
    TestItem record(42, 'x', "", 1.5f);
    record.name.copy("bin\0ary", 7);
    const int written = record.archive(file());
    ASSERT_EQ(written, record.packSize());
    EXPECT_EQ(VnFile::load(file()), VnString(record.packContents(), written));
    TestItem back;
    EXPECT_EQ(back.recover(file()), written);
    EXPECT_EQ(packed(back), packed(record));
    VnFile::save(file(), VnString("\0\0\0\2", 4));  // wrong version
    EXPECT_EQ(back.recover(file()), 0);
    VnFile::remove(file());
    EXPECT_EQ(record.recover(file()), 0);  // missing
    EXPECT_EQ(record.recoverXML(file()), 0);
    EXPECT_EQ(record.recover(root.c_str()), 0);  // a directory
    EXPECT_EQ(record.recoverXML(root.c_str()), 0);
    EXPECT_EQ(record.archive(at("no/such/dir").c_str()), 0);
    if (access("/dev/full", W_OK) == 0) {  // every write to it fails
        EXPECT_EQ(record.archive("/dev/full"), 0);
        EXPECT_EQ(record.archiveXML("/dev/full"), 0);
    }
}

TEST_F(VnArchive, XMLWorkedExampleAndFilesThatDoNotRead) {
    TestStringList list;
    list.add("a");
    list.add("bc");
    EXPECT_EQ(list.archiveXML(file()), 93);
    EXPECT_EQ(VnFile::load(file()), VnString(list.packContents(), 93));
    TestStringList back;
    EXPECT_EQ(back.recoverXML(file()), 93 + 15);
    EXPECT_EQ(back.length(), 2);
    TestItem record;
    VnFile::save(file(), "<version>1</version>");
    EXPECT_EQ(record.recoverXML(file()), 20 + 15);
    VnFile::save(file(), "<version>2</version>\n<object><id>3</id></object>");
    EXPECT_EQ(record.recoverXML(file()), 0);
}
