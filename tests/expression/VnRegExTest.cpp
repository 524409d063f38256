#include "expression/VnRegEx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

VnString vn(const std::string& s) { return VnString(s.data(), static_cast<int>(s.size())); }

Strings strings(const VnStringList& list)
{
    Strings out;
    for (int i = 0; i < list.length(); ++i)
        out.emplace_back(list.get(i)->value(), list.get(i)->length());
    return out;
}

TEST(VnRegEx, CaselessTakesEffectAtTheNextMatch)
{
    VnRegEx re(VnString("a(b)c"));
    EXPECT_EQ(re.match(VnString("xabcx")), 1);
    EXPECT_EQ(re.match(VnString("ABC")), 0);
    re.caseless(7);
    EXPECT_EQ(re.match(VnString("ABC")), 1);
    re.caseless(0);
    EXPECT_EQ(re.match(VnString("ABC")), 0);
    EXPECT_EQ(re.error().length(), 0);

    VnRegEx empty{VnString()};
    VnStringList captures;
    EXPECT_EQ(empty.match(VnString()), 1);
    EXPECT_EQ(empty.match(VnString("abc"), captures), 1);
    EXPECT_EQ(captures.length(), 0);
}

TEST(VnRegEx, CapturesAreAppendedInGroupOrder)
{
    VnRegEx re(VnString("(a)(b)?(c)(d)"));
    VnStringList captures;
    captures.push(new VnString("old"));
    EXPECT_EQ(re.match(VnString("xacd"), captures), 1);
    EXPECT_EQ(strings(captures), (Strings{"old", "a", "", "c", "d"}));
    EXPECT_EQ(re.match(VnString("abd"), captures), 0);
    EXPECT_EQ(re.match(VnString(), captures), 0);
    EXPECT_EQ(captures.length(), 5);

    // The text goes with its length: NUL bytes are matched like any other.
    VnRegEx nul(VnString("b(.)c$"));
    captures.clear();
    EXPECT_EQ(nul.match(vn(std::string("a\0b\0c", 5)), captures), 1);
    EXPECT_EQ(strings(captures), (Strings{std::string(1, '\0')}));
    EXPECT_EQ(nul.match(vn(std::string("b\0c\0", 4))), 0);
}

TEST(VnRegEx, BadPatternSetsTheErrorOnEveryCall)
{
    VnRegEx re(VnString("("));
    VnStringList captures;
    EXPECT_EQ(re.match(VnString("(")), 0);
    const std::string message = re.error().value();
    EXPECT_NE(message.find("parenthesis"), std::string::npos) << message;
    EXPECT_EQ(re.match(VnString("("), captures), 0);
    EXPECT_EQ(message, re.error().value());
    EXPECT_EQ(captures.length(), 0);
}

TEST(VnRegEx, GroupsBeyondRoomGiveAMatchWithoutCaptures)
{
    std::string groups, text(34, 'a');
    for (int i = 0; i < 33; ++i)
        groups += "(a)";
    VnRegEx fits(vn(groups));
    VnRegEx many(vn(groups + "(a)"));
    VnStringList captures;
    EXPECT_EQ(fits.match(vn(text), captures), 1);
    EXPECT_EQ(strings(captures), Strings(33, "a"));
    EXPECT_EQ(fits.match(vn(text)), 1);
    captures.clear();
    EXPECT_EQ(many.match(vn(text), captures), 1);
    EXPECT_EQ(captures.length(), 0);
}

}  // namespace
