// Variable names as text, both ways. The short form that a VnVariableId writes reads back to
// the same pid and name, and the writing settles after one round. The full name that a
// VnVariableId or a VnVariable writes reads back to the same fields whenever its pid is written
// as a plain number (not negative); a global VnVariable's, written without pid, reads back to
// the same class and name.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnVariable.h"
#include "job/VnVariableId.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

template <class Name>
bool sameName(const Name& a, const Name& b) {
    return a.cls() == b.cls() && a.name() == b.name();
}

void checkShortForm(const VnString& text) {
    const VnVariableId first(text);
    const VnVariableId back(first.value());
    check(back.pid() == first.pid() && back.name() == first.name());
    check(back.value() == first.value());
}

template <class Name>
void checkFullName(const VnString& text, bool global) {
    Name first, back;
    first.fullname(text);
    back.fullname(first.fullname());
    if (global) return check(sameName(back, first));
    if (first.pid() >= 0) check(back.pid() == first.pid() && sameName(back, first));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256 * 1024) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    checkShortForm(text);
    checkFullName<VnVariableId>(text, false);
    VnVariable variable;
    variable.fullname(text);
    checkFullName<VnVariable>(text, variable.cls() == 2);
    return 0;
}
