#include "system/VnDir.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A tree t with links to targets outside it that must survive.
class VnDirTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        fs::create_directories(at("t/sub/deeper"));
        fs::create_directories(at("outside"));
        for (const char* name : {"outside/keep", "outfile", "t/b c", "t/sub/deeper/c"})
            spit(at(name), "12345");
        fs::create_symlink(at("outside"), at("t/sub/dirlink"));
        fs::create_symlink(at("outfile"), at("t/filelink"));
        fs::create_symlink(at("missing"), at("t/dangling"));
    }
    VnString path(const std::string& name) const { return VnString(at(name).c_str()); }
    bool present(const std::string& name) const { return fs::exists(fs::symlink_status(at(name))); }
    struct stat statusOf(const std::string& name) const {
        struct stat status {};
        EXPECT_EQ(lstat(at(name).c_str(), &status), 0) << name;
        return status;
    }
};

TEST_F(VnDirTest, ListsEntriesAndTestsPaths) {
    const VnDir dir(path("t"));
    EXPECT_EQ(dir.length(), 6);  // ".", "..", "b c", "dangling", "filelink" and "sub"
    EXPECT_TRUE(dir.get(-1) == nullptr && dir.get(6) == nullptr && dir.dir() == path("t"));
    EXPECT_EQ(VnDir(path("missing")).length(), 0);

    std::string kinds;  // isdir, isfile and islink of each
    for (const char* name : {"outside", "outfile", "t/sub/dirlink", "t/filelink", "t/dangling", "missing"}) {
        const VnString p = path(name);
        kinds += std::to_string(VnDir::isdir(p)) + std::to_string(VnDir::isfile(p)) +
                 std::to_string(VnDir::islink(p)) + " ";
    }
    EXPECT_EQ(kinds, "100 010 101 011 001 000 ");
    chmod(at("outfile").c_str(), 0777);  // all nine bits; "outside" has fewer
    EXPECT_EQ(VnDir::fullaccess(path("outfile")) * 10 + VnDir::fullaccess(path("outside")), 10);
}

// Files count their size and directories their own entry's size besides what
// they hold; links count nothing and are never followed. Below the depth limit
// nothing is counted or removed.
TEST_F(VnDirTest, SizeAndRemoveStayInTheTree) {
    EXPECT_EQ(VnDir::size(path("t")), 10 + statusOf("t/sub").st_size + statusOf("t/sub/deeper").st_size);
    EXPECT_EQ(VnDir::size(path("missing")) + VnDir::size(path("outfile")), 0);
    fs::create_symlink(at("outside"), at("link"));
    EXPECT_EQ(VnDir(path("link")).remove(), 1);  // a path that is itself a link loses only the link
    EXPECT_EQ(VnDir(path("t")).remove(), 1);
    EXPECT_FALSE(present("t") || present("link"));
    EXPECT_TRUE(present("outside/keep") && present("outfile"));

    std::string deepest = "deep";
    for (int level = 0; level < VnDir::kMaxTreeDepth + 20; ++level)
        deepest += "/d";
    fs::create_directories(at(deepest));
    EXPECT_GT(VnDir::size(path("deep")), 0);
    EXPECT_EQ(VnDir(path("deep")).remove(), 1);
    EXPECT_TRUE(present(deepest));
}

// The walks go exactly kMaxTreeDepth levels down, with a file at each level: 256 levels are
// counted and removed whole; of 257, the deepest file is neither counted nor removed, and the
// directories above it stay, emptied of their files.
TEST_F(VnDirTest, WalksStopExactlyAtTheDepthCap) {
    for (const int levels : {VnDir::kMaxTreeDepth, VnDir::kMaxTreeDepth + 1}) {
        std::vector<std::string> dirs{"cap" + std::to_string(levels)};  // level 0 to the deepest
        for (int level = 1; level <= levels; ++level)
            dirs.push_back(dirs.back() + "/d");
        fs::create_directories(at(dirs.back()));
        for (const std::string& dir : dirs)
            spit(at(dir + "/f"), "1234567");
        std::int64_t expected = 7;
        for (int level = 1; level <= levels; ++level)
            expected += statusOf(dirs[level]).st_size + (level <= VnDir::kMaxTreeDepth ? 7 : 0);
        EXPECT_EQ(VnDir::size(path(dirs[0])), expected) << levels;
        EXPECT_EQ(VnDir(path(dirs[0])).remove(), 1);
        const bool over = levels > VnDir::kMaxTreeDepth;
        EXPECT_EQ(present(dirs[0]), over);
        EXPECT_EQ(present(dirs.back() + "/f"), over);
        EXPECT_FALSE(present(dirs[0] + "/f") || present(dirs[VnDir::kMaxTreeDepth] + "/f"));
    }
}

// 60 levels of 200-byte names make paths three times longer than the system takes: the walks
// still count and remove every level, and a link inside is unlinked, not followed.
TEST_F(VnDirTest, TreesBeyondThePathLimitAreWalkedWhole) {
    const std::string name(200, 'n');
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(mkdirat(fd, "long", 0700), 0);
    std::int64_t expected = 0;
    for (int level = 0; level < 60; ++level) {
        const int sub = openat(fd, level == 0 ? "long" : name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = sub;
        ASSERT_GE(fd, 0) << level;
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0700), 0) << level;
        struct stat status {};
        fstatat(fd, name.c_str(), &status, 0);
        expected += status.st_size;
    }
    const int file = openat(fd, "f", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(write(file, "1234567", 7), 7);
    close(file);
    ASSERT_EQ(symlinkat(at("outside").c_str(), fd, "out"), 0);
    close(fd);

    EXPECT_EQ(VnDir::size(path("long")), expected + 7);
    EXPECT_EQ(VnDir(path("long")).remove(), 1);
    EXPECT_FALSE(present("long"));
    EXPECT_TRUE(present("outside/keep"));
}

TEST_F(VnDirTest, MakeSetsTheModeDespiteTheUmask) {
    const mode_t saved = umask(022);
    VnDir made(path("m"));
    EXPECT_EQ(made.make(0777), 1);
    EXPECT_EQ(statusOf("m").st_mode & 07777, 0777u);
    chmod(at("m").c_str(), 0700);
    EXPECT_EQ(made.make(0777), 0);  // exists already: only the mode is set
    EXPECT_EQ(statusOf("m").st_mode & 07777, 0777u);
    EXPECT_EQ(VnDir(path("n")).make(0750), 1);
    EXPECT_EQ(statusOf("n").st_mode & 07777, 0750u);
    umask(saved);
}

}  // namespace

namespace {

// The mode goes only on a real directory: a link in the path's place, to a directory or to a
// file, is neither followed nor changed.
TEST_F(VnDirTest, MakeNeverChangesWhatALinkPointsTo) {
    chmod(at("outside").c_str(), 0700);
    chmod(at("outfile").c_str(), 0600);
    fs::create_symlink(at("outside"), at("dirlink"));
    fs::create_symlink(at("outfile"), at("filelink"));
    EXPECT_EQ(VnDir(path("dirlink")).make(0777) + VnDir(path("filelink")).make(0777), 0);
    EXPECT_EQ(statusOf("outside").st_mode & 07777, 0700u);
    EXPECT_EQ(statusOf("outfile").st_mode & 07777, 0600u);
    EXPECT_TRUE(S_ISLNK(statusOf("dirlink").st_mode) && S_ISLNK(statusOf("filelink").st_mode));
}

// Only the entries loaded when the object was built go: a file added since stays, and with it
// the directory. A subdirectory loses what it holds when it is reached, later files included.
TEST_F(VnDirTest, RemoveTakesOnlyTheLoadedEntries) {
    VnDir dir(path("t"));
    spit(at("t/late"), "written after the listing");
    spit(at("t/sub/late"), "x");
    EXPECT_EQ(dir.remove(), 1);
    std::string left;
    for (const auto& entry : fs::recursive_directory_iterator(at("t")))
        left += entry.path().filename().string() + ";";
    EXPECT_EQ(left, "late;");
    EXPECT_EQ(slurp(at("t/late")), "written after the listing");
    EXPECT_TRUE(present("outside/keep") && present("outfile"));

    VnDir again(path("t"));  // listed now: removed whole
    EXPECT_EQ(again.remove(), 1);
    EXPECT_FALSE(present("t"));
}

}  // namespace
