// Parses a fuzzed text with each of the three parsers into one root (so every
// parse after the first replaces a tree), then evaluates, tests and walks it.

#include <cstddef>
#include <cstdint>

#include "base/VnStringList.h"
#include "expression/VnExpression.h"
#include "expression/VnReference.h"
#include "expression/VnScalar.h"

namespace {

// Every name that is not a number is a variable, so variables walks the tree.
struct Variables : VnReference {
    int variable(const VnString& name) override { return !name.isinteger() && !name.isfloat(); }
};

void walk(VnExpression& root) {
    VnScalar out;
    root.eval(out);
    out.stringvalue();
    root.isvalid();
    VnStringList names;
    root.variables(names);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;  // parsing is linear, but keep each run short
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    void (VnExpression::*const parsers[])(const VnString&) = {
        &VnExpression::parse, &VnExpression::callbackparse, &VnExpression::valueparse};
    VnExpression root;
    root.reference(new Variables);
    for (auto parser : parsers) {
        (root.*parser)(text);
        walk(root);
    }
    return 0;
}
