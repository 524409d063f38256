#include "system/VnFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "system/VnSafeOpen.h"
#include "system/VnSafeOpenHooks.h"
#include "testing/TestRecords.h"
#include "tests/support/BytesRead.h"
#include "tests/support/CountedNew.h"
#include "tests/support/TempDir.h"

namespace {

std::string bytes(const VnString& s) {
    return std::string(s.value(), s.length());
}

// The size of the text's buffer, its NUL included.
int capacity(VnString& s) {
    testing::internal::CaptureStdout();
    s._debug_info();
    const std::string info = testing::internal::GetCapturedStdout();
    return std::atoi(info.c_str() + info.find("size: ") + 6);
}

std::string fields(const VnFile& f) {
    return bytes(f.name()) + "|" + bytes(f.source()) + "|" + bytes(f.data());
}

// n bytes cycling through the alphabet; by default every byte value.
std::string cycle(std::size_t n, const std::string& alphabet = "") {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += alphabet.empty() ? static_cast<char>(i * 7 % 256) : alphabet[i * 7 % alphabet.size()];
    return out;
}

class VnFileTest : public TempDirTest {
protected:
    VnString path(const std::string& name) const { return VnString(at(name).c_str()); }
};

TEST_F(VnFileTest, LoadSaveAndAppendKeepEveryByte) {
    for (std::size_t n : {0, 1022, 1023, 1024, 1025, 5000}) {
        const std::string data = cycle(n);
        spit(at("in"), data);
        EXPECT_EQ(bytes(VnFile::load(path("in"))), data) << n;
        VnFile file(path("in"));
        EXPECT_EQ(fields(file), "in|" + at("in") + "|" + data) << n;
        EXPECT_FALSE(file.data().isundef()) << n;  // an empty file reads as an empty text
        file.write(path("out"));
        EXPECT_EQ(slurp(at("out")), data) << n;
    }
    VnFile::save(path("out"), "ab");  // truncates the longer contents
    const std::string chunk("x\0\xffy", 4);
    VnFile::append(path("log"), VnString(chunk.data(), 4));  // creates the file
    VnFile::append(path("log"), VnString(chunk.data(), 4));
    EXPECT_EQ(slurp(at("out")) + slurp(at("log")), "ab" + chunk + chunk);
    EXPECT_EQ(bytes(VnFile::load(path("missing"))) + bytes(VnFile::load(root.c_str())), "");

    auto loadpos = [&](const char* name, int pos) {  // "end|bytes" after "x"
        VnString out("x");
        const int end = VnFile::loadpos(path(name), pos, out);
        return std::to_string(end) + "|" + bytes(out);
    };
    EXPECT_EQ(loadpos("log", 0) + " " + loadpos("log", -4), "8|x" + chunk + chunk + " 8|x" + chunk + chunk);
    EXPECT_EQ(
        loadpos("log", 6) + " " + loadpos("log", 8) + " " + loadpos("missing", 0) + " " + loadpos(".", 0),
        "8|x\xffy 8|x -1|x -1|x");
    EXPECT_EQ(loadpos("in", 1000), "5000|x" + cycle(5000).substr(1000));  // the loop's last file
}

TEST_F(VnFileTest, ExistsTouchWritableModifiedRemove) {
    spit(at("f"), "abc");
    std::filesystem::create_symlink(at("f"), at("link"));
    std::filesystem::create_symlink(at("missing"), at("dangling"));
    std::string found;
    for (const char* name : {"f", "link", "dangling", "missing", ""})
        found += std::to_string(VnFile::exists(path(name)));
    EXPECT_EQ(found, "11000");

    EXPECT_EQ(VnFile::touch(path("new")) + VnFile::writable(path("w")), 2);  // both create the file
    EXPECT_EQ(VnFile::touch(path("no/dir")), 0);  // cannot be created: not a success
    const utimbuf past{1000000000, 1000000000};
    ASSERT_EQ(utime(at("f").c_str(), &past), 0);
    EXPECT_EQ(VnFile::modified(path("f")), 1000000000);
    EXPECT_EQ(VnFile::touch(path("f")) + VnFile::modified(path("missing")), 1);
    EXPECT_GT(VnFile::modified(path("f")), 1000000000);
    EXPECT_EQ(slurp(at("f")) + "|" + slurp(at("new")) + "|" + slurp(at("w")), "abc||");
    EXPECT_EQ(VnFile::writable(path("no/dir")) + VnFile::writable(root.c_str()), 0);
    EXPECT_EQ(VnFile::remove(path("w")), 1);
    EXPECT_EQ(VnFile::remove(path("w")), 0);  // finds nothing
}

TEST(VnFile, NamesOfPaths) {
    std::string names;  // filename and dirbase of each
    for (const char* p : {"/a/b/c.txt", "a/b", "c.txt", "/a/b/", "/etc", "/"})
        names += bytes(VnFile::filename(p)) + "," + bytes(VnFile::dirbase(p)) + " ";
    EXPECT_EQ(names, "c.txt,/a/b b,a c.txt, ,/a/b etc, , ");
    const int saved = VnFile::_file_unique;  // the counter wraps past INT_MAX instead of overflowing
    VnFile::_file_unique = INT_MAX;
    const std::string prefix = "vorn" + std::to_string(getpid()) + "u";
    EXPECT_EQ(bytes(VnFile::uniquefile()), prefix + std::to_string(INT_MAX) + ".tmp");
    EXPECT_EQ(bytes(VnFile::uniquefile()), prefix + std::to_string(INT_MIN) + ".tmp");
    VnFile::_file_unique = saved;
}

TEST(VnFile, BinaryAndXmlForms) {
    const std::string data("a\0\xff", 3);
    VnFile file, copy, fromXML;
    file.name() = "c.txt";
    file.source() = "/d/c.txt";
    file.data() = VnString(data.data(), 3);
    const std::string binary = packed(file);  // name, source and data under tags 0, 2 and 1
    EXPECT_EQ(
        binary,
        std::string("\0\0\0\1\0\0\0\3\0\0\0\5c.txt\0\2\0\3\0\0\0\x08/d/c.txt\0\1\0\3\0\0\0\3a\0\xff", 44));
    ASSERT_EQ(unpackInto(copy, binary), 0);
    EXPECT_EQ(fields(copy), "c.txt|/d/c.txt|" + data);

    file.data() = "x & <y>\nline 2";
    const std::string document = packed(file, true);
    EXPECT_EQ(document,
              "<version>1</version>\n<object type = 'file'>\n\t<name>c.txt</name>\n"
              "\t<source>/d/c.txt</source>\n\t<data>x &amp; &lt;y&gt;\nline 2</data>\n</object>");
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    EXPECT_EQ(fields(fromXML), "c.txt|/d/c.txt|x & <y>\nline 2");
}

// Lists of files of a few megabytes archived and recovered: the XML form carries tab, line feed
// and the printable bytes, markup escaped; the binary form carries every byte.
TEST_F(VnFileTest, LargeFileListsArchivedAndRecoveredWhole) {
    std::string printable = "\t\n";
    for (char c = ' '; c < 127; ++c)
        printable += c;
    for (bool xml : {false, true}) {
        spit(at("small"), "<a & b>");
        spit(at("large"), cycle(3u << 20, xml ? printable : ""));
        VnFileList list, back;
        list.push(new VnFile(at("small").c_str()));
        list.push(new VnFile(at("large").c_str()));
        const VnString archive(at("archive").c_str());
        const int written = xml ? list.archiveXML(archive) : list.archive(archive);
        ASSERT_GT(written, 3 << 20);
        EXPECT_EQ(xml ? back.recoverXML(archive) : back.recover(archive), written + (xml ? 15 : 0));
        ASSERT_EQ(back.length(), 2);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(fields(*back.get(i)), fields(*list.get(i))) << xml;
    }
}

// A sparse file of 2 GiB and more stands in for one that no string can hold: every reader
// answers its failure result without reading it, loadpos too when little is left past its
// offset. One byte less is read (loadpos near its end); load still refuses it unread, as a text
// holds at most 2 GiB - 2 bytes.
TEST_F(VnFileTest, FilesTooLargeToHoldAreRefusedUnread) {
    const VnString big = path("big");
    spit(at("big"), "");
    const long long before = bytesReadSoFar();
    for (std::uintmax_t size : {std::uintmax_t(INT_MAX) + 100, std::uintmax_t(INT_MAX) + 1}) {
        std::filesystem::resize_file(at("big"), size);
        EXPECT_EQ(VnFile::load(big).length(), 0);
        EXPECT_EQ(fields(VnFile(big)), "||");
        TestItem item;
        EXPECT_EQ(item.recover(big) + item.recoverXML(big), 0);
        VnString out("kept");
        EXPECT_EQ(VnFile::loadpos(big, 0, out), -1);
        EXPECT_EQ(VnFile::loadpos(big, INT_MAX - 100, out), -1) << size;
        EXPECT_EQ(bytes(out), "kept");
    }
    std::filesystem::resize_file(at("big"), INT_MAX);
    VnString out("x");
    EXPECT_EQ(VnFile::loadpos(big, INT_MAX - 100, out), INT_MAX);  // the last 100 bytes
    EXPECT_EQ(bytes(out), "x" + std::string(100, '\0'));
    EXPECT_EQ(VnFile::load(big).length(), 0);
    EXPECT_LT(bytesReadSoFar() - before, 64 << 10);
}

// Appends to the file named here when a reader has taken its size.
std::string grown;
void growFile(int) {
    std::ofstream(grown, std::ios::binary | std::ios::app) << "+added";
}

// A file is read as far as its size when opened: what is added during the read is left out,
// unless the file reported size 0 and is read to its end.
TEST_F(VnFileTest, BytesAddedDuringALoadAreLeftOut) {
    grown = at("f");
    spit(grown, "0123456789");
    _vn_after_size = growFile;
    const std::string loaded = bytes(VnFile::load(path("f")));
    VnString out("x");
    const int end = VnFile::loadpos(path("f"), 4, out);
    const VnFile file(path("f"));
    VnString atEnd("x");  // a follower at the end: nothing to read but what was added
    const int endAtEnd = VnFile::loadpos(path("f"), 28, atEnd);
    spit(grown, "");
    const std::string fromEmpty = bytes(VnFile::load(path("f")));
    _vn_after_size = nullptr;
    EXPECT_EQ(loaded + "|" + std::to_string(end) + bytes(out) + "|" + bytes(file.data()),
              "0123456789|16x456789+added|0123456789+added+added");
    EXPECT_EQ(fromEmpty, "+added");
    EXPECT_EQ(std::to_string(endAtEnd) + bytes(atEnd), "28x");
}

// Makes the reader's descriptor unreadable when it has taken the file's size: a descriptor of
// the file named here, open for writing only, takes its place.
std::string unreadable;
void breakReads(int fd) {
    const int writeOnly = open(unreadable.c_str(), O_WRONLY | O_CLOEXEC);
    dup2(writeOnly, fd);
    close(writeOnly);
}

// Cuts the file named by unreadable to 5 bytes.
void shrinkFile(int) {
    std::filesystem::resize_file(unreadable, 5);
}

// A file of known size is read into one buffer made for it and its NUL, which the text keeps: one
// allocation and no growth steps, for load and read alike, and for an append of at least as many
// bytes as the text holds. Fewer bytes are read aside and appended, so that a follower's text
// grows by its rule and stays in place while it has room. A failure, to allocate or to read,
// leaves the text as it was.
TEST_F(VnFileTest, ALoadOfKnownSizeAllocatesItsTextOnce) {
    const int size = 3 << 20;
    const std::string data = cycle(size), tail = data.substr(size - 100);
    spit(at("f"), data);
    const VnString f = path("f");
    long before = allocations;
    VnString loaded = VnFile::load(f);
    EXPECT_EQ(allocations - before, 1);
    EXPECT_TRUE(capacity(loaded) == size + 1 && bytes(loaded) == data);
    VnFile file(f);
    EXPECT_TRUE(capacity(file.data()) == size + 1 && bytes(file.data()) == data);

    VnString out("x");
    before = allocations;
    EXPECT_EQ(VnFile::loadpos(f, 0, out), size);
    EXPECT_EQ(allocations - before, 1);
    EXPECT_TRUE(capacity(out) == size + 2 && bytes(out) == "x" + data);
    before = allocations;
    EXPECT_EQ(VnFile::loadpos(f, size - 100, out), size);  // read aside, then out grows by its rule
    EXPECT_EQ(allocations - before, 2);
    const char* buffer = out.value();
    before = allocations;
    EXPECT_EQ(VnFile::loadpos(f, size - 100, out), size);  // read aside, appended in place
    EXPECT_EQ(allocations - before, 1);
    EXPECT_TRUE(out.value() == buffer && capacity(out) == 4 * (size + 102));
    const std::string kept = "x" + data + tail + tail;
    EXPECT_EQ(bytes(out), kept);

    VnString small("a text of forty bytes, on the heap......");
    const char* smallBuffer = small.value();
    auto failingFirst = [](auto read) {  // the answer, and "!" when the first allocation failed
        allocationFailed = false;
        allocationsLeft = 0;
        const std::string answer = std::to_string(read());
        allocationsLeft = -1;
        return answer + (allocationFailed ? "!" : "") + " ";
    };
    std::string answers = failingFirst([&] { return VnFile::loadpos(f, 0, small); });  // whole text
    answers += failingFirst([&] { return VnFile::loadpos(f, size - 100, out); });      // aside
    answers += failingFirst([&] { return VnFile::load(f).length(); });
    EXPECT_EQ(answers, "-1! -1! 0! ");

    unreadable = at("f");
    _vn_after_size = breakReads;
    before = allocations;
    answers = std::to_string(VnFile::load(f).length());
    answers += " " + std::to_string(allocations - before);
    for (int pos : {0, size - 100})
        answers += " " + std::to_string(VnFile::loadpos(f, pos, pos ? out : small));
    _vn_after_size = nullptr;
    EXPECT_EQ(answers, "0 1 -1 -1");  // the buffer was made before the read failed
    EXPECT_TRUE(out.value() == buffer && bytes(out) == kept);
    EXPECT_TRUE(small.value() == smallBuffer && bytes(small) == "a text of forty bytes, on the heap......");

    _vn_after_size = shrinkFile;  // a file cut short after its size was taken gives what it holds
    const std::string shrunk = bytes(VnFile::load(f));
    const int end = VnFile::loadpos(f, 0, small);
    _vn_after_size = nullptr;
    EXPECT_EQ(shrunk + " " + std::to_string(end) + " " + bytes(small),
              data.substr(0, 5) + " 5 a text of forty bytes, on the heap......" + data.substr(0, 5));
}

// Files of /proc report size 0: a small one loads whole, one of more than 64 MiB (the page map
// of the process) gives the failure result after reading at most one block past 64 MiB.
TEST(VnFile, FilesOfSize0ReadToTheirEndUpTo64MiB) {
    const std::string status = bytes(VnFile::load("/proc/self/status"));
    EXPECT_EQ(status.substr(0, 5), "Name:");
    EXPECT_NE(status.find("\nVmPeak:"), std::string::npos);
    EXPECT_EQ(status.back(), '\n');
    if (access("/proc/self/pagemap", R_OK) != 0) GTEST_SKIP() << "no page map";
    const long long before = bytesReadSoFar();
    EXPECT_EQ(VnFile::load("/proc/self/pagemap").length(), 0);
    const long long read = bytesReadSoFar() - before;
    EXPECT_GT(read, 64 << 20);
    EXPECT_LE(read, (64 << 20) + (64 << 10) + 4096);
    VnString out("kept");
    EXPECT_EQ(VnFile::loadpos("/proc/self/pagemap", 8, out), -1);
    EXPECT_EQ(bytes(out), "kept");
}

// Files that save, append, touch or writable make get mode 0666 less the umask; a file that
// exists keeps its mode.
TEST_F(VnFileTest, FilesMadeGetMode0644UnderUmask022) {
    spit(at("kept"), "k");
    std::filesystem::permissions(at("kept"), std::filesystem::perms(0600));
    const mode_t saved = umask(022);
    VnFile::save(path("saved"), "s");
    VnFile::append(path("appended"), "a");
    VnFile::touch(path("touched"));
    VnFile::writable(path("writable"));
    VnFile::save(path("kept"), "s");
    umask(saved);
    std::string modes;
    for (const char* name : {"saved", "appended", "touched", "writable", "kept"}) {
        struct stat status {};
        modes += std::to_string(stat(at(name).c_str(), &status) == 0 ? status.st_mode & 07777 : 1) + " ";
    }
    EXPECT_EQ(modes, "420 420 420 420 384 ");  // 0644 four times, then 0600
}

}  // namespace
