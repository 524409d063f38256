#include "system/VnFile.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string bytes(const VnString& s) { return std::string(s.value(), static_cast<std::size_t>(s.length())); }
VnString text(const std::string& s) { return VnString(s.data(), static_cast<int>(s.size())); }

std::string pattern(std::size_t n) {  // every byte value, over and over
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += static_cast<char>(i * 7 % 256);
    return out;
}
void spit(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }
std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void setMtime(const std::string& path, long seconds) {
    const utimbuf times{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

std::string be32(std::uint32_t u) {
    return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8), static_cast<char>(u)};
}
std::string strField(int tag, const std::string& s) {
    return be32(static_cast<std::uint32_t>(tag << 16 | 3)) + be32(static_cast<std::uint32_t>(s.size())) + s;
}

class VnFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "vnfileXXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
    }
    void TearDown() override { fs::remove_all(root); }
    VnString at(const std::string& name) const { return VnString((root + "/" + name).c_str()); }
    std::string root;
};

TEST_F(VnFileTest, LoadSaveAndAppendKeepEveryByte) {
    for (std::size_t n : {0, 1, 1022, 1023, 1024, 1025, 2048, 5000}) {
        SCOPED_TRACE(n);
        const std::string data = pattern(n);
        spit(at("in").value(), data);
        EXPECT_EQ(bytes(VnFile::load(at("in"))), data);
        VnFile file(at("in"));
        EXPECT_EQ(bytes(file.data()), data);
        EXPECT_EQ(bytes(file.name()), "in");
        EXPECT_EQ(bytes(file.source()), at("in").value());
        file.write(at("out"));
        EXPECT_EQ(slurp(at("out").value()), data);
    }
    VnFile::save(at("out"), "ab");  // truncates the longer contents
    EXPECT_EQ(slurp(at("out").value()), "ab");

    const std::string chunk("x\0\xffy", 4);
    VnFile::append(at("log"), text(chunk));  // creates the file
    VnFile::append(at("log"), text(chunk));
    EXPECT_EQ(slurp(at("log").value()), chunk + chunk);

    EXPECT_EQ(bytes(VnFile::load(at("missing"))), "");
    EXPECT_EQ(bytes(VnFile::load(root.c_str())), "");
    VnFile::save(at("no/dir"), "x");
    VnFile::append(at("no/dir"), "x");
    EXPECT_FALSE(fs::exists(at("no").value()));

    VnFile kept(at("log"));
    kept.read(at("missing"));  // changes nothing
    EXPECT_EQ(bytes(kept.data()), chunk + chunk);
    EXPECT_EQ(bytes(kept.source()), at("log").value());
}

TEST_F(VnFileTest, LoadposAppendsFromOffsetToEnd) {
    const std::string data("ab\0\xffz", 5);
    spit(at("f").value(), data);
    const struct {
        int pos;
        const char* before;
        std::string after;
    } cases[] = {{0, "x", "x" + data}, {3, "", "\xffz"}, {5, "", ""}, {-4, "", data}};
    for (const auto& c : cases) {
        VnString out(c.before);
        EXPECT_EQ(VnFile::loadpos(at("f"), c.pos, out), 5) << c.pos;
        EXPECT_EQ(bytes(out), c.after) << c.pos;
    }
    const std::string big = pattern(3000);
    spit(at("big").value(), big);
    VnString rest;
    EXPECT_EQ(VnFile::loadpos(at("big"), 1000, rest), 3000);
    EXPECT_EQ(bytes(rest), big.substr(1000));

    VnString untouched("keep");
    EXPECT_EQ(VnFile::loadpos(at("missing"), 0, untouched), -1);
    EXPECT_EQ(VnFile::loadpos(root.c_str(), 0, untouched), -1);
    EXPECT_EQ(bytes(untouched), "keep");
}

TEST_F(VnFileTest, ExistsTouchWritableModifiedRemove) {
    spit(at("f").value(), "abc");
    fs::create_symlink(at("f").value(), at("link").value());
    fs::create_symlink(at("missing").value(), at("dangling").value());
    for (const char* name : {"f", "link"}) EXPECT_EQ(VnFile::exists(at(name)), 1) << name;
    for (const char* name : {"dangling", "missing", ""}) EXPECT_EQ(VnFile::exists(at(name)), 0) << name;

    EXPECT_EQ(VnFile::touch(at("new")), 1);
    EXPECT_EQ(slurp(at("new").value()), "");
    EXPECT_EQ(VnFile::touch(at("no/dir")), 0);  // cannot be created

    setMtime(at("f").value(), 1000000000);
    EXPECT_EQ(VnFile::modified(at("f")), 1000000000);
    EXPECT_EQ(VnFile::touch(at("f")), 1);
    EXPECT_GT(VnFile::modified(at("f")), 1000000000);
    EXPECT_EQ(slurp(at("f").value()), "abc");
    setMtime(at("f").value(), 4102444800L);  // 2100-01-01, beyond a 32-bit count
    EXPECT_EQ(VnFile::modified(at("f")), 4102444800L);
    EXPECT_EQ(VnFile::modified(at("missing")), 0);

    EXPECT_EQ(VnFile::writable(at("w")), 1);
    EXPECT_TRUE(fs::is_regular_file(at("w").value()));
    EXPECT_EQ(VnFile::writable(at("no/dir")), 0);
    EXPECT_EQ(VnFile::writable(root.c_str()), 0);
    EXPECT_EQ(VnFile::remove(at("w")), 1);
    EXPECT_EQ(VnFile::remove(at("w")), 0);
}

TEST(VnFile, FilenameAndDirbase) {
    const struct {
        const char *path, *filename, *dirbase;
    } cases[] = {
        {"/a/b/c.txt", "c.txt", "/a/b"}, {"a/b", "b", "a"}, {"c.txt", "c.txt", ""}, {"/a/b/", "", "/a/b"},
        {"/etc", "etc", ""},             {"/", "", ""},     {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bytes(VnFile::filename(c.path)), c.filename) << c.path;
        EXPECT_EQ(bytes(VnFile::dirbase(c.path)), c.dirbase) << c.path;
    }
}

TEST(VnFile, UniqueFileNamesCountUp) {
    const std::string prefix = "vorn" + std::to_string(getpid()) + "u";
    auto counter = [&](const std::string& name) {
        EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".tmp") << name;
        return std::stoi(name.substr(prefix.size(), name.size() - prefix.size() - 4));
    };
    const int first = counter(bytes(VnFile::uniquefile()));
    EXPECT_EQ(counter(bytes(VnFile::uniquefile())), first + 1);
    EXPECT_EQ(VnFile::_file_unique, first + 2);
}

TEST(VnFile, BinaryAndXmlForms) {
    const std::string data("a\0\xff", 3);
    VnFile file;
    file.name() = "c.txt";
    file.source() = "/d/c.txt";
    file.data() = text(data);
    file.pack();
    std::string packed(file.packContents(), static_cast<std::size_t>(file.packSize()));
    EXPECT_EQ(packed, be32(1) + strField(0, "c.txt") + strField(2, "/d/c.txt") + strField(1, data));
    VnFile copy;
    ASSERT_EQ(copy.unpack(packed.data(), static_cast<int>(packed.size())), 0);
    EXPECT_EQ(bytes(copy.name()), "c.txt");
    EXPECT_EQ(bytes(copy.source()), "/d/c.txt");
    EXPECT_EQ(bytes(copy.data()), data);

    file.data() = "x & <y>\nline 2";
    file.packXML();
    const std::string document(file.packContents(), static_cast<std::size_t>(file.packSize()));
    EXPECT_EQ(document,
              "<version>1</version>\n<object type = 'file'>\n\t<name>c.txt</name>\n"
              "\t<source>/d/c.txt</source>\n\t<data>x &amp; &lt;y&gt;\nline 2</data>\n</object>");
    std::string wrapped = "<pack>\n" + document + "\n</pack>";
    VnFile fromXML;
    ASSERT_EQ(fromXML.unpackXML(wrapped.data(), static_cast<int>(wrapped.size())), 0);
    EXPECT_EQ(bytes(fromXML.name()), "c.txt");
    EXPECT_EQ(bytes(fromXML.source()), "/d/c.txt");
    EXPECT_EQ(bytes(fromXML.data()), "x & <y>\nline 2");
}

}  // namespace
