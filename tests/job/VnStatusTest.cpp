#include "job/VnStatus.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/job/FormChecks.h"

namespace {

// The predicates that hold, as letters in the order of the declarations:
// a(ctive) d(one) n(one) s(aved) c(omplete) w(arning) f(ailed) k(illed) b(locked) p(aused)
// S(uspended) P(ending) W(aiting) B(adlogin) R(unning) A(ssigned).
std::string holding(const VnStatus& s) {
    const int tests[] = {s.active(),  s.done(),     s.none(),    s.saved(),   s.complete(),  s.warning(),
                         s.failed(),  s.killed(),   s.blocked(), s.paused(),  s.suspended(), s.pending(),
                         s.waiting(), s.badlogin(), s.running(), s.assigned()};
    const char* letters = "adnscwfkbpSPWBRA";
    std::string out;
    for (int i = 0; i < 16; ++i)
        if (tests[i]) out += letters[i];
    return out;
}

}  // namespace

TEST(VnStatus, WordsCodesAndPredicates) {
    const struct {
        const char* word;
        int code;
        const char* holds;
    } table[] = {
        {"none", 0, "dn"},         {"saved", 5, "ds"},     {"complete", 16, "dc"},  {"warning", 21, "dw"},
        {"failed", 32, "df"},      {"killed", 48, "dk"},   {"blocked", 272, "ab"},  {"paused", 293, "ap"},
        {"suspended", 304, "aSA"}, {"pending", 320, "aP"}, {"waiting", 323, "aWA"}, {"badlogin", 325, "aB"},
        {"running", 336, "aRA"},
    };
    for (const auto& row : table) {
        const VnStatus byCode(row.code), byWord(VnString(row.word));
        EXPECT_EQ(str(byCode.value()), row.word);
        EXPECT_EQ(byWord.integervalue(), row.code) << row.word;
        EXPECT_EQ(holding(byCode), row.holds) << row.word;
    }
    for (const char* word : {"Running", "RUNNING", "", "run", "running "})
        EXPECT_EQ(VnStatus(VnString(word)).integervalue(), 0) << word;

    // Unknown codes keep their number, read "none" and are active by bit 256 alone.
    const VnStatus unknown(999);
    EXPECT_EQ(str(unknown.value()) + " " + std::to_string(unknown.integervalue()) + " " + holding(unknown),
              "none 999 a");
    EXPECT_EQ(holding(VnStatus(256)) + holding(VnStatus(-1)), "aa");
}

TEST(VnStatus, AssignmentStreamsAndPackedForms) {
    VnStatus s;
    s = 5;  // the code, not the word of the number
    EXPECT_EQ(s.integervalue(), 5);
    s = VnString("killed");
    EXPECT_EQ(s.integervalue(), 48);
    s.copy(VnString("waiting"));
    VnStatus other(s);
    const VnStatus& same = s;
    s = same;
    s.copy(same);
    EXPECT_EQ(s.integervalue() + other.integervalue(), 646);

    std::ostringstream out;
    out << VnStatus(336) << "|" << VnStatus(7);
    EXPECT_EQ(out.str(), "running|none");
    testing::internal::CaptureStdout();
    vn_debug_obj() << VnStatus(16);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "complete");

    VnStatus odd(-77);
    expectForms(odd, "status", {intLine(1, "value", -77)});
    ASSERT_EQ(unpackInto(odd, kVersion + strField(1, "x")), 0);  // a string under tag 1 is no code
    EXPECT_EQ(odd.integervalue(), -77);
}
