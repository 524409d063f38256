// The log tree against names that another user planted in it: links at every level, files of
// other kinds, aliases of one subjob's log, more text than one call may read.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/VnDebug.h"
#include "job/VnHistory.h"
#include "job/VnLog.h"
#include "testing/TestRecords.h"
#include "tests/support/BytesRead.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// The peak memory of the process so far, in bytes.
long long peakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

// A tree under b/ and, beside it, a private folder and file that no call may change or read.
class VnLogTreeTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        fs::create_directories(at("b"));
        fs::create_directories(at("private"));
        spit(at("secret"), "7\t3\t0\tframe\n");
        chmod(at("private").c_str(), 0700);
        chmod(at("secret").c_str(), 0600);
    }
    VnString base() const { return vs(at("b")); }
    std::string tree(const std::string& name) const { return at("b/" + name); }
    int mode(const std::string& name) const {
        struct stat status {};
        return stat(at(name).c_str(), &status) == 0 ? int(status.st_mode & 07777) : -1;
    }
    // What the calls could have changed or read outside the tree, as one text.
    std::string outside() const {
        return std::to_string(mode("private")) + "," + std::to_string(mode("secret")) + "," +
               std::to_string(fs::is_empty(at("private"))) + "," + slurp(at("secret"));
    }
    std::string untouched() const {
        return std::to_string(0700) + "," + std::to_string(0600) + ",1,7\t3\t0\tframe\n";
    }
    std::string subjobText(int jobid, int subid) const {
        return str(VnLog(base(), jobid, subid, 1, 0).data());
    }
    int historyLines(int jobid) const {
        VnHistoryList list;
        VnHistory::query(base(), jobid, list);
        return list.length();
    }
    void link(const std::string& target, const std::string& name) const {
        ASSERT_EQ(symlink(at(target).c_str(), tree(name).c_str()), 0) << name;
    }
    // Plants links in place of a bucket folder, a host folder, a map file and a subjob log.
    void plantLinks() const {
        link("private", "job/12000");
        link("private", "host/n1");
        link("secret", "job/0/7/7.map");
        link("secret", "job/0/7/7_1.out");
        link("secret", "job/0/7/7.hst");
    }
    // The calls that a supervisor or a wrapper makes on the tree with the links in place.
    std::string callThroughLinks() const {
        VnLog::jobbuilddir(base(), 12345);
        VnLog::hostbuilddir(base(), "n1");
        VnLog::writemap(base(), 7, 1, 2, "frame");
        VnLogList logs;
        logs.load(base(), 7, 1);
        const std::string listed = logs.length() == 1 ? str(logs.get(0)->data()) : "?";
        return std::to_string(VnLog::readmap(base(), 7, "frame")) + "|" + subjobText(7, 1) + "|" +
               std::to_string(logs.length()) + listed + "|" + std::to_string(historyLines(7));
    }
};

}  // namespace

// A link anywhere in the tree is never followed: folders behind it keep their mode and get
// nothing created inside, files behind it are neither written nor read. The listed subjob
// reads as a missing file.
TEST_F(VnLogTreeTest, LinksAreNeverFollowed) {
    VnLog::jobbuilddir(base(), 7);
    VnLog::hostbuilddir(base(), "n0");
    plantLinks();
    EXPECT_EQ(callThroughLinks(), "-1||1|0");
    EXPECT_EQ(outside(), untouched());
    EXPECT_TRUE(fs::is_symlink(tree("job/12000")) && fs::is_symlink(tree("host/n1")));

    // A link higher up hides a whole job; the caller's own path may still lead through links.
    fs::create_directories(at("elsewhere/1008"));
    spit(at("elsewhere/1008/1008_1.out"), "eight");
    spit(at("elsewhere/1008/1008.hst"), "[T]\t1\tjob\t1008\t-1\tx\n");
    link("elsewhere", "job/1000");
    EXPECT_EQ(subjobText(1008, 1) + std::to_string(VnLog::islocal(base(), 1008)) +
                  std::to_string(historyLines(1008)),
              "00");
    VnLog viaLinks;
    EXPECT_EQ(viaLinks.loaddata(vs(tree("job/1000/1008/1008_1.out")), 0), 5);
    EXPECT_EQ(str(viaLinks.data()), "eight");
    EXPECT_EQ(str(VnLog(vs(tree("job/1000"))).data()), "");  // a folder reads as nothing
    fs::create_symlink(at("secret"), at("b/final"));
    EXPECT_EQ(viaLinks.loaddata(vs(tree("final")), 0), -1);  // a final link is not followed
}

// FIFOs and folders in the place of logs, map and history files read as missing files at once.
TEST_F(VnLogTreeTest, OtherKindsOfFilesReadAsMissing) {
    VnLog::jobbuilddir(base(), 7);
    for (const char* name : {"job/0/7/7_1.out", "job/0/7/7.map", "job/0/7/7.hst"})
        ASSERT_EQ(mkfifo(tree(name).c_str(), 0666), 0);
    fs::create_directories(tree("job/0/7/7_2.out"));
    VnLog::writemap(base(), 7, 1, 2, "frame");
    EXPECT_EQ(std::to_string(VnLog::readmap(base(), 7, "frame")) + subjobText(7, 1) + subjobText(7, 2) +
                  std::to_string(historyLines(7)),
              "-10");
}

// Host names that would leave the host branch read nothing, even where the file they name exists.
TEST_F(VnLogTreeTest, HostNamesStayInTheirBranch) {
    fs::create_directories(at("x/outside"));
    fs::create_directories(tree("host"));
    spit(at("x/outside.hst"), "[T]\t1\tjob\t1\t-1\toutside\n");
    ASSERT_TRUE(fs::exists(str(VnLog::hostlogfile(base(), "../../x/outside", 208))));
    VnHistoryList list;
    for (const std::string& host : {std::string("../../x/outside"), std::string(".."), std::string("."),
                                    std::string(""), std::string("n\0/../../x/outside", 18)})
        VnHistory::queryHost(base(), vs(host), list);
    EXPECT_EQ(list.length(), 0);
}

// Planted by an unprivileged user, then called as root, as the supervisor runs: the links to
// root's own folder and file change and reveal nothing.
TEST_F(VnLogTreeTest, RootCallsThroughAnotherUsersLinks) {
    if (geteuid() != 0) GTEST_SKIP() << "planting as another user and calling as root needs root";
    ASSERT_EQ(chmod(root.c_str(), 0711), 0);
    ASSERT_EQ(chmod(at("b").c_str(), 0777), 0);
    VnLog::jobbuilddir(base(), 7);
    VnLog::hostbuilddir(base(), "n0");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        for (const char* name :
             {"job/0/7/7.map", "job/0/7/7_1.out", "job/0/7/7.hst", "job/12000", "host/n1"}) {
            const std::string target =
                std::string(name).find('.') == std::string::npos ? "private" : "secret";
            if (symlink(at(target).c_str(), tree(name).c_str()) != 0) _exit(3);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat planted {};
    ASSERT_EQ(lstat(tree("job/12000").c_str(), &planted), 0);
    ASSERT_EQ(planted.st_uid, 65534u);
    EXPECT_EQ(callThroughLinks(), "-1||1|0");
    EXPECT_EQ(outside(), untouched());
}

// Where the kernel lets anyone link to any file, a hard link planted as a job's map file is
// read like the map it stands for, but never written: writemap leaves the file as it was.
TEST_F(VnLogTreeTest, HardLinksAreNeverWritten) {
    VnLog::jobbuilddir(base(), 7);
    ASSERT_EQ(::link(at("secret").c_str(), tree("job/0/7/7.map").c_str()), 0);
    VnLog::writemap(base(), 7, 1, 2, "frame");
    EXPECT_EQ(VnLog::readmap(base(), 7, "frame"), 3);  // the planted line, read through the link
    EXPECT_EQ(outside(), untouched());
    ASSERT_EQ(unlink(tree("job/0/7/7.map").c_str()), 0);
    VnLog::writemap(base(), 7, 1, 2, "frame");  // a map of its own is written again
    EXPECT_EQ(VnLog::readmap(base(), 7, "frame"), 1);
}

// Two hundred names of one subjob's log, and a command naming it two hundred times: the log is
// read once and listed once; the memory of the call stays near the size of the log.
TEST_F(VnLogTreeTest, AliasesOfOneLogAreReadOnce) {
    VnLog::jobbuilddir(base(), 5);
    const std::string log(4 << 20, 'o');
    spit(tree("job/0/5/5_1.out"), log);
    spit(tree("job/0/5/5_2.out"), "two");
    const char separators[] = "x_-+=~.,:;";
    for (int i = 0; i < 200; ++i)
        spit(tree("job/0/5/5" + std::string(1, separators[i % 10]) + std::string(i / 10 + 1, '0') + "1.out"),
             "");
    VnLog::writemap(base(), 5, 1, 1, "a");
    spit(tree("job/0/5/5_1.err"), "got work: 1:a -\nfirst\ngot work: 2:b -\nsecond\n");
    IN_CHILD({
        const long long before = peakBytes();
        VnLogList listed;
        listed.load(base(), 5, 1);
        std::string got;
        for (int i = 0; i < listed.length(); ++i)
            got += std::to_string(listed.get(i)->subid()) + ":" +
                   std::to_string(listed.get(i)->data().length()) + ";";
        EXPECT_TRUE(got == "1:4194304;2:3;" || got == "2:3;1:4194304;") << got;

        VnCommand cmd;
        for (int i = 0; i < 200; ++i) {
            cmd.jobids().push(new VnJobId(5, 1));
            cmd.workids().push(new VnWorkId(5, "a"));
        }
        cmd.filters().push(new VnFilter("pos", "4194300"));
        VnLogList named;
        named.load(base(), cmd, 1);
        ASSERT_EQ(named.length(), 2);
        EXPECT_EQ(str(named.get(0)->data()) + str(named.get(1)->data()), std::string(4, 'o'));
        VnLogList errors;
        cmd.jobids().push(new VnJobId(5));
        errors.load(base(), cmd, 2);  // the work section and the subjob's log from one read
        ASSERT_EQ(errors.length(), 3);
        EXPECT_EQ(
            str(errors.get(0)->data()) + "|" + str(errors.get(1)->data()) + "|" + str(errors.get(2)->data()),
            "got work: 1:a -\nfirst\n||");
        EXPECT_LT(peakBytes() - before, 64ll << 20);
    });
}

// One load reads at most its total: 257 logs of 1 MiB each, and the last is left out, as the
// debug log says; the command form keeps the same total.
TEST_F(VnLogTreeTest, OneLoadReadsAtMostItsTotal) {
    VnLog::jobbuilddir(base(), 9);
    constexpr int kLogs = 257;
    static_assert((kLogs - 1) * (std::int64_t(1) << 20) == VnLogList::kMaxText, "one log too many");
    for (int i = 0; i < kLogs; ++i) {
        const int fd = open(str(VnLog::joblogfile(base(), 9, i, 1)).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(ftruncate(fd, 1 << 20), 0);  // sparse: no disk taken
        close(fd);
    }
    const std::string debug = at("debug.log");
    const auto countFull = [](const VnLogList& logs) {
        int full = 0;
        for (int i = 0; i < logs.length(); ++i)
            full += logs.get(i)->data().length() == 1 << 20;
        return full;
    };
    IN_CHILD({
        vn_debug_filename(debug.c_str(), 0);
        VnLogList logs;
        logs.load(base(), 9, 1);
        EXPECT_EQ(std::to_string(logs.length()) + "," + std::to_string(countFull(logs)), "256,256");
    });
    IN_CHILD({
        vn_debug_filename(debug.c_str(), 0);
        VnCommand cmd;
        for (int i = kLogs - 1; i >= 0; --i)
            cmd.jobids().push(new VnJobId(9, i));
        VnLogList logs;
        logs.load(base(), cmd, 1);
        EXPECT_EQ(std::to_string(logs.length()) + "," + std::to_string(countFull(logs)) + "," +
                      std::to_string(logs.get(255)->subid()),
                  "256,256,1");
    });
    EXPECT_EQ(logMessages(debug), std::vector<std::string>(2, "ERROR: log list cut short: 1 logs left out."));
}

// Four hundred work items of one job: its map and each subjob's log are read once and gone
// through once for all of them, as the bytes read and the bytes scanned tell. Each item gets
// its own section; an item that the map lacks, an empty log of subjob -1.
TEST_F(VnLogTreeTest, WorkItemsShareOneReadOfEachFile) {
    VnLog::jobbuilddir(base(), 4);
    std::string map, logs[3], want;
    for (int i = 0; i < 20000; ++i) {
        const std::string id = std::to_string(i);
        map += "4\t" + std::to_string(1 + i % 2) + "\t" + id + "\tf" + id + "\n";
        if (i < 300) logs[1 + i % 2] += "got work: " + id + ":f" + id + " -\nout " + id + "\n";
    }
    spit(tree("job/0/4/4.map"), map);
    spit(tree("job/0/4/4_1.out"), logs[1]);
    spit(tree("job/0/4/4_2.out"), logs[2]);
    VnCommand cmd;
    for (int i = 0; i < 200; ++i) {
        const std::string id = std::to_string(i);
        cmd.workids().push(new VnWorkId(4, vs("f" + id)));
        cmd.workids().push(new VnWorkId(4, vs("g" + id)));  // not in the map
        want += std::to_string(1 + i % 2) + ":got work: " + id + ":f" + id + " -\nout " + id + "\n;-1:;";
    }
    cmd.workids().push(new VnWorkId(4, "f0"));  // named twice, listed once
    const long long readBefore = bytesReadSoFar();
    const std::int64_t scannedBefore = _vn_log_scanned();
    VnLogList listed;
    listed.load(base(), cmd, 1);
    const long long read = bytesReadSoFar() - readBefore;
    const long long files = static_cast<long long>(map.size() + logs[1].size() + logs[2].size());
    EXPECT_EQ(_vn_log_scanned() - scannedBefore, files);
    EXPECT_TRUE(read >= files && read < files + 4096) << read << " for " << files;
    std::string got;
    for (int i = 0; i < listed.length(); ++i)
        got += std::to_string(listed.get(i)->subid()) + ":" + str(listed.get(i)->data()) + ";";
    EXPECT_EQ(got, want);
}
