// Reads arbitrary bytes as an environment's text form and as mount lines. The variable lists
// stay parallel, every mount splits into parts no longer than its text, and the text form
// written from what was read reads back to the same mask, directory, variables and mounts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "system/VnEnv.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string str(const VnString* s) {
    return s ? std::string(s->value(), s->length()) : std::string("(null)");
}

void checkMounts(const VnEnv& env) {
    VnStringList names;
    env.mounts(names);
    for (int i = 0; i < names.length(); ++i) {
        VnString user, password, target;
        check(env.mount(*names.get(i), user, password, target) == 1);
        check(user.length() + password.length() + target.length() <= env.mount(*names.get(i)).length());
    }
}

// The same fields; mounts are compared by name, as two hashes may hold them in different orders.
bool same(const VnEnv& a, const VnEnv& b) {
    if (a.mask() != b.mask() || str(&a.cwd()) != str(&b.cwd())) return false;
    if (a.keys().length() != b.keys().length()) return false;
    for (int i = 0; i < a.keys().length(); ++i) {
        if (str(a.keys().get(i)) != str(b.keys().get(i))) return false;
        if (str(a.values().get(i)) != str(b.values().get(i))) return false;
    }
    VnStringList names, others;
    a.mounts(names);
    b.mounts(others);
    if (names.length() != others.length()) return false;
    for (int i = 0; i < names.length(); ++i) {
        const VnString mine = a.mount(*names.get(i)), theirs = b.mount(*names.get(i));
        if (str(&mine) != str(&theirs)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256 * 1024) return 0;
    std::vector<char> bytes(data, data + size);  // exactly as long, so an overread is caught
    VnEnv env;
    env.revert(bytes.data(), static_cast<int>(bytes.size()));
    check(env.keys().length() == env.values().length());
    checkMounts(env);

    VnEnv back;
    back.revert(env.convert());
    check(same(env, back));

    VnEnv mounts;
    mounts.mountmap(bytes.data(), static_cast<int>(bytes.size()));
    check(mounts.keys().length() == 0);
    checkMounts(mounts);
    return 0;
}
