#include "system/VnCacheFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

namespace {

class VnCacheFileTest : public TempDirTest {
protected:
    VnString path(const std::string& name) const { return VnString(at(name).c_str()); }
    std::string load(const std::string& name, int limit = 16) {
        return str(vn_cache_load(path(name), limit));
    }
    int mode(const std::string& name) const {
        struct stat status;
        return stat(at(name).c_str(), &status) == 0 ? int(status.st_mode & 07777) : -1;
    }
};

}  // namespace

TEST_F(VnCacheFileTest, OwnRegularFilesOnly) {
    spit(at("c"), "longer old text");
    chmod(at("c").c_str(), 0644);
    EXPECT_EQ(vn_cache_save(path("c"), "-3"), 1);  // replaces the contents, owner only
    EXPECT_EQ(vn_cache_save(path("new"), VnString("a\0b", 3)), 1);
    EXPECT_EQ(load("c") + "|" + load("new") + "|" + load("missing"), "-3|" + std::string("a\0b", 3) + "|");
    EXPECT_EQ(mode("c") * 10000 + mode("new"), 0600 * 10000 + 0600);
    spit(at("long"), std::string(17, 'x'));
    EXPECT_EQ(load("long") + "|" + load("long", 17), "|" + std::string(17, 'x'));

    // Links are not followed, a FIFO does not block, and another user's file is left alone.
    spit(at("target"), "kept");
    std::filesystem::create_symlink(at("target"), at("link"));
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    EXPECT_EQ(vn_cache_save(path("link"), "x") + vn_cache_save(path("fifo"), "x"), 0);
    EXPECT_EQ(load("link") + load("fifo") + slurp(at("target")), "kept");
    if (geteuid() == 0) {
        spit(at("theirs"), "theirs");
        ASSERT_EQ(chown(at("theirs").c_str(), 1, 1), 0);
        EXPECT_EQ(vn_cache_save(path("theirs"), "x"), 0);
        EXPECT_EQ(load("theirs") + slurp(at("theirs")), "theirs");
    }
}

// A file with a second name may be someone else's, reached through a hard link: it is neither
// read nor written, whoever owns it.
TEST_F(VnCacheFileTest, HardLinkedFilesAreLeftAlone) {
    spit(at("precious"), "precious data");
    ASSERT_EQ(link(at("precious").c_str(), at("cache").c_str()), 0);
    EXPECT_EQ(vn_cache_save(path("cache"), "newhost:1234"), 0);
    EXPECT_EQ(load("cache") + "|" + slurp(at("precious")), "|precious data");
    ASSERT_EQ(unlink(at("precious").c_str()), 0);  // one name again: its own file
    EXPECT_EQ(vn_cache_save(path("cache"), "newhost:1234"), 1);
    EXPECT_EQ(load("cache"), "newhost:1234");
}
