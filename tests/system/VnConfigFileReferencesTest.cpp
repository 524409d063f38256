// What references cost: long section names, "$self", chains, cycles and memory that runs out.

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "farm/VnPathMap.h"
#include "system/VnConfigFile.h"
#include "system/VnWarnings.h"
#include "testing/PeakMemory.h"
#include "tests/support/CapturedErrors.h"
#include "tests/support/ConfigValue.h"
#include "tests/support/TempDir.h"

#include "tests/support/CountedNew.h"

namespace {

// Allocations made by parsing text into file.
long parseAllocations(VnConfigFile& file, const std::string& text) {
    const VnString held(text.data(), static_cast<int>(text.size()));
    const long before = allocations;
    file.parse(held);
    return allocations - before;
}

const std::string kTooLarge = "WARNING: configuration text too large... skipping the rest.\n";

// n values in one cycle in section s: k<i> holds "<i>" and reads k<i+1> `reads` times, in the
// forms $k, $s.k and ${s.k} by turns; the last reads k0. The values stand in the order given:
// 0 forward, 1 backward.
std::string cycle(int n, int reads, int order) {
    std::string text = "[s]\n";
    for (int j = 0; j < n; ++j) {
        const int i = order == 0 ? j : n - 1 - j;
        const std::string next = "k" + std::to_string((i + 1) % n);
        std::string line = "k" + std::to_string(i) + " = \"<" + std::to_string(i) + ">";
        for (int r = 0; r < reads; ++r)
            line += r % 3 == 0 ? "$" + next : r % 3 == 1 ? "$s." + next : "${s." + next + "}";
        text += line + "\"\n";
    }
    return text;
}

}  // namespace

// A reference costs the same whatever the name of its section: its lookups and copies are of
// the reference's own text, not of the name.
TEST(VnConfigFileReferences, LongSectionNamesCostNothingPerReference) {
    const std::string name(100000, 'n');
    std::string refs, chain;
    for (int i = 0; i < 2000; ++i)
        refs += "$x";
    for (int i = 0; i < 300; ++i)
        chain += "c" + std::to_string(i) + " = $c" + std::to_string(i + 1) + "\n";
    VnConfigFile file;
    CapturedErrors errors;
    // Each reference once copied the name (2,000 copies of 100 KB), each link of the chain
    // twice more.
    EXPECT_LT(parseAllocations(file, "[" + name + "]\nx = 1\nv = " + refs + "\n"), 200);
    EXPECT_EQ(value(file, name, "v"), std::string(2000, '1'));
    VnConfigFile chained;
    EXPECT_LT(parseAllocations(chained, "[" + name + "]\n" + chain + "c300 = end\n"), 3000);
    EXPECT_EQ(value(chained, name, "c236") + value(chained, name, "c235"), "end");
    const std::string first =
        "WARNING: " + name.substr(0, 200) + "....c235 references nest deeper than 64... leaving";
    EXPECT_EQ(errors.text().substr(0, first.size()), first);
}

// A stored value costs the work of its own text: the section's name is looked at for the
// section, not again for every value that holds "$" (each such value once copied the name, or
// wrote its marker byte by byte for a name ending in ".").
TEST(VnConfigFileReferences, StoredValuesCostTheirOwnText) {
    for (const std::string end : {"", "."}) {
        const std::string name = std::string(20000, 'n') + end;
        std::string text = "[" + name + "]\nx = 1\n";
        for (int i = 0; i < 5000; ++i)
            text += "k" + std::to_string(i) + " = $x\n";
        VnConfigFile file;
        const VnString held(text.c_str());
        const long before = allocatedBytes;
        file.parse(held);
        EXPECT_LT(allocatedBytes - before, 8L << 20);  // not the 100 MB of 5,000 copies of the name
        EXPECT_EQ(value(file, name, "k4999"), "1");
    }
}

// "$self" grows a value by its section's name as the parse stores it: the grown length is
// charged before the value is made, so a value that would pass the parse's allowance is never
// built.
TEST(VnConfigFileReferences, SelfIsChargedBeforeItGrows) {
    const std::string name(20000, 'n');
    std::string selves;
    for (int i = 0; i < 2000; ++i)  // 40 MB once grown, 160 MB stored: past 128 MiB
        selves += "$self.x";
    const long grown = childPeakGrowthKb([&] {
        VnConfigFile file;
        CapturedErrors errors;
        file.parse(("[" + name + "]\nx = 1\nv = " + selves + "\nw = 2\n").c_str());
        const bool stopped = errors.text() == kTooLarge && value(file, name, "x") == "1" &&
                             !file.config(name.c_str())->exists("v") && value(file, name, "w").empty();
        if (!stopped) std::_Exit(1);
    });
    EXPECT_GE(grown, 0);
    EXPECT_LT(grown, 16 << 10);  // KiB: not the 40 MB value

    // Within the allowance the value is stored grown, and expands.
    VnConfigFile file;
    file.parse(("[" + name + "]\nx = 1\nv = \"${self.x}-$this.x\"\n").c_str());
    EXPECT_EQ(value(file, name, "v"), "1-1");
}

// A reference to a value of its own cycle gives the empty text, in whatever order the values
// stand; every other reference reads as usual, also one into the cycle from outside. Each value
// is expanded once: 25 values that read the next four times each cost a few allocations each,
// not the 4^25 readings of the paths through them.
TEST(VnConfigFileReferences, CyclesReadEmptyAndExpandOnce) {
    for (const int reads : {2, 4}) {
        for (int order = 0; order < 2; ++order) {
            VnConfigFile file;
            CapturedErrors errors;
            EXPECT_LT(parseAllocations(file, cycle(25, reads, order) + "out = \"[${k0}|${s.k24}]\"\n"), 1500);
            EXPECT_EQ(value(file, "s", "k0") + value(file, "s", "k13") + value(file, "s", "k24"),
                      "<0><13><24>");
            EXPECT_EQ(value(file, "s", "out"), "[<0>|<24>]");
            EXPECT_EQ(errors.text(), "");
        }
    }
    // A value of a cycle reads the values outside it; two cycles that one reads are apart.
    VnConfigFile file;
    file.parse(
        "[a]\nx = \"a$b.y$c.z\"\n[b]\ny = \"b$a.x\"\n[c]\nz = \"c$d.w$self.z\"\n[d]\nw = \"d$c.z$e.v\"\n"
        "[e]\nv = e\n");
    EXPECT_EQ(value(file, "a", "x") + "," + value(file, "b", "y"), "ac,b");
    EXPECT_EQ(value(file, "c", "z") + "," + value(file, "d", "w"), "c,de");
}

// Memory that runs out anywhere in a load ends it with 0 and no exception, whatever was
// allocated before; the same file loads whole when nothing fails.
class VnConfigFileReferencesOnDisk : public TempDirTest {};

TEST_F(VnConfigFileReferencesOnDisk, MemoryThatRunsOutEndsTheLoad) {
    spit(at("paths.conf"),
         "[base]\nroot = /show\n[direct] : base\n/a = \"${base.root}/a\"\n/b = $self.root\n"
         "[logical]\nx = \"$direct./a$x\"\n");
    const VnString path(at("paths.conf").c_str());
    for (int kind = 0; kind < 2; ++kind) {
        bool failedOnce = false;
        for (long left = 0; left < 5000 && !(failedOnce && !allocationFailed); ++left) {
            VnConfigFile file;  // made before allocations fail
            VnPathMap map;
            int result = -1;
            allocationFailed = false;
            allocationsLeft = left;
            EXPECT_NO_THROW(result = kind == 0 ? file.load(path) : map.load(path));
            allocationsLeft = -1;
            if (allocationFailed) {
                failedOnce = true;
                EXPECT_EQ(result, 0) << left;
            } else {
                EXPECT_EQ(result, 1) << left;
            }
        }
        EXPECT_TRUE(failedOnce);
        EXPECT_FALSE(allocationFailed);  // the loop ended on a load that did not fail
    }
    VnPathMap map;
    EXPECT_EQ(map.load(path), 1);
    EXPECT_STREQ(map.directmap().get("/a")->value(), "/show/a");
    EXPECT_STREQ(map.directmap().get("/b")->value(), "/show");
    EXPECT_STREQ(map.logicalmap().get("x")->value(), "/show/a");
}

// finish writes the count of the warnings left out once; a second finish writes nothing.
TEST(VnConfigFileReferences, WarningsFinishOnce) {
    VnWarnings warnings;
    CapturedErrors errors;
    for (int i = 0; i < VnWarnings::kMaxWarnings + 3; ++i)
        warnings.warn("w");
    warnings.finish();
    warnings.finish();
    std::string expected;
    for (int i = 0; i < VnWarnings::kMaxWarnings; ++i)
        expected += "w\n";
    EXPECT_EQ(errors.text(), expected + "WARNING: 3 more warnings left out.\n");
    EXPECT_EQ(warnings.leftOut(), 0);
}

// "self" and "this" name the section where the value was written, whatever its name holds, in
// the values stored there, in the copies a child inherits, and in free text. A name that would
// not read back as one name is stored as a marker that reads back as it.
TEST(VnConfigFileReferences, SelfNamesItsSectionWhateverItsName) {
    for (const std::string name : {"a.b", "x$y", "this", "s"}) {
        VnConfigFile file;
        file.parse(("[" + name + "]\nk = 1\n" + name + " = 7\nv = \"< ${self.k} >\"\nw = \"< $self.k >\"\n" +
                    "u = \"< ${self._} >\"\nt = \"< ${this.k} >\"\nx = \"<${self}>\"\n[c] : " + name +
                    "\nk = 2\n")
                       .c_str());
        SCOPED_TRACE(name);
        for (const std::string& section : {name, std::string("c")}) {
            EXPECT_EQ(value(file, section, "v") + value(file, section, "w") + value(file, section, "t"),
                      "< 1 >< 1 >< 1 >");
            EXPECT_EQ(value(file, section, "u") + value(file, section, "x"), "< " + name + " ><7>");
        }
        EXPECT_STREQ(file._value("c", name.c_str(), "${self.k}|${k}|$self._").value(),
                     ("1|2|" + name).c_str());
    }
    EXPECT_STREQ(VnConfigFile::_localvalue("a.b", "$self.k ${this._}").value(),
                 "$\x01"
                 "612e62.k ${\x01"
                 "612e62._}");
    EXPECT_STREQ(VnConfigFile::_localvalue("", "$self").value(), "$\x01");
    // A name that looks like a marker is written as a marker too, so it never reads as another.
    EXPECT_STREQ(VnConfigFile::_localvalue("\x01"
                                           "ab",
                                           "$self")
                     .value(),
                 "$\x01"
                 "016162");
}

// Where "self" stands after "$" but is not read as a reference's section, the value holds the
// section's name as text, whatever the name holds, also in a copy a child inherits; no value
// that a parse stores and expands keeps a marker.
TEST(VnConfigFileReferences, SelfReadAsTextIsTheName) {
    const std::string forms[] = {"$$self.k",   "$x.$self",   "${$self}",   "$$this",
                                 "$x.$this._", "$x.${self}", "${x.$self}", "$x.$self.k"};
    for (const std::string name : {"a.b", "x$y", "q"}) {
        std::string text = "[x]\nk = X\n[" + name + "]\nk = 1\n";
        for (int i = 0; i < 8; ++i)
            text += "v" + std::to_string(i) + " = \"" + forms[i] + "\"\n";
        VnConfigFile file;
        file.parse((text + "[c] : " + name + "\n").c_str());
        const std::string& n = name;
        for (const std::string& section : {name, std::string("c")}) {
            std::string got;
            for (int i = 0; i < 8; ++i)
                got += value(file, section, "v" + std::to_string(i)) + "|";
            EXPECT_EQ(got,
                      n + ".k|" + n + "|" + n + "}|" + n + "|" + n + "._|{" + n + "}|" + n + "}|" + n + ".k|")
                << section;
        }
    }
    // A marker counts only where "self" would: elsewhere, as in a free text without "$", it is
    // plain text.
    VnConfigFile file;
    file.parse("[a.b]\nk = 1\n");
    EXPECT_STREQ(file._value("a.b", "a.b",
                             "\x01"
                             "612e62.k $\x01"
                             "612e62.k")
                     .value(),
                 "\x01"
                 "612e62.k 1");
    // Random values of references and "self" in such sections: none keeps byte 1.
    const char* pieces[] = {"$", "{", "}", ".", "self", "this", "k", "x", " ", "_", "a.b", "x$y"};
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (const char* name : {"a.b", "x$y", "this", "b\\c"}) {
            text += std::string("[{") + name + "}] : a.b\nk = 1\n";
            for (int v = 0; v < 4; ++v) {
                text += "v" + std::to_string(v) + " = \"";
                for (int p = random() % 8; p > 0; --p)
                    text += pieces[random() % 12];
                text += "\"\n";
            }
        }
        VnConfigFile file;
        CapturedErrors errors;
        file.parse(text.c_str());
        VnStringList names;
        file.keys(names);
        for (int i = 0; i < names.length(); ++i) {
            VnStringList keys;
            file.config(*names.get(i))->labels(keys);
            for (int k = 0; k < keys.length(); ++k)
                ASSERT_FALSE(file.config(*names.get(i))->option(*keys.get(k)).haschar('\x01')) << text;
        }
    }
}
