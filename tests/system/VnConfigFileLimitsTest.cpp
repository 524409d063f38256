#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "farm/VnPathMap.h"
#include "system/VnConfigFile.h"
#include "system/VnWarnings.h"
#include "tests/support/CapturedErrors.h"
#include "tests/support/ConfigValue.h"
#include "tests/support/TempDir.h"

#include "tests/support/CountedNew.h"

namespace {

std::string deeper(const std::string& label) {
    return "WARNING: " + label + " references nest deeper than 64... leaving the rest empty.\n";
}

// The ways a chain's links are written: a section each, or keys of one section read as $s.k,
// $k or ${s.k}.
enum class Form { Sections, Dotted, Plain, Braced };

// Link i of a chain of n references: it reads link i + 1; link n holds "end".
std::string link(Form form, int i, int n) {
    const std::string next = std::to_string(i + 1);
    if (form == Form::Sections)
        return "[c" + std::to_string(i) + "]\nv = " + (i == n ? "end" : "$c" + next + ".v") + "\n";
    std::string text = "k" + std::to_string(i) + " = ";
    if (i == n) return text + "end\n";
    if (form == Form::Dotted) return text + "$s.k" + next + "\n";
    if (form == Form::Plain) return text + "$k" + next + "\n";
    return text + "\"${s.k" + next + "}\"\n";
}

// The chain's links written in the order given: 0 forward, 1 backward, 2 shuffled.
std::string chain(Form form, int n, int order) {
    std::string text = form == Form::Sections ? "" : "[s]\n";
    for (int j = 0; j <= n; ++j) {
        const int i = order == 0 ? j : order == 1 ? n - j : j * 7 % (n + 1);
        text += link(form, i, n);
    }
    return text;
}

}  // namespace

// A chain of n references expands whole when n is at most 64 and is cut, with one warning, at
// 65, however its links are written and in whatever order they stand.
TEST(VnConfigFileLimits, ChainDepthIsTheChainsOwn) {
    for (const Form form : {Form::Sections, Form::Dotted, Form::Plain, Form::Braced}) {
        const bool sections = form == Form::Sections;
        const std::string where = sections ? "c" : "s", key = sections ? "v" : "k";
        for (int order = 0; order < 3; ++order) {
            for (const int n : {64, 65}) {
                VnConfigFile file;
                CapturedErrors errors;
                file.parse(chain(form, n, order).c_str());
                const auto at = [&](int i) {
                    return sections ? value(file, "c" + std::to_string(i), "v")
                                    : value(file, "s", "k" + std::to_string(i));
                };
                const std::string first = sections ? "c0.v" : "s.k0";
                SCOPED_TRACE(first + " order " + std::to_string(order) + " n " + std::to_string(n));
                EXPECT_EQ(at(0), n == 64 ? "end" : "");
                EXPECT_EQ(at(1), "end");
                EXPECT_EQ(errors.text(), n == 64 ? "" : deeper(first));
            }
        }
    }
}

// Each value is expanded once: a ladder of (empty) values that each read the next twice costs
// work in proportion to its length, not to the 2^40 paths through it.
TEST(VnConfigFileLimits, EachValueExpandsOnce) {
    std::string ladder = "[t40]\nv = \"\"\n";
    for (int i = 39; i >= 0; --i) {
        const std::string next = "$t" + std::to_string(i + 1) + ".v";
        ladder +=
            "[t" + std::to_string(i) + "]\nv = \"" + next + next + "\"\nw = " + std::to_string(i) + "\n";
    }
    const VnString text(ladder.c_str());
    VnConfigFile file;
    CapturedErrors errors;
    const long before = allocations;
    file.parse(text);
    EXPECT_LT(allocations - before, 4000);  // about 40 a value; billions when values are read again
    EXPECT_EQ(errors.text(), "");
    EXPECT_EQ(value(file, "t0", "v") + value(file, "t0", "w"), "0");
}

// One parse writes at most 100 warnings and then one line that counts the others; each quoted
// text is cut to 200 bytes and "...".
TEST(VnConfigFileLimits, WarningsAreBounded) {
    const std::string name(1000000, 'h');
    std::string parents;
    for (int i = 0; i < 8000; ++i)
        parents += " p" + std::to_string(i);
    VnConfigFile file;
    {
        CapturedErrors errors;
        file.parse(("[" + name + "] :" + parents + "\nk = 1\n").c_str());
        std::string expected;
        for (int i = 0; i < 100; ++i)
            expected += "WARNING: " + name.substr(0, 200) + "... missing parent p" + std::to_string(i) +
                        "... skipping.\n";
        EXPECT_EQ(errors.text(), expected + "WARNING: 7900 more warnings left out.\n");
        EXPECT_LT(errors.text().size(), 64u << 10);
    }
    EXPECT_EQ(value(file, name, "k"), "1");

    // At 200 bytes a text is quoted whole; past that, cut. The same holds for the section and
    // key a cut value names.
    const std::string h200(200, 'a'), h201(201, 'b'), p300(300, 'p'), k201(201, 'k');
    std::string text = "[" + h200 + "] : " + p300 + "\n[" + h201 + "] : x\n[" + h201 + "]\n";
    for (int i = 0; i < 65; ++i)
        text += (i ? "k" + std::to_string(i) : k201) + " = $k" + std::to_string(i + 1) + "\n";
    CapturedErrors errors;
    file.parse((text + "k65 = end\n").c_str());
    EXPECT_EQ(errors.text(), "WARNING: " + h200 + " missing parent " + p300.substr(0, 200) +
                                 "...... skipping.\n" + "WARNING: " + h201.substr(0, 200) +
                                 "... missing parent x... skipping.\n" +
                                 deeper(h201.substr(0, 200) + "...." + k201.substr(0, 200) + "..."));
    EXPECT_EQ(VnWarnings::quote(VnString(h201.c_str())), h201.substr(0, 200) + "...");
}

// The bound counts the warnings of the parse and of its expansions together: 100 are written
// whole, the 101st is counted.
TEST(VnConfigFileLimits, ParseAndExpansionShareTheBound) {
    const auto warnings = [](int parents) {
        std::string text = "[s] :";
        for (int i = 0; i < parents; ++i)
            text += " p" + std::to_string(i);
        text += "\n";
        for (int i = 0; i < 105; ++i)  // k0 to k40 are more than 64 deep
            text += "k" + std::to_string(i) + " = $k" + std::to_string(i + 1) + "\n";
        VnConfigFile file;
        CapturedErrors errors;
        file.parse((text + "k105 = end\n").c_str());
        return errors.text();
    };
    const std::string hundred = warnings(59), more = warnings(60);
    // The warning that stops a parse is written after any number of others.
    VnConfigFile big;
    std::string text = "[p]\nv = " + std::string(4000, 'v') + "\n[a[1-1000]] :";
    for (int i = 0; i < 200; ++i)
        text += " m" + std::to_string(i);
    for (int i = 0; i < 12; ++i)
        text += " p";
    CapturedErrors errors;
    big.parse((text + "\n").c_str());
    EXPECT_EQ(errors.lines(), 102);
    EXPECT_NE(errors.text().find("WARNING: configuration text too large... skipping the rest.\n"),
              std::string::npos);
    EXPECT_EQ(std::count(hundred.begin(), hundred.end(), '\n'), 100);
    EXPECT_EQ(hundred.find("left out"), std::string::npos);
    EXPECT_EQ(std::count(more.begin(), more.end(), '\n'), 101);
    EXPECT_EQ(more.substr(more.size() - 35), "WARNING: 1 more warnings left out.\n");
}

const std::string kTooLarge = "WARNING: configuration text too large... skipping the rest.\n";

class VnConfigFileLimitsOnDisk : public TempDirTest {
protected:
    // Loads text from a file: the answer, and what was written to stderr in errors.
    int loadText(const std::string& text, VnConfigFile& file, std::string& errors) {
        spit(at("x.conf"), text);
        CapturedErrors captured;
        const int answer = file.load(at("x.conf").c_str());
        errors = captured.text();
        return answer;
    }
};

// A path map load is one reading: its warnings are bounded as a parse's are.
TEST_F(VnConfigFileLimitsOnDisk, PathMapWarningsAreBounded) {
    std::string text = "[direct]\n/a = /b\n[" + std::string(5000, 'x') + "] :";
    for (int i = 0; i < 3000; ++i)
        text += " p" + std::to_string(i);
    spit(at("paths.conf"), text + "\n");
    VnPathMap map;
    CapturedErrors errors;
    EXPECT_EQ(map.load(at("paths.conf").c_str()), 1);
    EXPECT_EQ(errors.lines(), 101);
    EXPECT_LT(errors.text().size(), 32u << 10);
    EXPECT_EQ(errors.text().substr(errors.text().size() - 38), "WARNING: 2900 more warnings left out.\n");
    EXPECT_STREQ(map.directmap().get("/a")->value(), "/b");
}

// A store that uses the parse's allowance to exactly 0 succeeds; the next one passes it and
// stops the parse with the warning. Each "v" line below replaces a value that "$self" grows to
// 1 MiB (charged in full, though it adds nothing), so that a small text spends most of the
// 128 MiB; the last value, w, is then as long as the rest of the allowance holds. Every cost is
// a multiple of 4 and each byte more of w costs 4, so the longest w that is stored leaves
// exactly 0.
TEST(VnConfigFileLimits, TheAllowanceHoldsToItsLastByte) {
    const std::string name(65536, 'n');
    std::string text = "[" + name + "]\n";
    for (int i = 0; i < 31; ++i)
        text += "v = $self$self$self$self$self$self$self$self$self$self$self$self$self$self$self$self\n";
    const auto parse = [&](int length, const std::string& after, VnConfigFile& file) {
        CapturedErrors errors;
        file.parse((text + "w = " + std::string(length, 'w') + "\n" + after).c_str());
        return errors.text();
    };
    int fits = 0, passes = 8 << 20;  // w of fits bytes is stored, of passes bytes is not
    while (passes - fits > 1) {
        const int length = (fits + passes) / 2;
        VnConfigFile file;
        (parse(length, "", file).empty() ? fits : passes) = length;
    }
    VnConfigFile whole, over;
    EXPECT_EQ(parse(fits, "z = 1\n", whole), "WARNING: configuration text too large... skipping the rest.\n");
    EXPECT_EQ(value(whole, name, "w").size(), static_cast<std::size_t>(fits));
    EXPECT_EQ(value(whole, name, "z"), "");
    EXPECT_EQ(parse(passes, "", over), "WARNING: configuration text too large... skipping the rest.\n");
    EXPECT_FALSE(over.config(name.c_str())->exists("w"));
    EXPECT_GT(fits, 100000);  // the v lines left room for it, and took most of the allowance
    EXPECT_LT(fits, 4 << 20);
}

// A header read late in the allowance gives the statements under it to every section it names,
// or stops the load with the warning: never to a few of them while the load answers 1. The late
// header names ten sections a thousand times each, so that the allowance runs short of its list
// of names (a name costs more there than naming a section again does) before its sections; the
// filler values, grown by "$self" in a section of a 64 KiB name, take the allowance to there.
TEST_F(VnConfigFileLimitsOnDisk, HeadersLateInTheAllowanceLeaveNoSectionOut) {
    const std::string name(65536, 'n');
    std::string late = "[s[";
    for (int i = 1; i <= 10; ++i)
        for (int j = 0; j < 1000; ++j)
            late += std::to_string(i) + ",";
    late.back() = ']';
    late += "]\nk = v\n";
    const auto load = [&](int length, VnConfigFile& file, std::string& errors) {
        std::string filler = "w = " + std::string(length % (1 << 20), 'x') + "\n";
        for (int i = 0; i < length >> 20; ++i)  // each stored at 1 MiB, replacing the one before
            filler +=
                "v = $self$self$self$self$self$self$self$self$self$self$self$self$self$self$self$self\n";
        return loadText("[" + name + "]\n" + filler + late, file, errors);
    };
    int whole = 0, stopped = 32 << 20;  // what the filler values store, in bytes of text
    std::string errors;
    while (stopped - whole > 4096) {
        const int length = whole + (stopped - whole) / 2;
        VnConfigFile file;
        (load(length, file, errors) == 1 ? whole : stopped) = length;
    }
    VnConfigFile file, over;
    ASSERT_EQ(load(whole, file, errors), 1);
    EXPECT_EQ(errors, "");
    std::string given;
    for (int i = 1; i <= 10; ++i)
        given += value(file, "s" + std::to_string(i), "k");
    EXPECT_EQ(given, std::string(10, 'v'));
    EXPECT_EQ(load(stopped, over, errors), 0);
    EXPECT_EQ(errors, kTooLarge);
}

// A reference within a cycle counts as one to a value without references: a chain of 63
// references above a value that reads only itself expands whole, one of 64 is cut.
TEST(VnConfigFileLimits, ACycleCountsOneDeep) {
    for (const int n : {63, 64}) {
        std::string text = "[cycle]\nx = \"c$self.x\"\n";
        for (int i = 0; i < n; ++i)
            text += "[c" + std::to_string(i) +
                    "]\nv = " + (i + 1 < n ? "$c" + std::to_string(i + 1) + ".v" : "$cycle.x") + "\n";
        VnConfigFile file;
        CapturedErrors errors;
        file.parse(text.c_str());
        EXPECT_EQ(value(file, "c0", "v") + value(file, "c1", "v"), n == 63 ? "cc" : "c");
        EXPECT_EQ(errors.text(), n == 63 ? "" : deeper("c0.v"));
    }
}

// The walk that orders the values reads each value's text once: a value that reads 3,000
// values, each holding a reference, costs a few allocations per reference, not one per
// reference for each value walked to before it.
TEST(VnConfigFileLimits, TheWalkReadsEachTextOnce) {
    const std::string key(100, 'k');  // too long to be kept inside a string, so a lookup allocates
    std::string text = "[s]\nend = 1\nall = \"";
    for (int i = 0; i < 3000; ++i)
        text += "${" + key + std::to_string(i) + "}";
    text += "\"\n";
    for (int i = 0; i < 3000; ++i)
        text += key + std::to_string(i) + " = $end\n";
    VnConfigFile file;
    const VnString held(text.c_str());
    const long before = allocations;
    file.parse(held);
    EXPECT_LT(allocations - before, 60000);  // 4.5 million when the text is read again each time
    EXPECT_EQ(value(file, "s", "all"), std::string(3000, '1'));
}

// What a reference costs in its value's allowance is 64 bytes and its own text after "$":
// "$self" read as a key costs the section's name as well, "${" and a long key the key and the
// brace. A text whose references and
// text fit its allowance by that rule expands whole; one reference more is cut, with the
// warning.
TEST(VnConfigFileLimits, AReferenceCosts64AndItsText) {
    const std::string name(20000, 'n'), key(3000, 'k');
    VnConfigFile file;
    file.parse(("[" + name + "]\nx = 1\n").c_str());
    const auto text = [&](int selves, int keys) {
        std::string out;
        for (int i = 0; i < selves; ++i)
            out += "$self";
        for (int i = 0; i < keys; ++i)
            out += "${" + key + "}";
        return out + " !";
    };
    const auto fits = [&](std::int64_t selves, std::int64_t keys) {
        const std::int64_t length = 5 * selves + (3 + key.size()) * keys + 2;
        const std::int64_t cost = (64 + 4 + name.size()) * selves + (64 + 1 + key.size()) * keys + 2;
        return cost <= VnConfigFile::expansionAllowance(length);
    };
    for (const int keys : {0, 200}) {
        int selves = 0;
        while (fits(selves + 1, keys))
            ++selves;
        for (const int n : {selves, selves + 1}) {
            CapturedErrors errors;
            const std::string out = file._value(name.c_str(), name.c_str(), text(n, keys).c_str()).value();
            SCOPED_TRACE(std::to_string(keys) + " keys, " + std::to_string(n) + " selves");
            EXPECT_EQ(out, n == selves ? " !" : "");
            EXPECT_EQ(errors.text(),
                      n == selves ? "" : "WARNING: references expand too far... leaving the rest empty.\n");
        }
    }
}

// The cap of 100,000 counts a header's sections, a name repeated counting once. A header that
// names more makes the first 100,000 and stops the load with the warning; the statements under
// it are not read.
TEST_F(VnConfigFileLimitsOnDisk, TheHeaderCapCountsSections) {
    std::string errors;
    VnConfigFile repeated, twice;
    EXPECT_EQ(loadText("[s[1-50000,1-50000],s50001]\nk = v\n", repeated, errors), 1);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(value(repeated, "s1", "k") + value(repeated, "s50000", "k") + value(repeated, "s50001", "k"),
              "vvv");
    // Each section is current once: the value is stored twice, not 100,001 times (800 MB).
    std::string ones;
    for (int i = 0; i < 100000; ++i)
        ones += "s1,";
    const std::string longValue(2000, 'v');
    EXPECT_EQ(loadText("[" + ones + "s2]\nk = " + longValue + "\n", twice, errors), 1);
    EXPECT_EQ(errors, "");
    EXPECT_TRUE(value(twice, "s1", "k") == longValue && value(twice, "s2", "k") == longValue);

    VnConfigFile over;
    EXPECT_EQ(loadText("[s[1-100001]]\nk = v\n", over, errors), 0);
    EXPECT_EQ(errors, kTooLarge);
    EXPECT_EQ(value(over, "s1", "k") + value(over, "s100000", "k") + value(over, "s100001", "k"), "none");
}

// A header whose list of names passes what is left of the allowance stops the load with the
// warning, once, also where no statement follows it: the header after it makes nothing. The
// "v" lines take the allowance to a few MiB ("$self" grows each to 1 MiB); the header's one
// name would take more than that in the list.
TEST_F(VnConfigFileLimitsOnDisk, AHeaderCutByItsListStopsTheLoad) {
    std::string text = "[" + std::string(65536, 'n') + "]\n";
    for (int i = 0; i < 31; ++i)
        text += "v = $self$self$self$self$self$self$self$self$self$self$self$self$self$self$self$self\n";
    VnConfigFile file;
    std::string errors;
    EXPECT_EQ(loadText(text + "[" + std::string(4 << 20, 'c') + "]\n[t]\nk = 1\n", file, errors), 0);
    EXPECT_EQ(errors, kTooLarge);
    EXPECT_EQ(file.config("t"), nullptr);
}

// The list of a header's names may take all that is left of the allowance: 2,400 names of 4 KB
// take about 39 MB of the 128 MiB in the list (between a quarter and a third of it), their
// sections about 119 MB.
TEST_F(VnConfigFileLimitsOnDisk, AHeadersListMayTakeAllThatIsLeft) {
    const std::string prefix(4000, 'p');
    VnConfigFile file;
    std::string errors;
    EXPECT_EQ(loadText("[" + prefix + "[1-2400]]\nk = v\n", file, errors), 1);
    EXPECT_EQ(errors, "");
    int given = 0;
    for (int i = 1; i <= 2400; ++i)
        given += value(file, prefix + std::to_string(i), "k") == "v";
    EXPECT_EQ(given, 2400);
}
