#include "system/VnMacro.h"
#include "testing/TestRecords.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

// The packed forms of the table are checked byte for byte through VnError, which nests one.

namespace {

// Each text expanded, each followed by "|".
std::string expanded(const VnMacro& macro, std::initializer_list<const char*> texts) {
    std::string out;
    for (const char* text : texts)
        out += str(macro.parse(text)) + "|";
    return out;
}

std::string asked;  // every name the resolver was asked for, each followed by ","

// Knows only "X".
unsigned char resolveX(const VnString& name, VnString& value) {
    asked += str(name) + ",";
    if (name != VnString("X")) return 0;
    value = "ex";
    return 1;
}

}  // namespace

TEST(VnMacro, ParseExpandsReferencesOnce) {
    VnMacro macro;
    macro.set("ERROR", "disk full");
    macro.set("VERSION", "5.1");
    macro.set("ER ROR", "spaced");
    macro.set("LOOP", "$VERSION");
    EXPECT_EQ(
        expanded(macro, {"error: $ERROR.", "$(ERROR)!", "v$(VERSION)x", "$VERSIONx", "cost: 5$", "$$ERROR"}),
        "error: disk full.|disk full!|v5.1x||cost: 5|disk full|");
    EXPECT_EQ(expanded(macro, {"a $ b", "$(ERROR", "$(ER ROR)$error", "$LOOP", "$ERROR\xc3\xa9"}),
              "a  b|disk full|spaced|$VERSION|disk full\xc3\xa9|");
    EXPECT_TRUE(macro.parse("").isundef());

    macro.set(resolveX);  // asked for every name the table lacks, in text order
    EXPECT_EQ(expanded(macro, {"$X-$ERROR-$-$(Y)"}), "ex-disk full--|");
    EXPECT_EQ(asked, "X,,Y,");

    // Copies take the table only, deeply: a new copy has no resolver, an assigned one keeps its own.
    VnMacro constructed(macro), assigned;
    assigned.set(resolveX);
    macro.set(nullptr);
    assigned = macro;
    assigned = static_cast<const VnMacro&>(assigned);
    macro.set("VERSION", "changed");  // replaces the value
    EXPECT_EQ(expanded(constructed, {"$VERSION$X"}) + expanded(assigned, {"$VERSION$X"}), "5.1|5.1ex|");
    EXPECT_EQ(expanded(macro, {"$VERSION"}), "changed|");
    VnString missing("kept"), found;
    assigned.get("MISSING", missing);
    assigned.get("ERROR", found);
    EXPECT_EQ(str(missing) + "|" + str(found), "kept|disk full");
}
