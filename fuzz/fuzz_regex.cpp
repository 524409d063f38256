// Matches a fuzzed pattern against a fuzzed text: the bytes before the first NUL are the
// pattern (at most 256), the rest is the text (at most 4 KiB). Both match operations run,
// the capturing one caseless. Whatever fails (a pattern that does not compile, or a match that
// gives up at a limit or a recursion loop, which can differ between the two option sets) must
// answer 0 with a message and append no captures.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "expression/VnRegEx.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, '\0', size);
    const std::size_t split = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size;
    const std::size_t rest = size - split - (nul ? 1 : 0);
    if (split > 256 || rest > 4096) return 0;
    const VnString pattern(bytes, static_cast<int>(split));
    const VnString text(bytes + size - rest, static_cast<int>(rest));

    VnRegEx re(pattern);
    const int plain = re.match(text);
    const bool failed = re.error().length() > 0;
    check(!failed || plain == 0);

    VnStringList captures;
    re.caseless(1);
    const int caught = re.match(text, captures);
    if (re.error().length() > 0) check(caught == 0);
    check(caught == 1 || captures.length() == 0);
    check(captures.length() <= 33);
    for (int i = 0; i < captures.length(); ++i)
        check(captures.get(i)->length() <= text.length());
    return 0;
}
