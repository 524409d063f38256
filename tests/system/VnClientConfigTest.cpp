#include "system/VnClientConfig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/VnClient.h"
#include "system/VnDefault.h"
#include "testing/PeakMemory.h"
#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

namespace {

const char kWarning[] = "WARNING: no vn_supervisor or vn_domain specified in vn.conf.\n";
const char kTooManyHosts[] = "WARNING: more than 1024 supervisor hosts specified; the rest are ignored.\n";

std::string hosts(const VnClientConfig& c) {
    std::string out;
    for (int i = 0; i < c.supervisor_hosts().length(); ++i)
        out += str(c.supervisor_hosts().get(i)->value()) + ";";
    return out;
}

std::string ports(const VnClientConfig& c) {
    return std::to_string(c.supervisor_port()) + " " + std::to_string(c.supervisor_sub_port()) + " " +
           std::to_string(c.supervisor_http_port()) + " " + std::to_string(c.worker_port());
}

class VnClientConfigTest : public TempDirTest {
protected:
    // The settings read from a file holding text, and what the reading wrote to standard error.
    std::string read(const std::string& text, std::string& warning) {
        spit(at("vn.conf"), text);
        testing::internal::CaptureStderr();
        config.reset(new VnClientConfig(VnString(at("vn.conf").c_str())));
        warning = testing::internal::GetCapturedStderr();
        return hosts(*config) + " " + ports(*config);
    }

    std::unique_ptr<VnClientConfig> config;
};

TEST_F(VnClientConfigTest, DefaultsWithoutFile) {
    testing::internal::CaptureStderr();
    VnClientConfig c(VnString(at("missing").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kWarning);
    EXPECT_EQ(hosts(c) + ports(c), "50001 50002 50000 50011");
    EXPECT_EQ(c.client_job_flags() * 100 + c.client_flags(), 800);
    EXPECT_EQ(str(c.worker_logmode()) + " " + str(c.supervisor_logpath()) + " " + str(c.worker_logpath()),
              "remote /var/spool/vorn /var/spool/vorn");
    EXPECT_EQ(str(c.vn_directory()) + " " + str(c.worker_template_path()),
              "/Applications/zmr/vorn /Applications/zmr/vorn/types:/Applications/zmr/jobtypes");
    EXPECT_EQ(c.type(), 75);
}

TEST_F(VnClientConfigTest, EverySettingFromItsKey) {
    std::string warning;
    EXPECT_EQ(
        read("supervisor_host = \"a, b  c,,\"\nvn_supervisor = y\nsupervisor_domain = d1\nvn_domain = d2\n"
             "vn_region = r\nsupervisor_port = 0\nsupervisor_sub_port = word\nsupervisor_http_port = -5\n"
             "worker_port = 60000x\nclient_job_flags = 0\nclient_flags = 'ssl, restrict_domain'\n"
             "worker_address = w\nworker_logmode = local\nclient_account = acc\nclient_cluster = /c\n"
             "client_priority = 99\nclient_restrictions = /r\nclient_drive_map = dm\nclient_path_map = pm\n"
             "client_host_domain = hd\nsupervisor_logpath = /sl\nworker_logpath = /wl\n"
             "worker_template_path = /t\n",
             warning),
        "a;b;c;y; 50001 50002 -5 60000");
    EXPECT_EQ(warning, "");
    const VnClientConfig& c = *config;
    EXPECT_EQ(str(c.vn_supervisor()) + str(c.vn_domain()) + str(c.vn_region()), "yd2r");
    EXPECT_EQ(c.client_job_flags() * 1000 + c.client_flags(), 192);
    EXPECT_EQ(str(c.worker_address()) + str(c.worker_logmode()) + str(c.client_account()) +
                  str(c.client_cluster()) + str(c.client_priority()) + str(c.client_restrictions()) +
                  str(c.client_drive_map()) + str(c.client_path_map()) + str(c.client_host_domain()) +
                  str(c.supervisor_logpath()) + str(c.worker_logpath()) + str(c.worker_template_path()),
              "wlocalacc/c99/rdmpmhd/sl/wl/t");

    EXPECT_EQ(read("supervisor_host = a b\nclient_job_flags = thrifty,grid\nvn_supervisor =\n", warning),
              "a; 50001 50002 50000 50011");
    EXPECT_EQ(str(config->vn_supervisor()) + std::to_string(config->client_job_flags()), "a68");
    EXPECT_EQ(read("supervisor_domain = d\n", warning) + warning, " 50001 50002 50000 50011");
    EXPECT_EQ(read("vn_domain = d\nsupervisor_host = \" , \"\n", warning) + warning,
              " 50001 50002 50000 50011");
    EXPECT_EQ(read("vn_region = r\nsupervisor_host =\n", warning) + warning,
              " 50001 50002 50000 50011" + std::string(kWarning));
}

TEST_F(VnClientConfigTest, InstallDirectoryMovesTheDefaults) {
    std::string warning;
    read("vn_directory = /opt/v\nvn_domain = d\n", warning);
    EXPECT_EQ(str(config->vn_directory()) + " " + str(config->worker_template_path()),
              "/opt/v /opt/v/types:/opt/jobtypes");
    EXPECT_EQ(str(vn_default_string(112)), "/opt/v/types:/opt/jobtypes");
    read("vn_directory =\nvn_domain = d\n", warning);  // an empty value takes the built-in directory
    EXPECT_EQ(str(vn_default_string(112)), "/Applications/zmr/vorn/types:/Applications/zmr/jobtypes");
    vn_default_set_vndir(vn_default_string(0));
}

TEST_F(VnClientConfigTest, AddSupervisorHostKeepsOneOfEachValue) {
    std::string warning;
    read("supervisor_host = a\nvn_domain = d\n", warning);
    config->add_supervisor_host(nullptr);
    config->add_supervisor_host(new VnHostname("a"));  // deleted: the sanitizer sees a leak otherwise
    VnHostname* withPort = new VnHostname("a");
    withPort->port(5);
    config->add_supervisor_host(withPort);
    config->add_supervisor_host(new VnHostname("b"));
    config->supervisor_hosts("b,a");  // the text keeps duplicates
    EXPECT_EQ(hosts(*config), "a;a:5;b;b;a;");
    EXPECT_EQ(str(config->vn_supervisor()), "b,a");
}

TEST_F(VnClientConfigTest, AtMost1024SupervisorHosts) {
    std::string names, expected, warning;
    for (int i = 0; i < 1030; ++i)
        names += "h" + std::to_string(i) + (i % 2 ? " " : ",");
    for (int i = 0; i < 1024; ++i)
        expected += "h" + std::to_string(i) + ";";
    read("supervisor_host = \"" + names + "\"\nvn_supervisor = late\n", warning);
    EXPECT_EQ(hosts(*config), expected);  // the alias's host is ignored too, with a warning of its own
    EXPECT_EQ(warning, std::string(kTooManyHosts) + kTooManyHosts);
    EXPECT_EQ(str(config->vn_supervisor()), "late");

    testing::internal::CaptureStderr();
    config->add_supervisor_host(new VnHostname("h5"));     // a duplicate: deleted without a word
    config->add_supervisor_host(new VnHostname("other"));  // no room: deleted, with the warning
    config->supervisor_hosts(VnString(""));                // no name: no warning
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kTooManyHosts);
    EXPECT_EQ(hosts(*config), expected);

    read("supervisor_host = \"" + names.substr(0, names.find("h1024")) + "\"\n", warning);
    EXPECT_TRUE(warning.empty() && config->supervisor_hosts().length() == 1024);
}

// A 4 MiB host list "a,a,..." costs a small multiple of its text. A client walks the hosts of
// its settings: however many the list holds (pushed past the cap here), it copies none.
TEST_F(VnClientConfigTest, LongHostListsStaySmall) {
    std::string text = "vn_domain = d\nsupervisor_host = \"";
    for (int i = 0; i < 2 << 20; ++i)
        text += "a,";
    text += "\"\n";
    spit(at("vn.conf"), text);
    const VnString path(at("vn.conf").c_str());
    const long settingsKb = childPeakGrowthKb([&path] {
        testing::internal::CaptureStderr();
        VnClientConfig settings(path);
        testing::internal::GetCapturedStderr();
    });
    EXPECT_TRUE(settingsKb >= 0 && settingsKb < 64 * 1024) << settingsKb;

    spit(at("vn.conf"), "vn_domain = d\n");
    const auto crowded = [&path] {
        auto settings = std::make_unique<VnClientConfig>(path);
        for (int i = 0; i < 100000; ++i)
            settings->supervisor_hosts().push(new VnHostname(("host" + std::to_string(i)).c_str()));
        return settings;
    };
    const long alone = childPeakGrowthKb([&crowded] { crowded(); });
    const long withClient = childPeakGrowthKb([&crowded] { VnClient client(crowded()); });
    EXPECT_TRUE(alone > 0 && withClient < alone + alone / 4) << withClient << " KiB against " << alone;
}

}  // namespace
