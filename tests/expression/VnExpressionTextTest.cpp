#include "expression/VnExpression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;
using ListSplitter = void (*)(const VnString&, VnStringList&);

std::string str(const VnString& s) { return std::string(s.value(), s.length()); }

Strings strings(const VnStringList& list)
{
    Strings out;
    for (int i = 0; i < list.length(); ++i)
        out.push_back(str(*list.get(i)));
    return out;
}

Strings run(ListSplitter f, const std::string& text)
{
    VnStringList list;
    f(VnString(text.data(), static_cast<int>(text.size())), list);
    return strings(list);
}

struct ListCase {
    const char* name;
    ListSplitter f;
    std::string text;
    Strings expected;
};

const ListSplitter kSplit = VnExpression::split;
const ListSplitter kComma = VnExpression::splitcomma;
const ListSplitter kTab = VnExpression::splittab;
const ListSplitter kSlash = VnExpression::splitslash;
const ListSplitter kSpace = VnExpression::splitspace;
const ListSplitter kTok = VnExpression::tokenize;
const ListSplitter kRange = VnExpression::rangetokenize;
const ListSplitter kCall = VnExpression::callbacktokenize;
const ListSplitter kValue = VnExpression::valuetokenize;

const ListCase kListCases[] = {
    {"split", kSplit, "a, b ,c", {"a", "b", "c"}},
    {"split", kSplit, "a,,b", {"a", "", "b"}},
    {"split", kSplit, ",a", {"", "a"}},
    {"split", kSplit, "a,", {"a"}},
    {"split", kSplit, "a, ", {"a", ""}},
    {"split", kSplit, " \t\r\n", {""}},
    {"split", kSplit, "x='1,2', y", {"x='1,2'", "y"}},
    {"split", kSplit, "{a,{b,c}},d", {"{a,{b,c}}", "d"}},
    {"split", kSplit, "{a,b", {"{a,b}"}},
    {"split", kSplit, "{a'b,c},d}e,f", {"{a'b,c}", "d}e", "f"}},
    {"split", kSplit, "a,'b,c", {"a", "'b,c'"}},
    {"split", kSplit, "'it\\'s',x", {"'it\\'s'", "x"}},
    {"split", kSplit, "\"a\\\\\",b", {"\"a\\\\\"", "b"}},
    {"split", kSplit, "'ab\\", {"'ab\\'"}},
    {"split", kSplit, " p{x,y}q 'r,s'\"t,u\" , z", {"p{x,y}q 'r,s'\"t,u\"", "z"}},
    {"split", kSplit, "a\0b,c"s, {"a\0b"s, "c"}},
    {"splitcomma", kComma, "node[1-5, 7] , b c,,d,", {"node[1-5, 7]", "bc", "", "d"}},
    {"splitcomma", kComma, "a[1-2][3,4],b", {"a[1-2][3,4]", "b"}},
    {"splitcomma", kComma, "[\0],a[1, 2"s, {"[\0]"s, "a[1, 2"}},
    {"splitcomma", kComma, ",a, ", {"", "a"}},
    {"splittab", kTab, " a \t\tb\t", {" a ", "", "b"}},
    {"splitslash", kSlash, "/usr//bin/", {"", "usr", "", "bin"}},
    {"splitspace", kSpace, " a\vb  c\t\n", {"a\vb", "c"}},
    {"tokenize", kTok, "a>=10&&!(b=='x y')", {"a", ">=", "10", "&&", "!", "(", "b", "==", "x y", ")"}},
    {"tokenize", kTok, "a!=b||c<>d=>e", {"a", "!=", "b", "||", "c", "<>", "d", "=>", "e"}},
    {"tokenize", kTok, "a<<<b", {"a", "<<", "<", "b"}},
    {"tokenize", kTok, "<=<<==>>=<>< =!&|&&", {"<=", "<<", "==", ">>", "=<", "><", "=", "!", "&", "|", "&&"}},
    {"tokenize", kTok, "x?y:z*w/v+u", {"x", "?", "y", ":", "z", "*", "w", "/", "v", "+", "u"}},
    {"tokenize", kTok, "a%b c % d", {"a%b", "c", "%", "d"}},
    {"tokenize", kTok, "f(x,y)", {"f", "(", "x,y", ")"}},
    {"tokenize", kTok, "a =~ b", {"a", "=", "~", "b"}},
    {"tokenize", kTok, "-1 1e-5 1.5", {"-", "1", "1e", "-", "5", "1.5"}},
    {"tokenize", kTok, "''", {""}},
    {"tokenize", kTok, "'it\\'s'", {"it's"}},
    {"tokenize", kTok, "\"a\\\\b\\", {"a\\b\\"}},
    {"tokenize", kTok, "ab'cd'ef'gh", {"ab", "cd", "ef", "gh"}},
    {"tokenize", kTok, "\xe9t\0+1"s, {"\xe9t\0"s, "+", "1"}},
    {"rangetokenize", kRange, "node[1-5]b", {"node", "[", "1-5", "]", "b"}},
    {"rangetokenize", kRange, " [ 01-10x2 ] 'a b'", {"[", "01-10x2", "]", "'a", "b'"}},
    {"callbacktokenize", kCall, "(fail-subjob-self or timeout-subjob-self-*)",
     {"(", "fail-subjob-self", "or", "timeout-subjob-self-*", ")"}},
    {"callbacktokenize", kCall, "a&b|c,'x y'", {"a&b|c,", "x y"}},
    {"valuetokenize", kValue, "{a {b} c}, 'x,y' z", {"a {b} c", ",", "x,y", "z"}},
    {"valuetokenize", kValue, "{}'{a}'a{b c,d , e {f", {"", "{a}", "a{b", "c,d", ",", "e", "f"}},
    {"valuetokenize", kValue, "(1 + 2) * f(x)", {"(", "1", "+", "2", ")", "*", "f", "(", "x", ")"}},
};

TEST(VnExpressionText, ListSplittersAndTokenizers)
{
    for (const ListCase& c : kListCases)
        EXPECT_EQ(run(c.f, c.text), c.expected) << c.name << " of \"" << c.text << "\"";
}

TEST(VnExpressionText, EmptyTextGivesNothingAndListsAreAppendedTo)
{
    for (ListSplitter f : {kSplit, kComma, kTab, kSlash, kSpace, kTok, kRange, kCall, kValue}) {
        VnStringList list;
        f(VnString(), list);
        f(VnString(""), list);
        EXPECT_EQ(list.length(), 0);
        list.push(new VnString("old"));
        f(VnString("x"), list);
        EXPECT_EQ(strings(list), (Strings{"old", "x"}));
    }
    for (ListSplitter f : {kComma, kSpace, kTok, kRange, kCall, kValue})
        EXPECT_EQ(run(f, " \t\r\n"), Strings{});
}

TEST(VnExpressionText, SplitIntoHash)
{
    VnStringHash set;
    VnExpression::split(VnString("a,b,a"), set);
    ASSERT_EQ(set.length(), 2);
    EXPECT_EQ(str(*set.get("a")), "a");
    EXPECT_EQ(str(*set.get("b")), "b");
    VnExpression::split(VnString(" ,c"), set);
    EXPECT_EQ(set.length(), 4);
    EXPECT_EQ(str(*set.get("")), "");
    VnExpression::split(VnString(), set);
    EXPECT_EQ(set.length(), 4);
}

// splitperiod in the shape of the pair splitters, answering 0.
int period(const VnString& text, VnString& left, VnString& right)
{
    VnExpression::splitperiod(text, left, right);
    return 0;
}

// A pair splitter's result and pieces as "result|name|value".
std::string pair(int (*f)(const VnString&, VnString&, VnString&), const char* text)
{
    VnString name, value;
    const int r = f(VnString(text), name, value);
    return std::to_string(r) + "|" + str(name) + "|" + str(value);
}

TEST(VnExpressionText, NameAndValue)
{
    const auto eq = VnExpression::splitequal;
    const auto becomes = VnExpression::splitbecomes;
    EXPECT_EQ(pair(eq, " a b = c d "), "1|ab|c d ");
    EXPECT_EQ(pair(eq, "abc"), "0|abc|");
    EXPECT_EQ(pair(eq, "k==v"), "1|k|=v");
    EXPECT_EQ(pair(eq, ""), "0||");
    EXPECT_EQ(pair(becomes, "x : 5"), "1|x|5");
    EXPECT_EQ(pair(becomes, "x=5"), "0|x|");
    EXPECT_EQ(pair(becomes, "x:"), "1|x|");
    EXPECT_EQ(pair(becomes, ":"), "1||");
    EXPECT_EQ(pair(becomes, "x"), "0||");
    EXPECT_EQ(pair(becomes, "ab="), "0|ab|");
    EXPECT_EQ(pair(becomes, "a b:c=d:e"), "1|ab|c=d:e");
    EXPECT_EQ(pair(becomes, ""), "0||");
    EXPECT_EQ(pair(period, "host.os.name"), "0|host|os.name");
    EXPECT_EQ(pair(period, "abc"), "0|abc|");
    EXPECT_EQ(pair(period, ".a"), "0||a");

    // Pieces are appended to what the strings hold; a piece of nothing leaves them undefined.
    VnString name("n:"), value("v:"), right;
    EXPECT_EQ(VnExpression::splitequal(VnString("a=b"), name, value), 1);
    EXPECT_EQ(str(name) + "|" + str(value), "n:a|v:b");
    VnExpression::splitperiod(VnString("c"), name, right);
    VnExpression::splitperiod(VnString(), name, right);
    EXPECT_EQ(str(name), "n:ac");
    EXPECT_TRUE(right.isundef());
}

}  // namespace
