#include "job/VnStatusTally.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "job/VnStatus.h"
#include "tests/job/FormChecks.h"

namespace {

std::string reverted(const std::string& text) {
    VnStatusTally t;
    t.add(VnStatus::FAILED, 9);  // nothing of the old values survives
    t.revert(VnString(text.c_str()));
    return str(t.convert());
}

}  // namespace

TEST(VnStatusTally, CountsSumsAndText) {
    VnStatusTally t;
    EXPECT_EQ(str(t.convert()), "0 0 0 0 0 0 0 0 0 0 0");
    const int codes[] = {336, 272, 16, 320, 304, 32, 48, 323, 999, 21, 325};  // in the text's order
    for (int i = 0; i < 11; ++i)
        t.add(codes[i], i + 1);
    t.add(VnStatus::PAUSED, 100);  // paused, saved and none count as unknown
    t.add(VnStatus::SAVED, -100);
    t.add(VnStatus::NONE, 1);
    EXPECT_EQ(str(t.convert()), "1 2 3 4 5 6 7 8 10 10 11");
    std::string sums;  // the unknown counter through a code without its own, then the sums
    for (int n : {t.get(VnStatus::SAVED), t.done(), t.active(), t.assigned(), t.total()})
        sums += std::to_string(n) + " ";
    EXPECT_EQ(sums, "10 26 20 14 67 ");

    t.add(t);  // doubles every counter
    VnStatusTally copy(t);
    copy.add(VnStatus::RUNNING, INT_MAX);  // wraps instead of overflowing
    EXPECT_EQ(copy.running(), INT_MIN + 1);
    EXPECT_EQ(copy.total(), INT_MIN + 133);
    const VnStatusTally& same = t;
    t = same;
    t.copy(same);
    EXPECT_EQ(str(t.convert()), "2 4 6 8 10 12 14 16 20 20 22");
    t.clear();
    EXPECT_EQ(t.total(), 0);
}

TEST(VnStatusTally, RevertReadsDigitRunsOnly) {
    EXPECT_EQ(reverted("1 2 3"), "1 2 3 0 0 0 0 0 0 0 0");
    EXPECT_EQ(reverted("4 -1 7"), "4 0 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(reverted("1\t2"), "1 0 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(reverted("1  2   3 4 5 6 7 8 9 10 11 12 13"), "1 2 3 4 5 6 7 8 9 10 11");
    EXPECT_EQ(reverted("4294967297 2147483648"), "1 -2147483648 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(reverted(std::string(4 << 20, '9')), "-1 0 0 0 0 0 0 0 0 0 0");  // a few megabytes
}

TEST(VnStatusTally, PackedFormsInTextOrder) {
    const char* names[] = {"running", "blocked", "complete", "pending", "suspended", "failed",
                           "killed",  "waiting", "unknown",  "warning", "badlogin"};
    VnStatusTally t;
    t.revert("0 1 2 3 4 5 6 7 8 9 10");
    t.add(VnStatus::RUNNING, -5);
    std::vector<Line> lines;
    for (int i = 0; i < 11; ++i)
        lines.push_back(intLine(i, names[i], i ? i : -5));
    expectForms(t, "status_tally", lines);
}
