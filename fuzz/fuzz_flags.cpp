// Reads the input with the integer side of every flag table, then checks the round trips:
// the names of any value read back give its named bits, and those names again.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "system/VnFlag.h"

namespace {

struct Pair {
    VnString (*toString)(int);
    int (*toInt)(const VnString&);
};

const Pair kPairs[] = {
    {vn_supervisor_mode_flag_string, vn_supervisor_mode_flag_int},
    {vn_worker_flag_string, vn_worker_flag_int},
    {vn_supervisor_flag_string, vn_supervisor_flag_int},
    {vn_supervisor_language_flag_string, vn_supervisor_language_flag_int},
    {vn_supervisor_log_flag_string, vn_supervisor_log_flag_int},
    {vn_supervisor_manifest_flag_string, vn_supervisor_manifest_flag_int},
    {vn_client_flag_string, vn_client_flag_int},
    {vn_database_flag_string, vn_database_flag_int},
    {vn_job_flag_string, vn_job_flag_int},
    {vn_permission_flag_string, vn_permission_flag_int},
};

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool same(const VnString& a, const VnString& b) {
    return a.length() == b.length() && std::memcmp(a.value(), b.value(), a.length()) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    int raw = 0;
    std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
    for (const Pair& p : kPairs) {
        const int named = p.toInt(p.toString(-1));
        for (int value : {p.toInt(text), raw}) {
            const VnString names = p.toString(value);
            check(p.toInt(names) == (value & named));
            check(same(p.toString(p.toInt(names)), names));
        }
    }
    return 0;
}
