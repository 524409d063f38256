#include <gtest/gtest.h>

#include <string>

#include "system/VnFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRecords.h"

namespace {

std::string bytes(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}

std::string fields(const VnFile& f) {
    return bytes(f.name()) + "|" + bytes(f.source()) + "|" + bytes(f.data());
}

// n bytes cycling through the given alphabet.
std::string cycle(const std::string& alphabet, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += alphabet[i * 7 % alphabet.size()];
    return out;
}

class VnFileListTest : public TempDirTest {};

}  // namespace

// Files of a few megabytes archived and recovered: the XML form carries tab, line feed and the
// printable bytes, markup escaped; the binary form carries every byte.
TEST_F(VnFileListTest, LargeFilesArchivedAndRecoveredWhole) {
    std::string printable = "\t\n";
    for (char c = ' '; c < 127; ++c)
        printable += c;
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);

    for (bool xml : {false, true}) {
        spit(at("small"), "<a & b>");
        spit(at("large"), cycle(xml ? printable : everyByte, 3u << 20));
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
