#include "system/VnEnv.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include <filesystem>
#include <string>

#include "base/VnDebug.h"
#include "testing/PeakMemory.h"
#include "testing/TestRecords.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace {

// Every variable as name=value, then the mounts as name>target in the hash's order.
std::string contents(const VnEnv& env) {
    std::string out;
    for (int i = 0; i < env.keys().length(); ++i)
        out += str(*env.keys().get(i)) + "=" + str(*env.values().get(i)) + ";";
    VnStringList names;
    env.mounts(names);
    for (int i = 0; i < names.length(); ++i)
        out += str(*names.get(i)) + ">" + str(env.mount(*names.get(i))) + ";";
    return out;
}

VnEnv sample() {
    VnEnv env;
    env.revert("umask=18\ncwd=/tmp");
    env.mount("X", "/mnt/share");
    env.set("A", "1");
    return env;
}

std::string split(const VnEnv& env, const char* name) {
    VnString user("u0"), password("p0"), target("t0");
    const int found = env.mount(name, user, password, target);
    return std::to_string(found) + ":" + str(user) + "," + str(password) + "," + str(target);
}

}  // namespace

TEST(VnEnv, TextFormBothWays) {
    const std::string text = "umask=18\ncwd=/tmp\ndrivemap=X|/mnt/share\nA=1";
    EXPECT_EQ(str(sample().convert()), text);
    VnEnv back;
    back.revert(text.c_str());
    EXPECT_EQ(std::to_string(back.mask()) + str(back.cwd()) + " " + contents(back),
              "18/tmp A=1;X>/mnt/share;");

    // Later "umask" and "cwd" items are variables; a value keeps "=" and "\r"; a name runs up to
    // its "=" across line ends; a drive map line drops text after a second "|".
    VnEnv env;
    env.revert("cwd=/a\numask=7\ncwd=/b\nE=x=y\r\nM\nN=2\ndrivemap=Y\ndrivemap=Z|t|rest\nlast");
    EXPECT_EQ(std::to_string(env.mask()) + str(env.cwd()) + " " + contents(env),
              "7/a cwd=/b;E=x=y\r;M\nN=2;last=;Y>;Z>t;");
    VnEnv again;
    again.revert(env.convert());
    EXPECT_EQ(str(again.convert()), str(env.convert()));

    VnEnv stops;
    stops.revert("A=1\n=2\nB=3");
    char bytes[] = "C=4\nD=5";
    stops.revert(bytes, 3);  // only the first three bytes
    stops.revert(nullptr, 5);
    stops.revert(bytes, -1);
    EXPECT_EQ(contents(stops), "A=1;C=4;");
    stops.revert(stops.keys().get(0)->value());  // a text without "=" is a name with an empty value
    EXPECT_EQ(contents(stops), "A=1;C=4;A=;");

    // A few megabytes of text read in proportion.
    std::string big;
    while (big.size() < (4u << 20))
        big += "NAME" + std::to_string(big.size()) + "=" + std::string(60, 'v') + "\n";
    VnEnv large;
    large.revert(big.c_str());
    EXPECT_EQ(str(large.convert()), "umask=0\ncwd=\n" + big.substr(0, big.size() - 1));
}

TEST(VnEnv, VariablesAndMounts) {
    VnEnv env = sample();
    env.set("B", "2");
    env.set("A", "3");  // in place
    EXPECT_EQ(str(env.value("A")) + str(env.value("B")) + str(env.value("a")) + "|" + contents(env),
              "32|A=3;B=2;X>/mnt/share;");
    env.clear();
    EXPECT_EQ(std::to_string(env.mask()) + str(env.cwd()) + " " + contents(env), "18/tmp X>/mnt/share;");

    env.mount("X", "u:p:q@srv@x");
    env.mount("U", "u@srv");
    env.mount("P", "srv:1");
    env.mount("E", "@");
    EXPECT_EQ(split(env, "X") + " " + split(env, "U") + " " + split(env, "P") + " " + split(env, "E") + " " +
                  split(env, "none"),
              "1:u0u,p0p:q,t0srv@x 1:u0u,p0,t0srv 1:u0,p0,srv:1 1:u0,p0,t0 0:u0,p0,t0");

    VnEnv mounts;
    mounts.mountmap("a|b\n\nc|d|e\nf\n");
    char bytes[] = "g|h\ni|j";
    mounts.mountmap(bytes, 4);  // the line feed ends the text: no empty line after it
    mounts.mountmap(nullptr, 3);
    mounts.mountmap(bytes, -1);
    VnStringList names;
    names.push(new VnString("kept"));
    mounts.mounts(names);  // appends
    EXPECT_EQ(names.length(), 6);
    EXPECT_EQ(str(mounts.mount("a")) + "," + str(mounts.mount("")) + "," + str(mounts.mount("c")) + "," +
                  str(mounts.mount("f")) + "," + str(mounts.mount("g")) + "," +
                  std::to_string(mounts.keys().length()),
              "b,,d,,h,0");
    EXPECT_EQ(str(*names.get(0)), "kept");

    const std::string big = std::string(3 << 20, 'm') + "|t\nn|u";
    mounts.mountmap(big.c_str());
    EXPECT_EQ(
        str(mounts.mount("n")) + std::to_string(mounts.mount(std::string(3 << 20, 'm').c_str()).length()),
        "u1");
}

TEST(VnEnv, PackedFormsAndCopies) {
    VnEnv blank;
    const std::string emptyList = intField(1, 0);  // nested bodies carry no version word
    EXPECT_EQ(packed(blank), kVersion + objField(1, 55, emptyList) + objField(2, 55, emptyList) +
                                 intField(3, 0) + strField(4, "") + objField(5, 56, emptyList));

    VnEnv env = sample();
    const std::string binary = packed(env);
    EXPECT_EQ(binary, kVersion + objField(1, 55, intField(1, 1) + strField(10, "A")) +
                          objField(2, 55, intField(1, 1) + strField(10, "1")) + intField(3, 18) +
                          strField(4, "/tmp") +
                          objField(5, 56, intField(1, 1) + strField(10, "X") + strField(30, "/mnt/share")));
    env.set("amp", "a&b");
    const std::string document = packed(env, true);
    EXPECT_EQ(
        document,
        objectXML(
            "env",
            "\t<keys>\n\t\t<object type = 'string_list'>\n\t\t\t<item>A</item>\n\t\t\t<item>amp</item>\n"
            "\t\t</object>\n\t</keys>\n\t<values>\n\t\t<object type = 'string_list'>\n"
            "\t\t\t<item>1</item>\n\t\t\t<item>a&amp;b</item>\n\t\t</object>\n\t</values>\n"
            "\t<umask>18</umask>\n\t<cwd>/tmp</cwd>\n\t<mounts>\n\t\t<object type = 'string_hash'>\n"
            "\t\t\t<key>X</key>\n\t\t\t<element>/mnt/share</element>\n\t\t</object>\n\t</mounts>\n"));

    VnEnv back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    EXPECT_EQ(str(back.convert()), "umask=18\ncwd=/tmp\ndrivemap=X|/mnt/share\nA=1");
    EXPECT_EQ(str(fromXML.convert()), str(env.convert()));

    // Copies are deep and take every field; a copy onto itself changes nothing.
    VnEnv copied(env), assigned, viaCopy;
    assigned = env;
    viaCopy.copy(env);
    viaCopy.copy(viaCopy);
    env.set("A", "changed");
    env.mount("X", "changed");
    EXPECT_EQ(str(copied.convert()) + str(assigned.convert()),
              str(viaCopy.convert()) + str(fromXML.convert()));

    // Uneven lists from a peer are read safely; set makes the missing value's place.
    VnEnv uneven;
    ASSERT_EQ(unpackInto(uneven,
                         kVersion + objField(1, 55, intField(1, 2) + strField(10, "A") + strField(10, "B"))),
              0);
    EXPECT_EQ(str(uneven.value("B")) + str(uneven.convert()), "umask=0\ncwd=\nA=\nB=");
    uneven.set("B", "2");
    EXPECT_EQ(str(uneven.value("B")) + str(uneven.value("A")), "2");
}

TEST(VnEnv, CapturesTheRunningProcess) {
    VnEnv::setEnv("VN_ENV_TEST", "a=b");
    VnEnv::setEnv("VN_ENV_EMPTY", "");
    EXPECT_EQ(str(VnEnv::valueEnv("VN_ENV_TEST")) + "|" + str(VnEnv::valueEnv("VN_ENV")) + "|" +
                  str(VnEnv::valueEnv("VN_ENV_TEST=a")),
              "a=b||");
    const mode_t old = umask(027);
    VnEnv env;
    env.set("GONE", "1");
    env.mount("M", "kept");
    env.setToEnv();
    umask(old);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::to_string(env.mask()) + str(env.cwd()), std::to_string(027) + cwd);
    EXPECT_EQ(str(env.value("VN_ENV_TEST")) + str(env.value("GONE")) + str(env.mount("M")), "a=bkept");
    int count = 0;
    for (char** entry = environ; *entry; ++entry)
        ++count;
    EXPECT_EQ(env.keys().length(), count);
    EXPECT_EQ(env.values().length(), count);
}

class VnEnvUserTest : public TempDirTest {};

// su runs as the test's user only when that is root, who needs no password.
TEST_F(VnEnvUserTest, CapturesALoginEnvironmentWithoutAShell) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    VnEnv env;
    env.set("KEEP", "1");
    env.setToEnv("root");
    EXPECT_EQ(str(env.value("KEEP")) + str(env.value("HOME")) + str(env.value("USER")), "1/rootroot");
    EXPECT_EQ(str(env.value("__WIPE__")) + str(env.value("__VNSTART__")), "");
    EXPECT_GT(env.keys().length(), 3);

    // Names that a shell or su would take for commands or options run nothing and add nothing.
    const std::string marker = at("ran");
    const std::string script = at("shell");
    spit(script, "#!/bin/sh\ntouch " + marker + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    for (const std::string& user :
         {"nobody; touch " + marker, "nobody$(touch " + marker + ")", "--shell=" + script, "-s" + script,
          std::string("nobody"), std::string("no-such-user-here")}) {
        VnEnv captured;
        captured.setToEnv(VnString(user.c_str()));
        EXPECT_EQ(contents(captured), "") << user;
        EXPECT_FALSE(std::filesystem::exists(marker)) << user;
    }
}

// A stand-in su, alone on PATH, runs a shell text in a child process, which also becomes the
// reaper of the processes that su leaves behind.
class VnEnvStandInTest : public TempDirTest {
protected:
    void standIn(const std::string& body) {
        spit(at("su"), "#!/bin/sh\nPATH=/usr/bin:/bin\necho $$ >" + at("su.pid") + "\n" + body);
        std::filesystem::permissions(at("su"), std::filesystem::perms::owner_all);
    }

    // Captures the user's environment into a variable list that holds KEEP=1.
    VnEnv captured(int milliseconds) {
        setenv("PATH", root.c_str(), 1);
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        VnEnv::captureTimeout(milliseconds);
        VnEnv env;
        env.set("KEEP", "1");
        env.setToEnv("someone");
        return env;
    }
    // The contents of captured(milliseconds).
    std::string capture(int milliseconds) { return contents(captured(milliseconds)); }

    // Reaps every process left behind; each must have been killed, and su itself must have
    // been reaped by the capture. Answers how many there were.
    int reapLeftovers() {
        const std::string su = slurp(at("su.pid"));
        int count = 0;
        int status = 0;
        for (pid_t pid; (pid = waitpid(-1, &status, 0)) > 0; ++count) {
            EXPECT_NE(std::to_string(pid) + "\n", su) << "su was not reaped";
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        }
        return count;
    }
};

TEST_F(VnEnvStandInTest, DeadlineKillsTheWholeGroup) {
    IN_CHILD({
        EXPECT_EQ(VnEnv::captureTimeout(), 30000);
        VnEnv::captureTimeout(-5);
        EXPECT_EQ(VnEnv::captureTimeout(), 0);
    });
    // su sleeps in a child of its own.
    standIn("sleep 30\necho __VNSTART__\necho A=1\n");
    IN_CHILD({
        EXPECT_EQ(capture(300), "KEEP=1;");
        reapLeftovers();
    });
    // su prints its output and ends, but leaves a child that holds the output open.
    standIn("echo __VNSTART__\necho A=1\nsleep 30 &\nexit 0\n");
    IN_CHILD({
        EXPECT_EQ(capture(300), "KEEP=1;");
        reapLeftovers();
    });
    // su ends and closes its output, but the child that it leaves runs on: nothing waits for it.
    standIn("echo __VNSTART__\necho A=1\nsleep 30 >/dev/null &\nexit 0\n");
    IN_CHILD({
        EXPECT_EQ(capture(10000), "KEEP=1;A=1;");
        kill(std::stoi(slurp(at("su.pid"))) * -1, SIGKILL);
        reapLeftovers();
    });
}

// su reads the end of its standard input at once, whatever the caller's standard input is,
// and runs as the leader of a process group of its own.
TEST_F(VnEnvStandInTest, SuReadsNothingAndLeadsItsGroup) {
    standIn(
        "IN=$(cat)\nset -- \"$@\" $(cat /proc/$$/stat)\necho __WIPE__\necho __VNSTART__\n"
        "printf '%s\\n' \"ARGS=$1|$2|$3|$4\"\necho \"IN=[$IN]\"\necho \"GROUP=$9\"\necho \"SELF=$$\"\n");
    IN_CHILD({
        int never[2];  // a standard input that does not end while this process runs
        ASSERT_EQ(pipe2(never, O_CLOEXEC), 0);
        ASSERT_EQ(dup2(never[0], STDIN_FILENO), STDIN_FILENO);
        close(never[0]);
        VnEnv env;
        setenv("PATH", root.c_str(), 1);
        VnEnv::captureTimeout(10000);
        env.setToEnv("some one");
        const std::string self = str(env.value("SELF"));
        const std::string group = "GROUP=" + self + ";SELF=" + self + ";";
        EXPECT_EQ(contents(env),
                  "ARGS=-|some one|-c|\\echo __WIPE__ && \\echo __VNSTART__ && \\env;IN=[];" + group);
        EXPECT_EQ(reapLeftovers(), 0);
    });
}

// The variables of one capture may take 64 MiB, each name and value counted as a string object
// with the allocator's overhead, three list slots and its heap buffer. Variables that fill it to
// the byte are added whole; one empty variable more adds nothing and says so in the debug log,
// as do 16 MiB of empty variables, which would take some 850 MB and are not made.
TEST_F(VnEnvStandInTest, VariablesStayWithinTheirMemoryCap) {
    const std::int64_t pair = 2 * (sizeof(VnString) + VnString::kBlockOverhead + 3 * sizeof(VnString*));
    const std::int64_t longs = 15 * (pair + VnString::heapCost(1000000));
    const std::int64_t empties = ((64 << 20) - longs) / pair - 1;
    const std::int64_t fillerBuffer = (64 << 20) - longs - (empties + 1) * pair;
    const int filler = static_cast<int>((fillerBuffer - VnString::kBlockOverhead) / 4 - 1);
    ASSERT_EQ(VnString::heapCost(filler), fillerBuffer);
    std::string fits = "__WIPE__\n__VNSTART__\n", many = "__VNSTART__\n";
    for (int i = 0; i < 15; ++i)
        fits += "L" + std::to_string(i) + "=" + std::string(1000000, 'v') + "\n";
    fits += "F=" + std::string(filler, 'f') + "\n";
    for (std::int64_t i = 0; i < empties; ++i)
        fits += "A=\n";
    while (many.size() + 3 <= (16u << 20))
        many += "A=\n";
    std::string over = fits + "A=\n", debug = at("debug.log");
    standIn("cat " + at("items") + "\n");
    for (const std::string* items : {&fits, &over, &many}) {
        spit(at("items"), *items);
        std::filesystem::remove(debug);
        IN_CHILD({
            vn_debug_filename(debug.c_str(), 0);
            const long before = peakMemoryKb();
            const VnEnv env = captured(10000);
            if (items == &fits) {
                ASSERT_EQ(env.keys().length(), 1 + 15 + 1 + empties);
                EXPECT_EQ(env.values().get(16)->length(), filler);
                EXPECT_TRUE(logMessages(debug).empty());
            } else {
                EXPECT_EQ(env.keys().length(), 1);  // KEEP alone
                EXPECT_LT(peakMemoryKb() - before, 64 << 10);
                EXPECT_EQ(logMessages(debug),
                          std::vector<std::string>{
                              "ERROR: environment of user someone too large to capture; nothing added."});
            }
        });
    }
}
