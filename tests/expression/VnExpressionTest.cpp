#include "expression/VnExpression.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "expression/VnReference.h"
#include "expression/VnScalar.h"

namespace {

// "(op a b)" with "_" for a missing operand; a leaf is its name.
std::string shape(const VnExpression* e) {
    if (!e) return "_";
    if (e->name().length() > 0) return e->name().value();
    return "(" + std::string(e->op().value()) + " " + shape(e->a()) + " " + shape(e->b()) + ")";
}

std::string describe(VnScalar& s) {
    static const char* const kinds[] = {"i:", "f:", "s:"};
    return kinds[s.valuetype] + std::string(s.stringvalue().value());
}

// The tree that parse makes of each text, or with values set the value it
// evaluates to without resolvers; joined by " | ".
std::string parsed(std::initializer_list<const char*> texts, bool values = false) {
    std::string out;
    for (const char* text : texts) {
        VnExpression root;
        root.parse(VnString(text));
        VnScalar value;
        if (values) root.eval(value);
        out += (out.empty() ? "" : " | ") + (values ? describe(value) : shape(&root));
    }
    return out;
}

std::string asked;  // the names the callbacks were called with, each followed by a blank

// x is 5 and y is 1; names starting with "b" are invalid.
void valueOf(const VnString& name, VnString& out) {
    asked += name.value() + std::string(" ");
    out = name == "x" ? "5" : name == "y" ? "1" : name.value();
}

unsigned char validName(const VnString& name) {
    asked += name.value() + std::string(" ");
    return name.get(0) != 'b';
}

// x is 7 and y is 3; names starting with "b" are invalid; names that are not
// numbers are variables. Counts the live references.
struct TestReference : VnReference {
    static inline int live = 0;
    TestReference() { ++live; }
    ~TestReference() override { --live; }
    void value(const VnString& name, VnString& out) override {
        out = name == "x" ? "7" : name == "y" ? "3" : name.value();
    }
    int valid(const VnString& name) override { return name.get(0) != 'b'; }
    int variable(const VnString& name) override { return !VnString(name).isfloat(); }
};

}  // namespace

TEST(VnExpression, ParsesIntoTrees) {
    EXPECT_EQ(parsed({"x", "1 + 2 * 3", "1 * 2 + 3", "a - b - c", "a = b != c", "(10 - 4) - 3"}),
              "x | (+ 1 (* 2 3)) | (+ (* 1 2) 3) | (- a (- b c)) | (= a (!= b c)) | (- (- 10 4) 3)");
    EXPECT_EQ(parsed({"2 * -3", "- - 5", "a - - b", "not a and b", "a && b << 2", "a max b + c"}),
              "(* 2 (-- _ 3)) | (-- _ (-- _ 5)) | (- a (-- _ b)) | (and (not _ a) b) | (<< (&& a b) 2) | "
              "(max a (+ b c))");
    EXPECT_EQ(parsed({"1 ; 2 + 3", "x in 'a,b'", "'+' == c", "max(3, 5)"}),
              "(+ (; 1 2) 3) | (in x a,b) | (== + c) | max");
    // Malformed texts.
    EXPECT_EQ(parsed({"", "()", "(", "1 +", "+", "* 3", "(1 + 2", "1 + 2)", "1 2", "a (b)", "a not b"}),
              "( _ _) | ( _ _) | (( _ _) | (+ _ 1) | + | * | (( _ (+ 1 2)) | (+ 1 2) | 1 | a | a");

    VnExpression callback, value, root;
    callback.callbackparse(VnString("(fail-a or b-c)"));
    value.valueparse(VnString("(1 + 2) * 3"));  // "(" and ")" are tokens of values too
    EXPECT_EQ(shape(&callback) + " | " + shape(&value), "(or fail-a b-c) | (* (+ 1 2) 3)");
    VnStringList tokens;
    VnExpression::tokenize(VnString("- x"), tokens);
    root._parse(tokens);
    EXPECT_EQ(std::string(tokens.join(" ").value()), "-- x");

    std::string levels;
    for (const char* op : {"mod", "ls", "=~", "min", "", "AND", ";", "not", "xor", "sub", "has", "or", ")"})
        levels += std::to_string(root.precedence(VnString(op))) + " ";
    EXPECT_EQ(levels, "64 2 8 1 1 1 1024 128 16 32 8 4 256 ");
}

TEST(VnExpression, DisplayAndEvaluate) {
    VnExpression empty, tree;
    tree.parse(VnString("x + -1"));
    testing::internal::CaptureStdout();
    empty.display(0);
    tree.display(1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n +\n   x\n   --\n     1\n");

    EXPECT_EQ(parsed({"1 + 2 * 3", "10 - 4 - 3", "8 / 4 / 2", "(10 - 4) / 3 * -2", "7 / 2.0 + 1"}, true),
              "i:7 | i:9 | i:4 | i:-1 | f:4.500000");
    EXPECT_EQ(parsed({"b in 'a, b' and not 0", "not 2.5", "1 +", "- abc", "(1 + 2"}, true),
              "i:1 | f:0.000000 | i:0 | s: | i:0");
    EXPECT_EQ(
        parsed({"2 < 2", "2 lt 2", "2 <= 2", "2 le 2", "2 > 2", "2 gt 2", "2 >= 2", "2 ge 2", "1 + 1 < 2"},
               true),
        "i:0 | i:0 | i:1 | i:1 | i:0 | i:0 | i:1 | i:1 | i:0");
    VnScalar kept(5);
    tree.parse(VnString("1 +"));
    tree.eval(kept);  // out keeps what it held
    EXPECT_EQ(describe(kept), "i:5");
}

TEST(VnExpression, ResolversAndTheirOrder) {
    VnExpression root, checked, negation;
    root.valuereq(valueOf);
    root.validreq(validName);
    root.parse(VnString("y + x * 2"));
    checked.parse(VnString("bad1 and ok or bad2"));
    checked.validreq(validName);  // set after parsing: carried down the tree
    asked.clear();
    VnScalar out;
    root.eval(out);
    EXPECT_EQ(checked.isvalid(), 0);  // right operand first, up to the first invalid name
    EXPECT_EQ(describe(out) + " " + asked, "i:11 2 x y bad2 ");
    VnStringList found;
    checked.variables(found);  // no reference: nothing is walked

    root.reference(new TestReference);  // asked instead of the callbacks
    checked.reference(new TestReference);
    asked.clear();
    root.eval(out);
    EXPECT_EQ(describe(out) + std::to_string(checked.isvalid()) + asked, "i:170");
    root.parse(VnString("x + y * -x + 1"));
    root.variables(found);
    EXPECT_EQ(std::string(found.join(" ").value()), "x y x");

    // A unary operator looks at b only; a literal value is never resolved.
    negation.reference(new TestReference);
    negation.parse(VnString("not bad"));
    EXPECT_EQ(negation.isvalid(), 0);
    negation.a(new VnExpression);
    negation.a()->name(VnString("bad"));
    negation.b()->value(VnString("1"));
    negation.eval(out);
    EXPECT_EQ(describe(out) + std::to_string(negation.isvalid()), "i:01");
}

TEST(VnExpression, CountsItsReference) {
    const int before = TestReference::live;
    TestReference* r = new TestReference;
    TestReference* other = new TestReference;
    {
        VnExpression root;
        root.reference(r);
        root.parse(VnString("a + b"));
        EXPECT_EQ(r->count(), 3);        // the "+" node taken over by the root is gone
        root.parse(VnString("c * -d"));  // the old operands are deleted
        EXPECT_EQ(shape(&root) + " " + std::to_string(r->count()), "(* c (-- _ d)) 4");
        root.reference(r);  // nodes already holding r count once
        root.b()->reference(nullptr);
        EXPECT_EQ(r->count(), 2);
        root.reference(other);  // r is given back and deleted
        EXPECT_EQ(other->count() * 10 + TestReference::live - before, 41);
    }
    EXPECT_EQ(TestReference::live, before);
}

// Flat texts make trees as deep as they are long; no walk may recurse.
TEST(VnExpression, DeepTrees) {
    const int n = 200000;
    std::string rightDeep = "1", leftDeep = std::string(n / 4 - 1, '(') + "1";
    for (int i = 1; i < n; ++i) {
        rightDeep += " + 1";
        if (i < n / 4) leftDeep += " - 1)";
    }
    VnExpression right, left;
    right.parse(VnString(rightDeep.c_str()));
    right.reference(new TestReference);
    left.parse(VnString(leftDeep.c_str()));
    VnScalar rightValue, leftValue;
    right.eval(rightValue);
    left.eval(leftValue);
    VnStringList found;
    right.variables(found);
    EXPECT_EQ(describe(rightValue) + " " + describe(leftValue) + " " + std::to_string(right.isvalid()) +
                  std::to_string(found.length()),
              "i:200000 i:-49998 10");
}
