// Chains of held objects built by a program, deeper than any reader accepts: the writers stop
// at the readers' cap, and deleting a chain does not recurse with its depth.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "base/VnPack.h"
#include "farm/VnProperty.h"
#include "net/VnMessage.h"
#include "tests/support/SmallStack.h"
#include "tests/support/TestRecords.h"

namespace {

const char kLeftOut[] = "ERROR: object nested deeper than 256 levels left out of the pack.";

// A property at level 0 whose value is a property at level 1, and so on down to the given
// level; each has its level as its id, or -1 when blank.
std::unique_ptr<VnProperty> chain(int deepest, bool blank = false) {
    auto top = std::make_unique<VnProperty>();
    top->id(blank ? -1 : 0);
    VnProperty* last = top.get();
    for (int level = 1; level <= deepest; ++level) {
        auto* next = new VnProperty();
        next->id(blank ? -1 : level);
        last->value(next);
        last = next;
    }
    return top;
}

VnProperty* below(VnProperty* p) {
    return dynamic_cast<VnProperty*>(p->value());
}

// The deepest level down to which the values below top have their levels as ids.
int numberedDepth(VnProperty& top) {
    int level = 0;
    for (VnProperty* p = below(&top); p && p->id() == level + 1; p = below(p))
        ++level;
    return level;
}

// The packed form of top, and how many debug log lines writing it made that say an object
// was left out (the log goes to standard output here).
std::string packedCounting(VnPack& top, bool xml, int& lines) {
    testing::internal::CaptureStdout();
    const std::string bytes = packed(top, xml);
    std::istringstream log(testing::internal::GetCapturedStdout());
    lines = 0;
    for (std::string line; std::getline(log, line);) {
        const std::size_t at = line.find(" : ");
        EXPECT_TRUE(at != std::string::npos && line.substr(at + 3) == kLeftOut) << line;
        ++lines;
    }
    return bytes;
}

}  // namespace

// The writers write the levels the readers read, 0 to 256: a chain down to level 256 writes
// whole and reads back whole in both forms; a deeper one, however deep, writes exactly those
// levels (the field of level 257 left out), and says so once per call.
TEST(VnPackDepth, WritersStopAtTheReadersCapAndSaySoOnce) {
    ASSERT_EQ(VnPack::MAX_NESTING, 256);
    for (const bool xml : {false, true}) {
        int lines = 0;
        const std::unique_ptr<VnProperty> whole = chain(256);
        const std::string written = packedCounting(*whole, xml, lines);
        EXPECT_EQ(lines, 0);
        for (const int depth : {257, 100000}) {
            const std::unique_ptr<VnProperty> deep = chain(depth);
            const std::string cut = packedCounting(*deep, xml, lines);
            EXPECT_EQ(cut.size(), written.size()) << depth;
            EXPECT_TRUE(cut == written) << depth;  // the very same bytes
            EXPECT_EQ(lines, 1) << depth;
        }
        // XML fills only the values already held: here 300 levels, of which 257 are read.
        const std::unique_ptr<VnProperty> back = xml ? chain(300, true) : std::make_unique<VnProperty>();
        ASSERT_EQ(unpackInto(*back, written, xml), 0);
        EXPECT_TRUE(back->id() == 0 && numberedDepth(*back) == 256);
        VnProperty* last = back.get();
        for (int level = 0; level < 256; ++level)
            last = below(last);
        EXPECT_EQ(below(last) != nullptr, xml);  // level 257, blank
        last->value(nullptr);
        EXPECT_TRUE(packedCounting(*back, xml, lines) == written);
        EXPECT_EQ(lines, 0);
    }
}

// Deleting a chain, or replacing one with set(), takes no stack per level: 100,000 levels of
// properties and messages, holding each other, go on a thread of 256 KiB of stack.
TEST(VnPackDepth, DeepChainsAreDeletedWithoutRecursion) {
    constexpr int kDepth = 100000;
    bool replaced = false;
    const bool ran = runOnSmallStack([&replaced] {
        auto build = [] {
            auto* top = new VnProperty();
            VnPack* last = top;
            for (int level = 1; level < kDepth; ++level) {
                VnPack* next = level % 2 ? static_cast<VnPack*>(new VnMessage(level)) : new VnProperty();
                if (auto* p = dynamic_cast<VnProperty*>(last))
                    p->value(next);
                else
                    static_cast<VnMessage*>(last)->content(next);
                last = next;
            }
            return top;
        };
        delete build();
        VnProperty* top = build();
        top->value(new VnProperty());  // the chain below top goes
        replaced = below(top) != nullptr && below(top)->value() == nullptr;
        delete top;
    });
    EXPECT_TRUE(ran && replaced);
}
