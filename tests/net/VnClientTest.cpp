#include "net/VnClient.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "system/VnClientConfig.h"
#include "system/VnTime.h"
#include "testing/TestSupervisor.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

std::string user() {
    return getpwuid(getuid())->pw_name;
}

}  // namespace

// The forced supervisor is process-wide, so every case runs in a child process. The cache of
// the last supervisor is the real user's; it is put back as it was.
class VnClientTest : public TempDirTest {
protected:
    // Settings read from a file holding text.
    std::unique_ptr<VnClientConfig> settings(const std::string& text) {
        spit(at("vn.conf"), text);
        return std::make_unique<VnClientConfig>(VnString(at("vn.conf").c_str()));
    }
    SavedCacheFile last{"/tmp/supervisor_" + user() + ".tmp"};
};

TEST_F(VnClientTest, AsksTheNamedHost) {
    IN_CHILD({
        TestSupervisor supervisor(TestSupervisor::Answer, 12345);
        VnClient client(settings(""));
        VnMessage request(107), reply;
        ASSERT_EQ(client.converseSupervisor(supervisor.host().c_str(), request, reply), 1);
        ASSERT_NE(reply.content(), nullptr);
        EXPECT_EQ(reply.tag() * 100000 + static_cast<VnTime*>(reply.content())->value(), 10712345);
        EXPECT_EQ(supervisor.lastUser(), user());
        EXPECT_EQ(last.contents(), supervisor.host());
    });
}

TEST_F(VnClientTest, FindsTheSupervisorInOrder) {
    IN_CHILD({
        TestSupervisor configured, forced, cached;
        // The configured hosts in turn: nothing listens on the first.
        VnClient client(settings("supervisor_host = \"127.0.0.1:1, 127.0.0.1\"\nsupervisor_port = " +
                                  std::to_string(configured.port()) + "\n"));
        VnMessage request(1), reply;
        EXPECT_EQ(client.converseSupervisor(request, reply), 1);
        EXPECT_EQ(configured.requests(), 1);
        EXPECT_EQ(last.contents(), "127.0.0.1");
        // A forced host comes first.
        _vn_supervisor = forced.host().c_str();
        EXPECT_EQ(client.converseSupervisor(request, reply), 1);
        EXPECT_EQ(forced.requests() * 10 + configured.requests(), 11);
        _vn_supervisor = "";
        // Without configured hosts, the last supervisor that answered.
        VnClient unconfigured(settings(""));
        spit(last.path, cached.host() + "\n");
        EXPECT_EQ(unconfigured.converseSupervisor(request, reply), 1);
        EXPECT_EQ(cached.requests(), 1);
    });
}

TEST_F(VnClientTest, FailuresInTheDebugLog) {
    const std::string log = at("debug.log");
    IN_CHILD({
        vn_debug_filename(log.c_str(), 0);
        VnClient client(settings(""));
        client.timeout(300);
        for (TestSupervisor::Mode mode : {TestSupervisor::Silent, TestSupervisor::Hangup,
                                          TestSupervisor::BadVersion, TestSupervisor::Truncated}) {
            TestSupervisor supervisor(mode);
            VnMessage request(1), reply;
            EXPECT_EQ(client.converseSupervisor(supervisor.host().c_str(), request, reply), 0) << mode;
        }
        // The last name holds a zero byte: it is refused before any lookup.
        for (const VnString& host : {VnString(""), VnString("127.0.0.1:99999"), VnString("127.0.0.1:1"),
                                     VnString("127.0.0.1\0x", 11)}) {
            VnMessage request(1), reply;
            EXPECT_EQ(client.converseSupervisor(host, request, reply), 0) << host.value();
        }
        EXPECT_EQ(logMessages(log),
                  (std::vector<std::string>{"ERROR: tcp receive socket timed out", "ERROR: blank message",
                                            "ERROR: tcp comm version doesn't match - version: 3",
                                            "ERROR: no data in comm", "ERROR: host name unspecified",
                                            "ERROR: unable to connect to host: invalid port",
                                            "ERROR: unable to connect to host: Connection refused",
                                            "ERROR: unable to resolve host name"}));
        EXPECT_EQ(last.contents(), "");  // no supervisor answered

        // A reply without content is an answer; the reply's old content goes.
        TestSupervisor bare(TestSupervisor::NoContent);
        VnMessage request(1), reply;
        reply.content(new VnTime(1));
        EXPECT_EQ(client.converseSupervisor(bare.host().c_str(), request, reply), 1);
        EXPECT_EQ(reply.content(), nullptr);
    });
}

TEST(VnClient, UnknownUserEndsTheProcess) {
    if (geteuid() != 0) GTEST_SKIP() << "needs to take another user id";
    uid_t unknown = 54321;
    while (getpwuid(unknown) != nullptr)
        ++unknown;
    EXPECT_EXIT(
        {
            dup2(2, 1);  // the debug log writes to standard output
            if (setuid(unknown) == 0) VnClient::currentuser();
        },
        ::testing::ExitedWithCode(1), " : ERROR: couldn't validate user's login. permission denied.\n$");
    EXPECT_EQ(VnClient::currentuser().value(), user());
}

// An entry longer than the first buffer is read after the buffer grew. The child ends by its
// alarm should the lookup never stop retrying.
TEST(VnClient, CurrentUserEntryLongerThanTheFirstBuffer) {
    IN_CHILD({
        alarm(30);
        for (std::size_t first : {0, 1, 7, 40, 1024}) {
            VnString name("old");
            ASSERT_EQ(vn_login_name(first, name), 1) << first;
            EXPECT_EQ(name.value(), user()) << first;
        }
    });
}
