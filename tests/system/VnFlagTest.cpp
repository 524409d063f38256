#include "system/VnFlag.h"
#include "testing/TestRecords.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// One table: its two sides, every name in output order and the value of each.
struct Table {
    const char* title;
    VnString (*toString)(int);
    int (*toInt)(const VnString&);
    const char* names;
    std::vector<int> values;
};

// clang-format off
const Table kTables[] = {
    {"supervisor mode", vn_supervisor_mode_flag_string, vn_supervisor_mode_flag_int,
     "reject_submit,stop_activity,enforce_password", {1, 2, 4}},
    {"worker", vn_worker_flag_string, vn_worker_flag_int,
     "dynamic,dedicated,auto_mount,remove_logs,load_profile,rotate_logs,ssl,enable_winbind",
     {2, 1, 4, 8, 16, 64, 32, 128}},
    {"supervisor", vn_supervisor_flag_string, vn_supervisor_flag_int,
     "enforce_password,host_recontact,heartbeat_monitor,running_monitor,clone_logs,remove_logs,master,ssl,"
     "multicast,schedule,stub_optimize,rotate_logs,retry_busy,ignore_duplicate_peer,enable_max_connections",
     {1, 2, 4, 2048, 8, 16, 32, 64, 128, 256, 1024, 512, 4096, 8192, 16384}},
    {"language", vn_supervisor_language_flag_string, vn_supervisor_language_flag_int,
     "vorn,perl,python,post,mail,dependency", {1, 2, 4, 8, 16, 32}},
    {"log", vn_supervisor_log_flag_string, vn_supervisor_log_flag_int,
     "job,subjob,work,callback,user,admin,mail", {1, 2, 4, 8, 16, 32, 64}},
    {"manifest", vn_supervisor_manifest_flag_string, vn_supervisor_manifest_flag_int,
     "job,subjob,work", {1, 2, 4}},
    {"client", vn_client_flag_string, vn_client_flag_int, "ssl,restrict_domain", {64, 128}},
    {"database", vn_database_flag_string, vn_database_flag_int, "lazy", {1}},
    {"job", vn_job_flag_string, vn_job_flag_int,
     "uninterruptible,memory_hard_limit,grid,thrifty,expand,auto_mount,export_environment,host_list,elite,mail,"
     "disable_windows_job_object,disable_cpu_limit,disable_auto_complete",
     {1, 2, 4, 64, 32, 8, 16, 256, 512, 1024, 2048, 4096, 8192}},
    {"permission", vn_permission_flag_string, vn_permission_flag_int,
     "submit_job,submit_callback,submit_global_callback,bump,kill,remove,modify,preempt,block,interrupt,"
     "complete,unblock,suspend,resume,retry,requeue,migrate,shove,fail,retire,lock_host,sudo_admin,"
     "impersonate,admin",
     {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536, 131072, 262144,
      524288, 134217728, 268435456, 536870912, 1073741824}},
};
// clang-format on

TEST(VnFlagTest, EveryTableBothWaysInRowOrder) {
    for (const Table& t : kTables) {
        std::vector<std::string> names;
        std::istringstream in(t.names);
        for (std::string name; std::getline(in, name, ',');)
            names.push_back(name);
        ASSERT_EQ(names.size(), t.values.size()) << t.title;
        int all = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            all |= t.values[i];
            EXPECT_EQ(t.toInt(names[i].c_str()), t.values[i]) << t.title << " " << names[i];
            EXPECT_EQ(str(t.toString(t.values[i])), names[i]) << t.title;
        }
        EXPECT_EQ(str(t.toString(all)), t.names) << t.title;
        EXPECT_EQ(str(t.toString(-1)), t.names) << t.title;  // unnamed bits are ignored
        EXPECT_EQ(t.toInt(t.names), all) << t.title;
        EXPECT_EQ(str(t.toString(~all)) + str(t.toString(0)), "00") << t.title;
        EXPECT_EQ(t.toInt("") + t.toInt("bogus") + t.toInt(" , ,"), 0) << t.title;
        // Every value made of named bits comes back through its text.
        for (int pick = 0; pick < 64; ++pick) {
            int value = 0;
            for (std::size_t i = 0; i < names.size(); ++i)
                if ((pick * 2654435761u >> i) & 1) value |= t.values[i];
            EXPECT_EQ(t.toInt(t.toString(value)), value) << t.title << " " << value;
        }
    }
}

TEST(VnFlagTest, ExamplesAndNameReading) {
    EXPECT_EQ(vn_job_flag_int("uninterruptable") + vn_job_flag_int("uninterruptible"), 2);
    EXPECT_EQ(str(vn_job_flag_string(vn_job_flag_int("uninterruptable,grid"))), "uninterruptible,grid");

    EXPECT_EQ(vn_client_flag_int(" \tssl\r\n,\nrestrict_domain "), 192);
    EXPECT_EQ(vn_client_flag_int("SSL") + vn_client_flag_int("ssl x") + vn_client_flag_int("ss"), 0);
    EXPECT_EQ(vn_client_flag_int("ssl,bogus"), 64);
    EXPECT_EQ(vn_client_flag_int("ssl,ssl"), 128);  // added, not or-ed
    EXPECT_EQ(vn_client_flag_int(VnString("ssl\0", 4)), 0);
    EXPECT_EQ(vn_worker_flag_int("ssl") + vn_supervisor_flag_int("ssl"), 32 + 64);  // per table

    EXPECT_EQ(vn_permission_flag_int("3"), 3);
    EXPECT_EQ(vn_permission_flag_int("-1"), -1);
    EXPECT_EQ(vn_permission_flag_int("-"), 0);
    EXPECT_EQ(vn_database_flag_int("12345"), 12345);  // taken as it is, named bits or not
    EXPECT_EQ(vn_permission_flag_int(" 3") + vn_permission_flag_int("+3") + vn_permission_flag_int("3,1"), 0);

    // A long run of one large name wraps around instead of overflowing.
    EXPECT_EQ(vn_permission_flag_int("admin,admin,admin,admin,admin,"), static_cast<int>(5u * 1073741824u));
}

}  // namespace
