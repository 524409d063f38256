#include "job/VnJobConfig.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "system/VnClientConfig.h"
#include "system/VnDefault.h"
#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

namespace {

// Every test builds its job-type trees under its own directory and points VNPATH there; the
// variable and the install directory are put back afterwards.
class VnJobConfigTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        const char* saved = getenv("VNPATH");
        hadVnpath = saved != nullptr;
        if (saved) vnpath = saved;
        installDir = _vn_default_dir;
    }
    void TearDown() override {
        setVnpath(hadVnpath ? vnpath.c_str() : nullptr);
        vn_default_set_vndir(installDir);
        TempDirTest::TearDown();
    }
    static void setVnpath(const char* value) {
        if (value)
            setenv("VNPATH", value, 1);
        else
            unsetenv("VNPATH");
    }

    // Creates the directory rel, with a job.conf holding conf unless conf is null.
    void makeType(const std::string& rel, const char* conf) {
        std::filesystem::create_directories(at(rel));
        if (conf) spit(at(rel + "/job.conf"), conf);
    }
    VnJobConfig load(const std::string& type, const std::string& path) {
        return VnJobConfig(vs(type), vs(path));
    }

    // The names that available appends, as a set, with VNPATH set to vnpathValue (unset when
    // null); a name appended twice fails the test.
    std::set<std::string> available(const char* vnpathValue, const std::string& extra) {
        setVnpath(vnpathValue);
        VnStringList list;
        VnJobConfig::available(vs(extra), list);
        std::set<std::string> names;
        for (int i = 0; i < list.length(); ++i)
            EXPECT_TRUE(names.insert(str(*list.get(i))).second) << str(*list.get(i));
        return names;
    }

    bool hadVnpath = false;
    std::string vnpath;
    VnString installDir;
};

TEST_F(VnJobConfigTest, FirstDirectoryNamedLikeTheTypeWins) {
    makeType("a/t", nullptr);  // no job.conf: found, but not valid
    makeType("b/t", "detail = b\n");
    makeType("c", nullptr);
    spit(at("c/t"), "a plain file is no match");
    const std::string a = at("a"), b = at("b"), c = at("c");

    VnJobConfig first = load("t", a + ":" + b);
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(str(first.option("detail", 0)) + "|" + str(first.option("detail", 1)), "|" + a + "/t/");
    EXPECT_EQ(str(first.detail()) + str(first.callback_library()), "");  // nothing read

    VnJobConfig second = load("t", "::" + c + "::" + a + "/nothing:" + b + "/:" + a);
    EXPECT_TRUE(second.valid());
    EXPECT_EQ(str(second.detail()), "b");
    EXPECT_EQ(str(second.option("x", 1)), b + "/t/");   // no doubled "/" after "b/"
    EXPECT_EQ(str(std::as_const(second).type()), "t");  // the name, also after reading

    for (const char* missing : {"u", "", ".", "..", "t/"}) {
        VnJobConfig none = load(missing, a + "/t:" + b);
        EXPECT_FALSE(none.valid()) << missing;
        EXPECT_EQ(str(none.option("detail", 0)) + "|" + str(none.option("detail", 1)) + "|" +
                      str(none.callback_library()),
                  "|/|")
            << missing;
        EXPECT_EQ(str(std::as_const(none).type()), missing);
    }
    EXPECT_FALSE(load("t", "").valid());
    EXPECT_EQ(str(load("t", b + std::string("\0x", 2)).option("x", 1)), "/");  // a zero byte names nothing

    makeType("d/t/job.conf", nullptr);  // a directory named job.conf is no file
    EXPECT_FALSE(load("t", at("d")).valid());
    const VnJobConfig noFile = load("t", at("d"));
    EXPECT_EQ(str(noFile.gui_icon()) + "|" + str(noFile.option("gui_icon", 1)), "|" + at("d") + "/t/");
}

TEST_F(VnJobConfigTest, ReadsEveryKeyWithThePairRule) {
    makeType("x/t",
             "callback_library = cb.conf\ngui_icon = /etc/icon.png\nmenu_script = menu/m.script\n"
             "gui_job_display_binding_osx = jo\ngui_job_display_library_osx = jo.so\n"
             "gui_job_display_binding = jp\ngui_job_display_library = jp.so\n"
             "gui_subjob_display_binding = sp\ngui_subjob_display_library = sp.so\n"
             "gui_submit_binding_osx = go\ngui_submit_library = lib.so\n"
             "execute_binding_osx = ''\nexecute_library_osx = eo.so\n"
             "execute_binding = ep\nexecute_library = ep.so\n"
             "submit_binding = sb\nsubmit_library = sb.so\ndisplay_binding = db\ndisplay_library = db.so\n"
             "detail = 'a type'\nshort_detail = short\nversion = 3\nparent_type = base\n"
             "job_priority = 50\njob_cluster = /c\njob_requirements = 'host.os == \"osx\"'\n"
             "job_restrictions = /r\njob_reservations = 'host.processors=1'\njob_kind = k\njob_label = l\n"
             "job_account = acc\njob_hosts = 'h1, h2'\njob_groups = g\njob_flags = 'mail,expand'\n"
             "job_cpus = 2\njob_name = ' spaced '\njob_status = paused\n");
    const std::string dir = at("x/t");
    VnJobConfig c = load("t", at("x"));
    ASSERT_TRUE(c.valid());
    EXPECT_EQ(str(c.callback_library()) + " " + str(c.gui_icon()) + " " + str(c.option("menu_script", 1)),
              dir + "/cb.conf /etc/icon.png " + dir + "/menu/m.script");
    EXPECT_EQ(str(c.gui_job_display_binding()) + " " + str(c.gui_job_display_library()),
              "jo " + dir + "/jo.so");
    EXPECT_EQ(str(c.gui_subjob_display_binding()) + " " + str(c.gui_subjob_display_library()),
              "sp " + dir + "/sp.so");
    // The "_osx" binding decides: its missing library is not replaced by the plain one ...
    EXPECT_EQ(str(c.gui_submit_binding()) + " " + str(c.gui_submit_library()), "go " + dir + "/");
    // ... and an empty "_osx" binding drops the "_osx" library that was set.
    EXPECT_EQ(str(c.execute_binding()) + " " + str(c.execute_library()), "ep " + dir + "/ep.so");
    EXPECT_EQ(str(c.detail()) + "|" + str(c.short_detail()) + "|" + str(c.version()), "a type|short|3");
    EXPECT_EQ(str(c.job_priority()) + "|" + str(c.job_cluster()) + "|" + str(c.job_requirements()) + "|" +
                  str(c.job_restrictions()) + "|" + str(c.job_reservations()) + "|" + str(c.job_kind()) +
                  "|" + str(c.job_label()) + "|" + str(c.job_account()) + "|" + str(c.job_hosts()) + "|" +
                  str(c.job_groups()) + "|" + str(c.job_flags()) + "|" + str(c.job_cpus()) + "|" +
                  str(c.job_name()) + "|" + str(c.job_status()),
              "50|/c|host.os == \"osx\"|/r|host.processors=1|k|l|acc|h1, h2|g|mail,expand|2| spaced |paused");
    EXPECT_EQ(str(c.option("submit_library", 1)) + " " + str(c.option("display_binding", 0)),
              dir + "/sb.so db");
    EXPECT_EQ(str(c.vn_dir()), "");  // the search path was given: no client settings read
}

TEST_F(VnJobConfigTest, VersionChecks) {
    // clang-format off
    const std::pair<const char*, bool> cases[] = {
        {"minimum_vorn_version = 5.1", true}, {"minimum_vorn_version = 5.10", true},
        {"minimum_vorn_version = 5.2", false}, {"minimum_vorn_version = abc", true},
        {"minimum_vorn_version = 5.1.2", true}, {"minimum_vorn_version = 1e9", true},
        {"required_vorn_version = 5", false}, {"required_vorn_version = 5.1", true},
        {"required_vorn_version = 5.10", true}, {"required_vorn_version = ''", true},
        {"required_vorn_version = 5.x", true},
        {"minimum_vorn_version = 99999999999999999999999999999999999999999999999999", false},
    };
    // clang-format on
    for (const auto& [line, valid] : cases) {
        makeType("v/t", (std::string(line) + "\njob_cpus = 4\n").c_str());
        VnJobConfig c = load("t", at("v"));
        EXPECT_EQ(c.valid(), valid) << line;
        EXPECT_EQ(str(c.job_cpus()), "4") << line;  // read whatever the checks say
    }
    makeType("v/t", "minimum_vorn_version = 5.2\n");
    EXPECT_EQ(str(load("t", at("v")).minimum_vorn_version()), "5.2");
}

TEST_F(VnJobConfigTest, ResolvePath) {
    // clang-format off
    const char* const cases[][3] = {
        {"/x/t", "", "/x/t/"}, {"", "m.script", "/m.script"}, {"/x/t/", "a/b", "/x/t/a/b"},
        {"/x/t", "/etc/cb.conf", "/etc/cb.conf"}, {"/x/t", "C:/w/a", "C:/w/a"},
        {"/x/t", "\\\\srv\\share", "\\\\srv\\share"}, {"/x/t", "host:/export", "host:/export"},
        {"/x/t", "a/b:c", "/x/t/a/b:c"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(str(vn_job_config_resolve_path(c[0], c[1])), c[2]) << c[1];
}

TEST_F(VnJobConfigTest, DefaultSearchPathStartsWithVnpath) {
    makeType("a/vnjobconfigtest_t", "detail = found\n");
    setenv("VNPATH", (at("none") + ":" + at("a")).c_str(), 1);
    VnJobConfig found(vs("vnjobconfigtest_t"));
    EXPECT_TRUE(found.valid());
    EXPECT_EQ(str(found.detail()), "found");
    EXPECT_EQ(str(found.vn_dir()), str(VnClientConfig().vn_directory()));
    unsetenv("VNPATH");
    EXPECT_FALSE(VnJobConfig(vs("vnjobconfigtest_t")).valid());
}

TEST_F(VnJobConfigTest, AvailableListsEachValidTypeOnce) {
    const std::set<std::string> before = available(nullptr, "");  // whatever the machine has

    makeType("a/render", "");
    makeType("b/render", "");
    makeType("b/.svn", "");
    makeType("a/t", nullptr);  // found first without job.conf: t is not valid
    makeType("b/t", "");
    makeType("a/old", "required_vorn_version = 4\n");
    makeType("b/old", "");
    makeType("b/comp", "");
    makeType("c/extra", "");
    spit(at("a/file"), "");
    const std::string vnpathValue = at("a") + "::" + at("b") + "/";

    std::set<std::string> expected = before;
    expected.insert({"render", "comp", "extra"});
    expected.erase("t");
    expected.erase("old");
    EXPECT_EQ(available(vnpathValue.c_str(), at("c")), expected);
    expected.erase("extra");
    EXPECT_EQ(available(vnpathValue.c_str(), ""), expected);

    VnStringList list;  // names already there stay first
    list.push(new VnString("kept"));
    VnJobConfig::available("", list);
    ASSERT_GE(list.length(), 3);
    EXPECT_EQ(str(*list.get(0)), "kept");
}

TEST_F(VnJobConfigTest, LargeInputsStayLinear) {
    std::string conf;
    for (int i = 0; conf.size() < 4 * 1024 * 1024; ++i)
        conf += "key" + std::to_string(i) + " = 'value " + std::to_string(i) + "'\n";
    conf += "job_cpus = 8\n";
    makeType("big/t", conf.c_str());
    std::string path;
    for (int i = 0; path.size() < 2 * 1024 * 1024; ++i)
        path += at("no") + std::to_string(i % 97) + ":";
    VnJobConfig c = load("t", path + at("big"));
    EXPECT_TRUE(c.valid());
    EXPECT_EQ(str(c.job_cpus()) + str(c.option("key1000", 0)), "8value 1000");
}

}  // namespace
