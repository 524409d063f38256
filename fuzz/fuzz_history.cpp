// Reads the input as a job's and a host's history file in a scratch log tree with every
// reader, and checks what can be checked cheaply: each non-empty line gives one record (up to
// the number that the memory allowance always holds), no text passes the 64 KiB line cap, both
// files read alike, and the filtered readers take no more than the whole. Then writes three
// events whose texts come from the input and checks that each reads back whole as one record.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "job/VnHistory.h"
#include "job/VnLog.h"
#include "system/VnFile.h"
#include "testing/ScratchDir.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Job 12's and host n1's history files under a fresh scratch directory, removed at exit.
class Scratch : public ScratchDir {
public:
    Scratch() {
        VnLog::jobbuilddir(base(), 12);
        VnLog::jobbuilddir(base(), 13);
        VnLog::hostbuilddir(base(), "n1");
        job = str(VnLog::joblogfile(base(), 12, 8));
        written = str(VnLog::joblogfile(base(), 13, 8));
        host = str(VnLog::hostlogfile(base(), "n1", 208));
    }
    VnString base() const { return vs(root); }
    std::string job, written, host;
};

void spit(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

int nonEmptyLines(const std::string& text) {
    int count = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) lf = text.size();
        if (lf > start) ++count;
        start = lf + 1;
    }
    return count;
}

std::string blanked(std::string text, const char* breaks) {
    for (char& c : text)
        if (c && std::string(breaks).find(c) != std::string::npos) c = ' ';
    return text;
}

void checkReaders(const Scratch& scratch, const std::string& text) {
    spit(scratch.job, text);
    spit(scratch.host, text);
    VnHistoryList all, host, work, subjob;
    VnHistory::query(scratch.base(), 12, all);
    VnHistory::queryHost(scratch.base(), "n1", host);
    // Each record takes a few hundred bytes besides its texts, so the 16 MiB that a read may
    // always take hold this many lines whatever they are; past them the read may stop early.
    const int lines = nonEmptyLines(text);
    check(lines > 50000 ? all.length() <= lines : all.length() == lines);
    check(host.length() == all.length());
    for (int i = 0; i < all.length(); ++i)
        check(all.get(i)->comment().length() < 64 * 1024 && all.get(i)->workid().length() < 64 * 1024);
    const VnString name = all.length() > 0 ? all.get(0)->workid() : VnString("a");
    VnHistory::query(scratch.base(), 12, name, work);
    VnHistory::query(scratch.base(), 12, all.length() > 0 ? all.get(0)->subid() : 0, subjob);
    check(work.length() <= all.length() && subjob.length() <= all.length());
}

// The input cut in three at its first two zero bytes: the two comment texts and a work name.
void checkWriters(const Scratch& scratch, const std::string& text) {
    const std::size_t first = text.find('\0');
    const std::size_t second = first == std::string::npos ? first : text.find('\0', first + 1);
    const std::string a = text.substr(0, first);
    const std::string b = first == std::string::npos ? "" : text.substr(first + 1, second - first - 1);
    const std::string name = second == std::string::npos ? "" : text.substr(second + 1);
    spit(scratch.written, "");
    VnFile::append(vs(scratch.written), VnHistory::data(13, vs(a), vs(b)));
    VnFile::append(vs(scratch.written), VnHistory::data(13, 5, vs(a), vs(b)));
    VnFile::append(vs(scratch.written), VnHistory::data(13, vs(name), vs(a), vs(b)));
    VnHistoryList back;
    VnHistory::query(scratch.base(), 13, back);
    check(back.length() == 3);
    if (a.size() + b.size() + name.size() > 60000) return;  // lines past 64 KiB are cut
    const std::string comment = blanked(a, "\r\n") + " (" + blanked(b, "\r\n") + ")";
    for (int i = 0; i < 3; ++i) {
        const VnHistory& event = *back.get(i);
        check(event.jobid() == 13 && str(event.comment()) == comment);
        check(event.subid() == (i == 1 ? 5 : -1));
        check(str(event.workid()) == (i == 2 ? blanked(name, "\t\r\n") : ""));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    static Scratch scratch;
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkReaders(scratch, text);
    checkWriters(scratch, text);
    return 0;
}
