// Chains of held objects built by a program, deeper than any reader accepts: the writers stop
// at the readers' cap, and deleting a chain does not recurse with its depth.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "base/VnIntHash.h"
#include "base/VnPack.h"
#include "base/VnStringHash.h"
#include "base/VnTypes.h"
#include "farm/VnProperty.h"
#include "farm/VnPropertyHash.h"
#include "net/VnMessage.h"
#include "testing/TestRecords.h"
#include "tests/support/SmallStack.h"

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

// The property at level 255 of a chain from level 0 (as chain(255) makes), which holds what is
// at level 256.
VnProperty* level255(VnProperty& top) {
    VnProperty* last = &top;
    for (int level = 0; level < 255; ++level)
        last = below(last);
    return last;
}

// "key=id" of every entry, in key order; id -2 for a null value.
template <class Hash>
std::string entries(Hash& hash) {
    VnBaseList<VnString> keys;
    hash.copykeys(keys);
    std::map<std::string, int> sorted;
    for (int i = 0; i < keys.length(); ++i) {
        auto* value = hash.get(*keys.get(i));
        sorted[str(*keys.get(i))] = value ? value->id() : -2;
    }
    std::string text;
    for (const auto& [key, id] : sorted)
        text += key + "=" + std::to_string(id) + " ";
    return text;
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

// A hash at level 256 is written with its keys; its values, at level 257, are left out with
// their fields. Both forms read the same keys back, each with a default value (none takes the
// value field of another key), and the binary form is byte for byte the chain's fields, the
// count and the key fields. Hashes of strings and ints hold no nested values and are written
// and read whole at that level.
TEST(VnPackDepth, AHashAtTheCutKeepsItsKeysInBothForms) {
    const std::unique_ptr<VnProperty> top = chain(255);
    auto* hash = new VnPropertyHash();
    for (int i = 0; i < 6; ++i) {
        auto* value = new VnProperty();
        value->id(100 + i);
        hash->set(value, VnString(std::string(1, char('a' + i)).c_str()));
    }
    level255(*top)->value(hash);

    std::string expected = objField(4, VN_TYPE_PROPERTY_HASH, [&] {
        VnBaseList<VnString> keys;
        hash->copykeys(keys);  // in the order they are written
        std::string pairs = intField(1, 6);
        for (int i = 0; i < keys.length(); ++i)
            pairs += strField(10, str(*keys.get(i)));
        return pairs;
    }());
    for (int level = 255; level >= 0; --level) {
        const std::string fields = intField(1, level) + strField(2, "") + strField(3, "") + expected;
        expected = level == 0 ? kVersion + fields : objField(4, VN_TYPE_PROPERTY, fields);
    }
    int lines = 0;
    EXPECT_TRUE(packedCounting(*top, false, lines) == expected);
    EXPECT_EQ(lines, 1);

    const std::string keysOnly = "a=-1 b=-1 c=-1 d=-1 e=-1 f=-1 ";
    for (const bool xml : {false, true}) {
        const std::unique_ptr<VnProperty> back = chain(255, true);
        if (xml) level255(*back)->value(new VnPropertyHash());  // XML fills only what is held
        ASSERT_EQ(unpackInto(*back, packedCounting(*top, xml, lines), xml), 0) << xml;
        auto* read = dynamic_cast<VnPropertyHash*>(level255(*back)->value());
        ASSERT_NE(read, nullptr) << xml;
        EXPECT_EQ(entries(*read), keysOnly) << xml;
    }

    // Strings and ints at level 256: nothing is left out.
    for (const bool xml : {false, true}) {
        auto* strings = new VnStringHash();
        auto* ints = new VnIntHash();
        for (int i = 0; i < 6; ++i) {
            const VnString key(std::string(1, char('a' + i)).c_str());
            strings->set(new VnString(i), key);
            ints->set(i + 1, key);
        }
        const std::unique_ptr<VnProperty> withStrings = chain(255), withInts = chain(255);
        level255(*withStrings)->value(strings);
        level255(*withInts)->value(ints);
        const std::unique_ptr<VnProperty> stringsBack = chain(255, true), intsBack = chain(255, true);
        if (xml) {
            level255(*stringsBack)->value(new VnStringHash());
            level255(*intsBack)->value(new VnIntHash());
        }
        ASSERT_EQ(unpackInto(*stringsBack, packedCounting(*withStrings, xml, lines), xml), 0);
        ASSERT_EQ(unpackInto(*intsBack, packedCounting(*withInts, xml, lines), xml), 0);
        EXPECT_EQ(lines, 0);
        auto* stringsRead = dynamic_cast<VnStringHash*>(level255(*stringsBack)->value());
        auto* intsRead = dynamic_cast<VnIntHash*>(level255(*intsBack)->value());
        ASSERT_TRUE(stringsRead && intsRead && stringsRead->length() == 6);
        EXPECT_EQ(packed(*intsRead).substr(0, 12), kVersion + intField(1, 6));  // the number of entries
        for (int i = 0; i < 6; ++i) {
            const VnString key(std::string(1, char('a' + i)).c_str());
            ASSERT_NE(stringsRead->get(key), nullptr);
            EXPECT_TRUE(stringsRead->get(key)->integervalue() == i && intsRead->get(key) == i + 1) << xml;
        }
    }
}

// Two chains past the cap in one list: each is cut at level 256 (the list is level 0), and each
// call says so in one line, whichever form it writes.
TEST(VnPackDepth, TwoCutsInOneCallMakeOneLine) {
    VnPropertyList list;
    list.push(chain(300).release());
    list.push(chain(1000).release());
    for (const bool xml : {false, true}) {
        for (int call = 0; call < 2; ++call) {
            int lines = 0;
            const std::string written = packedCounting(list, xml, lines);
            EXPECT_EQ(lines, 1) << xml;
            if (call > 0 || xml) continue;
            VnPropertyList back;
            ASSERT_EQ(unpackInto(back, written), 0);
            ASSERT_EQ(back.length(), 2);
            EXPECT_TRUE(numberedDepth(*back.get(0)) == 255 && numberedDepth(*back.get(1)) == 255);
            EXPECT_TRUE(level255(*back.get(0))->value() == nullptr &&
                        level255(*back.get(1))->value() == nullptr);
        }
    }
}
