// Expands arbitrary text into a package tree and checks that the compact text of what was
// read expands back to the same tree: its compact text comes out byte for byte the same.
// A copy must compact alike too, and small trees are listed (to /dev/null) as well.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/VnPackage.h"

namespace {

bool same(const VnString& a, const VnString& b) {
    return a.length() == b.length() && std::memcmp(a.value(), b.value(), a.length()) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // _display writes to standard output; the fuzzer reports on standard error.
    std::FILE* sink = std::freopen("/dev/null", "w", stdout);
    (void)sink;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    VnPackage tree;
    tree.expand(text);
    const VnString first = tree.compact();

    VnPackage again;
    if (again.expand(first) != 1 || !same(again.compact(), first)) __builtin_trap();

    const VnPackage copied(tree);
    if (!same(copied.compact(), first)) __builtin_trap();

    // The listing grows with the square of the depth: keep it to small inputs.
    if (size <= 512) tree._display(0);
    return 0;
}
