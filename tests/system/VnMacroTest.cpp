#include "system/VnMacro.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The packed forms of the table are checked byte for byte through VnError, which nests one.

namespace {

std::string text(const VnString& s) { return std::string(s.value(), s.length()); }

VnMacro sample() {
    VnMacro macro;
    macro.set("ERROR", "disk full");
    macro.set("VERSION", "5.1");
    macro.set("ER ROR", "spaced");
    macro.set("LOOP", "$VERSION");
    return macro;
}

// Records every name it is asked for; knows only "X".
std::vector<std::string> asked;
unsigned char resolveX(const VnString& name, VnString& value) {
    asked.push_back(text(name));
    if (name != VnString("X")) return 0;
    value = "ex";
    return 1;
}

}  // namespace

TEST(VnMacro, ParseExpandsReferencesOnce) {
    const VnMacro macro = sample();
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"error: $ERROR.", "error: disk full."}, {"$(ERROR)!", "disk full!"},
        {"v$(VERSION)x", "v5.1x"},               {"$VERSIONx", ""},
        {"cost: 5$", "cost: 5"},                 {"$$ERROR", "disk full"},
        {"a $ b", "a  b"},                       {"$(ERROR", "disk full"},
        {"$(ER ROR)|$error", "spaced|"},         {"$LOOP", "$VERSION"},
        {"$ERROR\xc3\xa9", "disk full\xc3\xa9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text(macro.parse(c.in)), c.out);
    }
    EXPECT_TRUE(macro.parse("").isundef());
}

TEST(VnMacro, SetReplacesAndGetLeavesMissingNamesAlone) {
    VnMacro macro = sample();
    macro.set("ERROR", "second");
    VnString value("kept");
    macro.get("MISSING", value);
    EXPECT_EQ(text(value), "kept");
    macro.get("ERROR", value);
    EXPECT_EQ(text(value), "second");
}

TEST(VnMacro, ResolverIsAskedForMissingNamesInTextOrder) {
    VnMacro macro = sample();
    macro.set(resolveX);
    asked.clear();
    EXPECT_EQ(text(macro.parse("$X-$ERROR-$-$(Y)")), "ex-disk full--");
    EXPECT_EQ(asked, (std::vector<std::string>{"X", "", "Y"}));

    macro.set(nullptr);
    asked.clear();
    EXPECT_EQ(text(macro.parse("$X")), "");
    EXPECT_TRUE(asked.empty());
}

TEST(VnMacro, CopiesTheTableOnlyAndDeeply) {
    VnMacro original = sample();
    original.set(resolveX);

    VnMacro constructed(original);
    EXPECT_EQ(text(constructed.parse("$VERSION$X")), "5.1");  // no resolver

    VnMacro assigned;
    assigned.set(resolveX);
    assigned.set("OLD", "gone");
    assigned = original;
    original.set("VERSION", "changed");
    EXPECT_EQ(text(assigned.parse("$OLD$VERSION$X")), "5.1ex");  // keeps its resolver

    const VnMacro& same = assigned;
    assigned = same;
    EXPECT_EQ(text(assigned.parse("$ERROR")), "disk full");
}
