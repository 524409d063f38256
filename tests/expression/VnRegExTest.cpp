#include "expression/VnRegEx.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VnString vn(const std::string& s) {
    return VnString(s.data(), static_cast<int>(s.size()));
}

// The list's strings, each followed by "|".
std::string joined(const VnStringList& list) {
    std::string out;
    for (int i = 0; i < list.length(); ++i)
        out += std::string(list.get(i)->value(), list.get(i)->length()) + "|";
    return out;
}

}  // namespace

TEST(VnRegEx, MatchesAndCaptures) {
    VnRegEx re(VnString("a(b)c"));
    re.caseless(7);
    EXPECT_EQ(re.match(VnString("xABCx")), 1);
    re.caseless(0);
    EXPECT_EQ(re.match(VnString("xABCx")) * 10 + re.match(VnString("xabcx")), 1);
    EXPECT_EQ(re.error().length(), 0);

    VnRegEx groups(VnString("(a)(b)?(c)(d)")), nul(VnString("b(.)c$")), empty{VnString()};
    VnStringList captures;
    captures.push(new VnString("old"));
    EXPECT_EQ(groups.match(VnString("xacd"), captures), 1);  // group 2 takes no part
    EXPECT_EQ(groups.match(VnString("abd"), captures), 0);
    EXPECT_EQ(nul.match(vn(std::string("a\0b\0c", 5)), captures), 1);  // the text goes with its length
    EXPECT_EQ(nul.match(vn(std::string("b\0c\0", 4))), 0);
    EXPECT_EQ(empty.match(VnString()) + empty.match(VnString("abc"), captures), 2);
    EXPECT_EQ(joined(captures), "old|a||c|d|" + std::string(1, '\0') + "|");

    VnRegEx bad(VnString("("));  // fails to compile, afresh on every call
    EXPECT_EQ(bad.match(VnString("(")), 0);
    const std::string message = bad.error().value();
    EXPECT_NE(message.find("parenthesis"), std::string::npos) << message;
    EXPECT_EQ(bad.match(VnString("("), captures), 0);
    EXPECT_EQ(bad.error().value() + std::to_string(captures.length()), message + "6");
}

TEST(VnRegEx, GroupsBeyondRoomGiveAMatchWithoutCaptures) {
    std::string groups;
    for (int i = 0; i < 33; ++i)
        groups += "(a)";
    VnRegEx fits(vn(groups)), many(vn(groups + "(a)"));
    const VnString text = vn(std::string(34, 'a'));
    VnStringList captures;
    EXPECT_EQ(fits.match(text, captures) + fits.match(text) + many.match(text, captures), 3);
    EXPECT_TRUE(captures.length() == 33 && captures.join("") == std::string(33, 'a').c_str());
}

TEST(VnRegEx, AMatchThatGivesUpSaysWhichLimit) {
    VnRegEx backtracking(VnString("(a+)+b|c"));
    VnStringList captures;
    EXPECT_EQ(backtracking.match(vn(std::string(40, 'a') + "c"), captures), 0);
    EXPECT_STREQ(backtracking.error().value(), "match limit exceeded");
    EXPECT_EQ(captures.length(), 0);

    std::string groups;  // every repetition keeps a frame with all the groups
    for (int i = 0; i < 300; ++i)
        groups += "(a)?";
    VnRegEx frames(vn("(?:" + groups + "a)*b|c"));  // no required byte to rule it out early
    EXPECT_EQ(frames.match(vn(std::string(20000, 'a'))), 0);
    EXPECT_STREQ(frames.error().value(), "heap limit exceeded");

    VnRegEx loop(VnString("(((?1)\\326))A"));  // recurses into itself at one position
    loop.caseless(1);
    EXPECT_EQ(loop.match(VnString("za"), captures), 0);
    EXPECT_STREQ(loop.error().value(), "nested recursion at the same subject position");
    EXPECT_EQ(captures.length(), 0);

    EXPECT_EQ(backtracking.match(VnString("aab")), 1);  // the next match starts afresh
    EXPECT_EQ(backtracking.error().length(), 0);
}
