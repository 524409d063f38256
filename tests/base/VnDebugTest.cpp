#include "base/VnDebug.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/VnStringList.h"

namespace fs = std::filesystem;

namespace {

std::string hostName() {
    char host[1024] = {};
    gethostname(host, sizeof host - 1);
    return host;
}

// The header that mark() writes at moment t, formatted independently.
std::string headerAt(std::time_t t) {
    std::tm local = {};
    localtime_r(&t, &local);
    char month[16];
    std::strftime(month, sizeof month, "%b", &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%s %d, %d %d:%02d:%02d] ", month, local.tm_mday,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return stamp + hostName() + " : ";
}

// Whether got is a header of some moment from `from` to now, followed by rest.
bool isMarkedLine(const std::string& got, std::time_t from, const std::string& rest) {
    for (std::time_t t = from; t <= std::time(nullptr); ++t) {
        if (got == headerAt(t) + rest) return true;
    }
    return false;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

int weekNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    return local.tm_yday / 7;
}

class VnDebugTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "vndebugXXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
    }
    void TearDown() override { fs::remove_all(root); }
    std::string at(const std::string& name) const { return root + "/" + name; }

    std::string root;
};

}  // namespace

TEST(VnDebug, WritesToStandardOutputByDefault) {
    const std::time_t start = std::time(nullptr);
    testing::internal::CaptureStdout();
    _vn_debug_global_obj.mark() << "x" << "\n";
    const std::string got = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(isMarkedLine(got, start, "x\n")) << got;
    EXPECT_EQ(vn_debug_obj().mode(), 0);
}

// A time zone that puts the local hour at 3 shows that the hour is not padded.
TEST(VnDebug, HeaderPadsMinutesAndSecondsOnly) {
    EXPECT_EXIT(
        {
            const std::time_t start = std::time(nullptr);
            std::tm utc = {};
            gmtime_r(&start, &utc);
            const std::string zone = "XYZ" + std::to_string(utc.tm_hour - 3);
            setenv("TZ", zone.c_str(), 1);
            tzset();
            testing::internal::CaptureStdout();
            VnDebug().mark();
            const std::string got = testing::internal::GetCapturedStdout();
            const bool ok = isMarkedLine(got, start, "") && got.find(" 0") == std::string::npos;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(VnDebug, WritesEachItemWithItsStreamForm) {
    VnDebug log;
    testing::internal::CaptureStdout();
    log << 'c' << '|' << -3 << '|' << 4u << '|' << 5L << '|' << 6UL << '|' << 7LL << '|' << 1.5f
        << '|' << 2.0f << '|' << 1234567.0f << '|' << 0.25 << '|' << VnString() << VnString("s")
        << static_cast<char*>(nullptr) << static_cast<const char*>(nullptr) << "\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "c|-3|4|5|6|7|1.5|2|1.23457e+06|0.25|s\n");
}

TEST_F(VnDebugTest, FileModeAppendsToTheFirstNameGiven) {
    VnDebug log;
    log.filename(at("one.log").c_str());
    log.filename(at("two.log").c_str());  // ignored: the first name stays
    VnDebug blocked;
    blocked.filename("");  // standard output, and no later name is taken
    blocked.filename(at("later").c_str());
    VnDebug lost;
    lost.filename(at("no/such/log").c_str());

    const std::time_t start = std::time(nullptr);
    testing::internal::CaptureStdout();
    log.mark() << "x" << "\n";
    log << 42 << "\n";
    lost.mark() << "lost" << "\n";
    blocked << "y";
    log.mode(2);
    log << "z";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "yz");
    EXPECT_TRUE(isMarkedLine(slurp(at("one.log")), start, "x\n42\n")) << slurp(at("one.log"));
    EXPECT_FALSE(fs::exists(at("two.log")));
    EXPECT_FALSE(fs::exists(at("later")));
}

TEST_F(VnDebugTest, WeeklyModeAppendsToTheWeeksFile) {
    VnDebug log;
    log.mode(1);
    log.filename(at("w").c_str());
    const int week = weekNow();
    log << "x\n";
    log << "y\n";
    const int weekAfter = weekNow();
    const std::string got = slurp(at("w." + std::to_string(week))) +
                            (weekAfter != week ? slurp(at("w." + std::to_string(weekAfter))) : "");
    EXPECT_EQ(got, "x\ny\n");
    EXPECT_FALSE(fs::exists(at("w")));
}

TEST_F(VnDebugTest, ProcessWideNameIsTakenOnceAndModeAlways) {
    const std::string first = at("first");
    const std::string second = at("second");
    EXPECT_EXIT(
        {
            vn_debug_filename(first.c_str(), 1);
            vn_debug_filename(second.c_str(), 0);
            _vn_debug_global_obj << "g\n";
            const bool ok = vn_debug_obj().mode() == 0 && slurp(first) == "g\n" && !fs::exists(second);
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(VnDebugTest, ListsTheWeeklyFilesThatExist) {
    for (const char* name : {"w.0", "w.7", "w.53", "w"}) std::ofstream(at(name)) << "x";
    fs::create_directory(at("w.3"));
    VnStringList list;
    list.push(new VnString("keep"));
    vn_debug_logfiles(at("w").c_str(), list);
    ASSERT_EQ(list.length(), 3);
    EXPECT_STREQ(list.get(0)->value(), "keep");
    EXPECT_EQ(list.get(1)->value(), at("w.0"));
    EXPECT_EQ(list.get(2)->value(), at("w.7"));
}
