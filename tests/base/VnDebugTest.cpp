#include "base/VnDebug.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "base/VnStringList.h"
#include "tests/support/TempDir.h"

namespace {

std::tm localAt(std::time_t t) {
    std::tm local = {};
    localtime_r(&t, &local);
    return local;
}

// Whether got is the header of some moment from `from` to now, followed by rest.
bool isMarkedLine(const std::string& got, std::time_t from, const std::string& rest) {
    char host[1024] = {}, month[16], stamp[64];
    gethostname(host, sizeof host - 1);
    for (std::time_t t = from; t <= std::time(nullptr); ++t) {
        const std::tm local = localAt(t);
        std::strftime(month, sizeof month, "%b", &local);
        std::snprintf(stamp, sizeof stamp, "[%s %d, %d %d:%02d:%02d] ", month, local.tm_mday,
                      local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
        if (got == stamp + std::string(host) + " : " + rest) return true;
    }
    return false;
}

using VnDebugTest = TempDirTest;

}  // namespace

// Run apart, as it changes the process-wide log and the time zone, which puts
// the local hour at 3 so that a wrong leading zero would show.
TEST_F(VnDebugTest, ProcessWideLogHeaderAndFileName) {
    const std::string first = at("first"), second = at("second");
    EXPECT_EXIT(
        {
            const std::time_t start = std::time(nullptr);
            std::tm utc = {};
            gmtime_r(&start, &utc);
            setenv("TZ", ("XYZ" + std::to_string(utc.tm_hour - 3)).c_str(), 1);
            tzset();
            testing::internal::CaptureStdout();
            _vn_debug_global_obj.mark() << "x" << '\n';
            bool ok = isMarkedLine(testing::internal::GetCapturedStdout(), start, "x\n");
            vn_debug_filename(first.c_str(), 1);
            vn_debug_filename(second.c_str(), 0);  // takes the mode only
            _vn_debug_global_obj << "g\n";
            ok = ok && vn_debug_obj().mode() == 0 && slurp(first) == "g\n";
            std::exit(ok && !std::filesystem::exists(second) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(VnDebugTest, ItemsGoToTheFirstNameGiven) {
    VnDebug log, weekly, blocked, lost;
    log.filename(at("one.log").c_str());
    log.filename(at("two.log").c_str());
    weekly.mode(1);
    weekly.filename(at("w").c_str());
    blocked.filename("");  // standard output, and no later name is taken
    blocked.filename(at("later").c_str());
    lost.filename(at("no/such/log").c_str());

    const std::time_t start = std::time(nullptr);
    testing::internal::CaptureStdout();
    log.mark() << "x" << 42 << '\n';
    weekly << "y\n";
    lost.mark() << "lost" << '\n';
    blocked << 'c' << '|' << -3 << '|' << 4u << '|' << 5L << '|' << 6UL << '|' << 7LL << '|' << 1.5f << '|'
            << 2.0f << '|' << 1234567.0f << '|' << 0.25 << '|' << VnString() << VnString("s")
            << static_cast<char*>(nullptr) << static_cast<const char*>(nullptr) << "\n";
    log.mode(2);
    log << "2";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "c|-3|4|5|6|7|1.5|2|1.23457e+06|0.25|s\n2");
    EXPECT_TRUE(isMarkedLine(slurp(at("one.log")), start, "x42\n")) << slurp(at("one.log"));
    const std::string week = "w." + std::to_string(localAt(start).tm_yday / 7);
    const std::string now = "w." + std::to_string(localAt(std::time(nullptr)).tm_yday / 7);
    EXPECT_EQ(slurp(at(week)) + (now != week ? slurp(at(now)) : ""), "y\n");  // the week may turn
    EXPECT_FALSE(std::filesystem::exists(at("two.log")) || std::filesystem::exists(at("later")));
}

TEST_F(VnDebugTest, ListsTheWeeklyFilesThatExist) {
    for (const char* name : {"w.0", "w.7", "w.53", "w"})
        spit(at(name), "x");
    std::filesystem::create_directory(at("w.3"));
    VnStringList list;
    list.push(new VnString("keep"));
    vn_debug_logfiles(at("w").c_str(), list);
    EXPECT_EQ(std::string(list.join(" ").value()), "keep " + at("w.0") + " " + at("w.7"));
}
