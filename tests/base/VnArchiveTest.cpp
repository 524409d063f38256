#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>

#include "base/VnPack.h"
#include "system/VnFile.h"
#include "system/VnSafeOpen.h"
#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

using VnArchive = TempDirTest;

TEST_F(VnArchive, RoundTripsWorkedExampleAndFilesThatDoNotRead) {
    const VnString file(at("archive").c_str()), dir(root.c_str());
    TestItem record(42, 'x', "", 1.5f), back;
    record.name.copy("bin\0ary", 7);
    const int written = record.archive(file);
    ASSERT_EQ(written, record.packSize());
    EXPECT_EQ(VnFile::load(file), VnString(record.packContents(), written));
    EXPECT_EQ(back.recover(file), written);
    EXPECT_EQ(packed(back), packed(record));

    TestStringList list, listBack;
    list.add("a");
    list.add("bc");
    EXPECT_EQ(list.archiveXML(file), 93);
    EXPECT_EQ(VnFile::load(file), VnString(list.packContents(), 93));
    EXPECT_EQ(listBack.recoverXML(file), 93 + 15);
    EXPECT_EQ(listBack.length(), 2);
    VnFile::save(file, "<version>1</version>");
    EXPECT_EQ(back.recoverXML(file), 20 + 15);

    VnFile::save(file, "<version>2</version>\n<object><id>3</id></object>");  // wrong versions
    EXPECT_EQ(back.recoverXML(file), 0);
    VnFile::save(file, VnString("\0\0\0\2", 4));
    EXPECT_EQ(back.recover(file), 0);
    VnFile::remove(file);
    EXPECT_EQ(back.recover(file) + back.recoverXML(file) + back.recover(dir) + back.recoverXML(dir), 0);
    EXPECT_EQ(record.archive(at("no/such/dir").c_str()), 0);
    if (access("/dev/full", W_OK) == 0) {  // every write to it fails
        EXPECT_EQ(record.archive("/dev/full") + record.archiveXML("/dev/full"), 0);
    }
}

// The descriptors open in the process, the listing's own among them.
static int openDescriptors() {
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator()));
}

// Each archive call closes the file it opened once: no descriptor is left open or taken from
// the process (the count stays), and none is closed a second time once its number is free
// (that close would fail with EBADF, the last error the call leaves).
TEST_F(VnArchive, ArchivesCloseTheirFileOnce) {
    TestItem record(42, 'x', "", 1.5f);
    const VnFd sentinel(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int before = openDescriptors();
    std::string errors;
    for (const std::string& name : {at("archive"), at("no/dir"), root, std::string("/dev/null")}) {
        for (bool xml : {false, true}) {
            errno = 0;
            const int written = xml ? record.archiveXML(name.c_str()) : record.archive(name.c_str());
            errors += std::to_string(written > 0) + (errno == EBADF ? "B" : "-");
            EXPECT_EQ(openDescriptors(), before) << name << xml;
        }
    }
    EXPECT_EQ(errors, "1-1-0-0-0-0-0-0-");
    EXPECT_EQ(fcntl(sentinel.get(), F_GETFD), FD_CLOEXEC);
}
