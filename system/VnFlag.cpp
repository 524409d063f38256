#include "system/VnFlag.h"

#include <cstddef>
#include <cstring>

#include "base/VnStringList.h"
#include "expression/VnExpression.h"

namespace {

// One named bit. A row marked readOnly is an older spelling that the integer side still
// reads; the string side never writes it.
struct FlagName {
    const char* name;
    int value;
    bool readOnly;
};

// A table's rows in output order.
struct FlagTable {
    template <std::size_t N>
    constexpr FlagTable(const FlagName (&r)[N]) : rows(r), count(N) {}
    const FlagName* begin() const { return rows; }
    const FlagName* end() const { return rows + count; }

    const FlagName* rows;
    std::size_t count;
};

// clang-format off
const FlagName kSupervisorMode[] = {
    {"reject_submit", 1, false},
    {"stop_activity", 2, false},
    {"enforce_password", 4, false},
};

const FlagName kWorker[] = {
    {"dynamic", 2, false},
    {"dedicated", 1, false},
    {"auto_mount", 4, false},
    {"remove_logs", 8, false},
    {"load_profile", 16, false},
    {"rotate_logs", 64, false},
    {"ssl", 32, false},
    {"enable_winbind", 128, false},
};

const FlagName kSupervisor[] = {
    {"enforce_password", 1, false},
    {"host_recontact", 2, false},
    {"heartbeat_monitor", 4, false},
    {"running_monitor", 2048, false},
    {"clone_logs", 8, false},
    {"remove_logs", 16, false},
    {"master", 32, false},
    {"ssl", 64, false},
    {"multicast", 128, false},
    {"schedule", 256, false},
    {"stub_optimize", 1024, false},
    {"rotate_logs", 512, false},
    {"retry_busy", 4096, false},
    {"ignore_duplicate_peer", 8192, false},
    {"enable_max_connections", 16384, false},
};

const FlagName kSupervisorLanguage[] = {
    {"vorn", 1, false},
    {"perl", 2, false},
    {"python", 4, false},
    {"post", 8, false},
    {"mail", 16, false},
    {"dependency", 32, false},
};

const FlagName kSupervisorLog[] = {
    {"job", 1, false},
    {"subjob", 2, false},
    {"work", 4, false},
    {"callback", 8, false},
    {"user", 16, false},
    {"admin", 32, false},
    {"mail", 64, false},
};

const FlagName kSupervisorManifest[] = {
    {"job", 1, false},
    {"subjob", 2, false},
    {"work", 4, false},
};

const FlagName kClient[] = {
    {"ssl", 64, false},
    {"restrict_domain", 128, false},
};

const FlagName kDatabase[] = {
    {"lazy", 1, false},
};

const FlagName kJob[] = {
    {"uninterruptible", 1, false},
    {"memory_hard_limit", 2, false},
    {"grid", 4, false},
    {"thrifty", 64, false},
    {"expand", 32, false},
    {"auto_mount", 8, false},
    {"export_environment", 16, false},
    {"host_list", 256, false},
    {"elite", 512, false},
    {"mail", 1024, false},
    {"disable_windows_job_object", 2048, false},
    {"disable_cpu_limit", 4096, false},
    {"disable_auto_complete", 8192, false},
    {"uninterruptable", 1, true},
};

const FlagName kPermission[] = {
    {"submit_job", 1, false},
    {"submit_callback", 2, false},
    {"submit_global_callback", 4, false},
    {"bump", 8, false},
    {"kill", 16, false},
    {"remove", 32, false},
    {"modify", 64, false},
    {"preempt", 128, false},
    {"block", 256, false},
    {"interrupt", 512, false},
    {"complete", 1024, false},
    {"unblock", 2048, false},
    {"suspend", 4096, false},
    {"resume", 8192, false},
    {"retry", 16384, false},
    {"requeue", 32768, false},
    {"migrate", 65536, false},
    {"shove", 131072, false},
    {"fail", 262144, false},
    {"retire", 524288, false},
    {"lock_host", 134217728, false},
    {"sudo_admin", 268435456, false},
    {"impersonate", 536870912, false},
    {"admin", 1073741824, false},
};
// clang-format on

VnString flagString(FlagTable table, int flags) {
    VnString out;
    for (const FlagName& row : table) {
        if (row.readOnly || !(flags & row.value)) continue;
        if (out.length() > 0) out += ",";
        out += row.name;
    }
    return out.length() > 0 ? out : VnString("0");
}

bool sameName(const VnString& item, const char* name) {
    const std::size_t n = std::strlen(name);
    return static_cast<std::size_t>(item.length()) == n && std::memcmp(item.value(), name, n) == 0;
}

// The sum is taken as unsigned so that names repeated many times wrap instead of overflowing.
int flagInt(FlagTable table, const VnString& text) {
    if (text.isinteger()) return text.integervalue();
    VnStringList items;
    VnExpression::split(text, items);
    unsigned int sum = 0;
    for (int i = 0; i < items.length(); ++i) {
        const VnString& item = *items.get(i);
        for (const FlagName& row : table) {
            if (sameName(item, row.name)) {
                sum += static_cast<unsigned int>(row.value);
                break;
            }
        }
    }
    return static_cast<int>(sum);
}

}  // namespace

VnString vn_supervisor_mode_flag_string(int flags) {
    return flagString(kSupervisorMode, flags);
}
int vn_supervisor_mode_flag_int(const VnString& text) {
    return flagInt(kSupervisorMode, text);
}

VnString vn_worker_flag_string(int flags) {
    return flagString(kWorker, flags);
}
int vn_worker_flag_int(const VnString& text) {
    return flagInt(kWorker, text);
}

VnString vn_supervisor_flag_string(int flags) {
    return flagString(kSupervisor, flags);
}
int vn_supervisor_flag_int(const VnString& text) {
    return flagInt(kSupervisor, text);
}

VnString vn_supervisor_language_flag_string(int flags) {
    return flagString(kSupervisorLanguage, flags);
}
int vn_supervisor_language_flag_int(const VnString& text) {
    return flagInt(kSupervisorLanguage, text);
}

VnString vn_supervisor_log_flag_string(int flags) {
    return flagString(kSupervisorLog, flags);
}
int vn_supervisor_log_flag_int(const VnString& text) {
    return flagInt(kSupervisorLog, text);
}

VnString vn_supervisor_manifest_flag_string(int flags) {
    return flagString(kSupervisorManifest, flags);
}
int vn_supervisor_manifest_flag_int(const VnString& text) {
    return flagInt(kSupervisorManifest, text);
}

VnString vn_client_flag_string(int flags) {
    return flagString(kClient, flags);
}
int vn_client_flag_int(const VnString& text) {
    return flagInt(kClient, text);
}

VnString vn_database_flag_string(int flags) {
    return flagString(kDatabase, flags);
}
int vn_database_flag_int(const VnString& text) {
    return flagInt(kDatabase, text);
}

VnString vn_job_flag_string(int flags) {
    return flagString(kJob, flags);
}
int vn_job_flag_int(const VnString& text) {
    return flagInt(kJob, text);
}

VnString vn_permission_flag_string(int flags) {
    return flagString(kPermission, flags);
}
int vn_permission_flag_int(const VnString& text) {
    return flagInt(kPermission, text);
}
