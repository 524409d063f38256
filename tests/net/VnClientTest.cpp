#include "net/VnClient.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "system/VnClientConfig.h"
#include "system/VnTime.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestSupervisor.h"

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
};

TEST_F(VnClientTest, AsksTheNamedHost) {
    SavedCacheFile last("/tmp/supervisor_" + user() + ".tmp");
    IN_CHILD({
        TestSupervisor supervisor(TestSupervisor::Answer, 12345);
        VnClient client(*settings(""));
        EXPECT_EQ(client.timeout(), 60000);
        VnMessage request(107), reply;
        ASSERT_EQ(client.converseSupervisor(supervisor.host().c_str(), request, reply), 1);
        ASSERT_NE(reply.content(), nullptr);
        EXPECT_EQ(reply.tag() * 100000 + static_cast<VnTime*>(reply.content())->value(), 10712345);
        EXPECT_EQ(supervisor.lastUser(), user());
        EXPECT_EQ(last.contents(), supervisor.host());
        struct stat status;
        ASSERT_EQ(stat(last.path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
    });
}

TEST_F(VnClientTest, FindsTheSupervisorInOrder) {
    SavedCacheFile last("/tmp/supervisor_" + user() + ".tmp");
    IN_CHILD({
        TestSupervisor configured, forced, cached;
        // The configured hosts in turn: nothing listens on the first.
        VnClient client(*settings("supervisor_host = \"127.0.0.1:1, 127.0.0.1\"\nsupervisor_port = " +
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
        VnClient unconfigured(*settings(""));
        spit(last.path, cached.host() + "\n");
        EXPECT_EQ(unconfigured.converseSupervisor(request, reply), 1);
        EXPECT_EQ(cached.requests(), 1);
        // A cache file that is a link is not read.
        unlink(last.path.c_str());
        spit(at("elsewhere"), cached.host());
        ASSERT_EQ(symlink(at("elsewhere").c_str(), last.path.c_str()), 0);
        EXPECT_EQ(unconfigured.converseSupervisor(request, reply), 0);
        EXPECT_EQ(cached.requests(), 1);
        EXPECT_EQ(slurp(at("elsewhere")), cached.host());
    });
}

TEST_F(VnClientTest, FailuresInTheDebugLog) {
    SavedCacheFile last("/tmp/supervisor_" + user() + ".tmp");
    const std::string log = at("debug.log");
    IN_CHILD({
        vn_debug_filename(log.c_str(), 0);
        VnClient client(*settings(""));
        client.timeout(300);
        const std::vector<std::pair<TestSupervisor::Mode, std::string>> cases = {
            {TestSupervisor::Silent, "ERROR: tcp receive socket timed out"},
            {TestSupervisor::Hangup, "ERROR: blank message"},
            {TestSupervisor::BadVersion, "ERROR: tcp comm version doesn't match - version: 3"},
            {TestSupervisor::Truncated, "ERROR: no data in comm"},
        };
        std::vector<std::string> expected;
        for (const auto& c : cases) {
            TestSupervisor supervisor(c.first);
            VnMessage request(1), reply;
            EXPECT_EQ(client.converseSupervisor(supervisor.host().c_str(), request, reply), 0) << c.second;
            expected.push_back(c.second);
        }
        // The last name holds a zero byte: it is refused before any lookup.
        for (const VnString& host : {VnString(""), VnString("127.0.0.1:99999"), VnString("127.0.0.1:1"),
                                     VnString("127.0.0.1\0x", 11)}) {
            VnMessage request(1), reply;
            EXPECT_EQ(client.converseSupervisor(host, request, reply), 0) << host.value();
        }
        expected.push_back("ERROR: host name unspecified");
        expected.push_back("ERROR: unable to connect to host: invalid port");
        expected.push_back("ERROR: unable to connect to host: Connection refused");
        expected.push_back("ERROR: unable to resolve host name");
        EXPECT_EQ(logMessages(log), expected);
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
