#include "system/VnDir.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void spit(const std::string& path, std::size_t size) { std::ofstream(path) << std::string(size, 'x'); }

struct stat statusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

std::vector<std::string> systemListing(const std::string& path) {
    std::vector<std::string> names;
    DIR* directory = opendir(path.c_str());
    while (const dirent* entry = readdir(directory)) names.emplace_back(entry->d_name);
    closedir(directory);
    return names;
}

std::vector<std::string> listing(const VnDir& dir) {
    std::vector<std::string> names;
    for (int i = 0; i < dir.length(); ++i) names.emplace_back(dir.get(i)->value());
    return names;
}

class VnDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "vndirXXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        // Targets outside the trees under test, reached only through links.
        fs::create_directory(at("outside"));
        spit(at("outside/keep"), 1000);
        spit(at("outfile"), 100);
    }
    void TearDown() override { fs::remove_all(root); }
    std::string at(const std::string& name) const { return root + "/" + name; }
    void link(const char* target, const char* name) const { fs::create_symlink(at(target), at(name)); }
    bool present(const char* name) const { return fs::exists(fs::symlink_status(at(name))); }
    std::string root;
};

TEST_F(VnDirTest, ListsEntriesInTheSystemsOrder) {
    const VnDir missing(at("missing").c_str());
    EXPECT_EQ(missing.length(), 0);
    EXPECT_EQ(missing.get(0), nullptr);

    fs::create_directories(at("t/sub"));
    spit(at("t/a"), 1);
    spit(at("t/b c"), 1);
    const VnDir dir(at("t").c_str());
    EXPECT_EQ(listing(dir), systemListing(at("t")));  // with "." and ".."
    EXPECT_EQ(dir.length(), 5);
    EXPECT_EQ(dir.get(-1), nullptr);
    EXPECT_EQ(dir.get(5), nullptr);
    EXPECT_EQ(dir.dir(), VnString(at("t").c_str()));
}

TEST_F(VnDirTest, PathTests) {
    link("outside", "dirlink");
    link("outfile", "filelink");
    link("missing", "dangling");
    const struct {
        const char* name;
        int isdir, isfile, islink;
    } cases[] = {{"outside", 1, 0, 0},  {"outfile", 0, 1, 0},  {"dirlink", 1, 0, 1},
                 {"filelink", 0, 1, 1}, {"dangling", 0, 0, 1}, {"missing", 0, 0, 0}};
    for (const auto& c : cases) {
        const VnString path(at(c.name).c_str());
        EXPECT_EQ(VnDir::isdir(path), c.isdir) << c.name;
        EXPECT_EQ(VnDir::isfile(path), c.isfile) << c.name;
        EXPECT_EQ(VnDir::islink(path), c.islink) << c.name;
    }
    chmod(at("outfile").c_str(), 0777);
    EXPECT_EQ(VnDir::fullaccess(at("outfile").c_str()), 1);
    chmod(at("outfile").c_str(), 0775);
    EXPECT_EQ(VnDir::fullaccess(at("outfile").c_str()), 0);
    EXPECT_EQ(VnDir::fullaccess(at("missing").c_str()), 0);
}

TEST_F(VnDirTest, SizeCountsFilesAndSubdirectoriesButNotLinks) {
    fs::create_directories(at("t/sub/deeper"));
    spit(at("t/a"), 10);
    spit(at("t/sub/b"), 20);
    spit(at("t/sub/deeper/c"), 5);
    link("outside", "t/sub/dirlink");
    link("outfile", "t/filelink");
    const std::int64_t dirs = statusOf(at("t/sub")).st_size + statusOf(at("t/sub/deeper")).st_size;
    EXPECT_EQ(VnDir::size(at("t").c_str()), 10 + 20 + 5 + dirs);
    EXPECT_EQ(VnDir::size(at("missing").c_str()), 0);
    EXPECT_EQ(VnDir::size(at("outfile").c_str()), 0);
}

TEST_F(VnDirTest, RemoveDeletesTheTreeButNoLinkTarget) {
    fs::create_directories(at("t/sub/inner"));
    spit(at("t/f"), 1);
    spit(at("t/sub/inner/g"), 1);
    link("outside", "t/sub/dirlink");
    link("outfile", "t/filelink");
    link("missing", "t/dangling");
    EXPECT_EQ(VnDir(at("t").c_str()).remove(), 1);
    EXPECT_FALSE(present("t"));

    link("outside", "link");  // a path that is itself a link loses only the link
    EXPECT_EQ(VnDir(at("link").c_str()).remove(), 1);
    EXPECT_FALSE(present("link"));
    EXPECT_TRUE(present("outside/keep"));
    EXPECT_TRUE(present("outfile"));

    fs::create_directory(at("t"));  // entries made after loading are not seen
    VnDir snapshot(at("t").c_str());
    spit(at("t/late"), 1);
    snapshot.remove();
    EXPECT_TRUE(present("t/late"));
}

TEST_F(VnDirTest, RecursionStopsAtTheDepthLimit) {
    std::string deepest = "t";
    for (int level = 0; level < VnDir::kMaxTreeDepth + 20; ++level) deepest += "/d";
    fs::create_directories(at(deepest));
    EXPECT_GT(VnDir::size(at("t").c_str()), 0);
    EXPECT_EQ(VnDir(at("t").c_str()).remove(), 1);
    EXPECT_TRUE(present(deepest.c_str()));  // left in place, with every level above
}

TEST_F(VnDirTest, MakeSetsTheModeDespiteTheUmask) {
    const mode_t saved = umask(022);
    VnDir made(at("m").c_str());
    EXPECT_EQ(made.make(0777), 1);
    EXPECT_EQ(statusOf(at("m")).st_mode & 07777, 0777u);
    chmod(at("m").c_str(), 0700);
    EXPECT_EQ(made.make(0777), 0);  // exists already: only the mode is set
    EXPECT_EQ(statusOf(at("m")).st_mode & 07777, 0777u);
    EXPECT_EQ(VnDir(at("n").c_str()).make(0750), 1);
    EXPECT_EQ(statusOf(at("n")).st_mode & 07777, 0750u);
    EXPECT_EQ(VnDir(at("no/such").c_str()).make(0777), 0);
    umask(saved);
}

}  // namespace
