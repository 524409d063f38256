#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "expression/VnExpression.h"
#include "testing/TestRecords.h"

namespace {

using namespace std::string_literals;
using E = VnExpression;
using Strings = std::vector<std::string>;
using ListSplitter = void (*)(const VnString&, VnStringList&);

Strings strings(const VnStringList& list) {
    Strings out;
    for (int i = 0; i < list.length(); ++i)
        out.push_back(str(*list.get(i)));
    return out;
}

const struct {
    ListSplitter f;
    std::string text;
    Strings expected;
} kListCases[] = {
    {E::split, ",a, b ,,c", {"", "a", "b", "", "c"}},
    {E::split, "a,", {"a"}},
    {E::split, "a, ", {"a", ""}},
    {E::split, "x='1,2', {a,{b,c}},d", {"x='1,2'", "{a,{b,c}}", "d"}},
    {E::split, "{a,b", {"{a,b}"}},
    {E::split, "a,'b,c", {"a", "'b,c'"}},
    {E::split, "'it\\'s',{a'b,c},d}e,f", {"'it\\'s'", "{a'b,c}", "d}e", "f"}},
    {E::split, "'ab\\", {"'ab\\'"}},
    {E::split, " p{x,y}q 'r,s'\"t,u\" , z", {"p{x,y}q 'r,s'\"t,u\"", "z"}},
    {E::split, "a\0b,c"s, {"a\0b"s, "c"}},
    {E::splitcomma, "node[1-5, 7] , b c,,d,", {"node[1-5, 7]", "bc", "", "d"}},
    {E::splitcomma, "a[1-2][3,4],b[1, 2", {"a[1-2][3,4]", "b[1, 2"}},
    {E::splittab, " a \t\tb\t", {" a ", "", "b"}},
    {E::splitslash, "/usr//bin/", {"", "usr", "", "bin"}},
    {E::splitspace, " a\vb  c\t\n", {"a\vb", "c"}},
    {E::tokenize, "a>=10&&!(b=='x y')", {"a", ">=", "10", "&&", "!", "(", "b", "==", "x y", ")"}},
    {E::tokenize, "a!=b||c<>d=>e", {"a", "!=", "b", "||", "c", "<>", "d", "=>", "e"}},
    {E::tokenize, "<<<=<<==>>=<>< =!&|", {"<<", "<=", "<<", "==", ">>", "=<", "><", "=", "!", "&", "|"}},
    {E::tokenize, "x?y:z*w/v+u", {"x", "?", "y", ":", "z", "*", "w", "/", "v", "+", "u"}},
    {E::tokenize, "a%b c % d f(x,y)", {"a%b", "c", "%", "d", "f", "(", "x,y", ")"}},
    {E::tokenize, "a =~ b -1 1e-5 1.5", {"a", "=", "~", "b", "-", "1", "1e", "-", "5", "1.5"}},
    {E::tokenize, "'' 'it\\'s' ab'cd'ef\"g\\\\h\\", {"", "it's", "ab", "cd", "ef", "g\\h\\"}},
    {E::tokenize, "\xe9t\0+1"s, {"\xe9t\0"s, "+", "1"}},
    {E::rangetokenize, " node[ 01-10x2 ]'a b'", {"node", "[", "01-10x2", "]", "'a", "b'"}},
    {E::callbacktokenize,
     "(fail-subjob-self or a&b|c,'x y')",
     {"(", "fail-subjob-self", "or", "a&b|c,", "x y", ")"}},
    {E::valuetokenize, "{a {b} c}, 'x,y' z", {"a {b} c", ",", "x,y", "z"}},
    {E::valuetokenize, "{}'{a}'a{b c,d , e {f", {"", "{a}", "a{b", "c,d", ",", "e", "f"}},
    {E::valuetokenize, "(1 + 2) * f(x)", {"(", "1", "+", "2", ")", "*", "f", "(", "x", ")"}},
};

// Each text's "result|name|value", each followed by "; "; a null f stands for splitperiod, answering 0.
std::string pairs(int (*f)(const VnString&, VnString&, VnString&), std::initializer_list<const char*> texts) {
    std::string out;
    for (const char* text : texts) {
        VnString name, value;
        const int r = f ? f(VnString(text), name, value) : (E::splitperiod(VnString(text), name, value), 0);
        out += std::to_string(r) + "|" + str(name) + "|" + str(value) + "; ";
    }
    return out;
}

}  // namespace

TEST(VnExpressionText, ListSplittersAndTokenizers) {
    for (const auto& c : kListCases) {
        VnStringList list;
        list.push(new VnString("old"));  // lists are appended to
        c.f(VnString(c.text.data(), static_cast<int>(c.text.size())), list);
        Strings expected = c.expected;
        expected.insert(expected.begin(), "old");
        EXPECT_EQ(strings(list), expected) << c.text;
    }
    // Nothing from nothing; the first six drop whitespace as well.
    const ListSplitter all[] = {E::splitcomma,    E::splitspace,       E::tokenize,
                                E::rangetokenize, E::callbacktokenize, E::valuetokenize,
                                E::split,         E::splittab,         E::splitslash};
    for (int i = 0; i < 9; ++i) {
        VnStringList list;
        all[i](VnString(), list);
        if (i < 6) all[i](VnString(" \t\r\n"), list);
        EXPECT_EQ(list.length(), 0) << i;
    }
    // The walks stop at the first item or token the visitor answers false to.
    Strings seen;
    const auto two = [&seen](const VnString& s) {
        seen.push_back(str(s));
        return seen.size() < 2;
    };
    E::eachrangetoken(VnString("a[1-2]b"), two);
    E::eachcomma(VnString("x,y[1,2],z"), two);
    EXPECT_EQ(seen, (Strings{"a", "[", "x"}));
}

TEST(VnExpressionText, SplitIntoHash) {
    VnStringHash set;
    E::split(VnString("a,b,a"), set);
    E::split(VnString(" ,c"), set);
    E::split(VnString(), set);
    ASSERT_EQ(set.length(), 4);  // each distinct item once, mapped to an equal string
    EXPECT_EQ(str(*set.get("a")) + str(*set.get("b")) + str(*set.get("c")) + str(*set.get("")), "abc");
}

TEST(VnExpressionText, NameAndValue) {
    EXPECT_EQ(pairs(E::splitequal, {" a b = c d ", "abc", "k==v", ""}), "1|ab|c d ; 0|abc|; 1|k|=v; 0||; ");
    EXPECT_EQ(pairs(E::splitbecomes, {"x : 5", "x=5", "x:", "x", "a b:c=d:e", ""}),
              "1|x|5; 0|x|; 1|x|; 0||; 1|ab|c=d:e; 0||; ");
    EXPECT_EQ(pairs(nullptr, {"host.os.name", "abc", ".a"}), "0|host|os.name; 0|abc|; 0||a; ");
    VnString name("n:"), value("v:"), right;  // pieces are appended; a piece of nothing stays undefined
    EXPECT_EQ(E::splitequal(VnString("a=b"), name, value), 1);
    E::splitperiod(VnString("c"), name, right);
    EXPECT_EQ(str(name) + "|" + str(value) + "|" + std::to_string(right.isundef()), "n:ac|v:b|1");
}
