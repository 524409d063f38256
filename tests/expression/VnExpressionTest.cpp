#include "expression/VnExpression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expression/VnReference.h"
#include "expression/VnScalar.h"

namespace {

// "(op a b)" with "_" for a missing operand; a leaf is its name.
std::string shape(const VnExpression* e) {
    if (!e) return "_";
    if (e->name().length() > 0) return e->name().value();
    return "(" + std::string(e->op().value()) + " " + shape(e->a()) + " " + shape(e->b()) + ")";
}

std::string parsed(const char* text) {
    VnExpression root;
    root.parse(VnString(text));
    return shape(&root);
}

std::string describe(VnScalar& s) {
    static const char* const kinds[] = {"i:", "f:", "s:"};
    return kinds[s.valuetype] + std::string(s.stringvalue().value());
}

std::string evaluated(const char* text, VnScalar out = VnScalar()) {
    VnExpression root;
    root.parse(VnString(text));
    root.eval(out);
    return describe(out);
}

std::vector<std::string> asked;  // names the callbacks were called with, in order

void valueOf(const VnString& name, VnString& out) {
    asked.push_back(name.value());
    const std::string n = name.value();
    out = n == "x" ? "5" : n == "y" ? "1" : name.value();
}

unsigned char validName(const VnString& name) {
    asked.push_back(name.value());
    return std::string(name.value()).rfind("bad", 0) != 0;
}

// x is 7 and y is 3; names starting with "bad" are invalid; names that are not
// numbers are variables. Sets *deleted when it is destroyed.
struct TestReference : VnReference {
    bool* deleted = nullptr;
    ~TestReference() override {
        if (deleted) *deleted = true;
    }
    void value(const VnString& name, VnString& out) override {
        const std::string n = name.value();
        out = n == "x" ? "7" : n == "y" ? "3" : name.value();
    }
    int valid(const VnString& name) override { return std::string(name.value()).rfind("bad", 0) != 0; }
    int variable(const VnString& name) override { return !VnString(name).isfloat(); }
};

}  // namespace

TEST(VnExpression, ParsesIntoTrees) {
    const struct {
        const char *text, *tree;
    } cases[] = {
        {"x", "x"},                             {"1 + 2 * 3", "(+ 1 (* 2 3))"},
        {"1 * 2 + 3", "(+ (* 1 2) 3)"},         {"a - b - c", "(- a (- b c))"},
        {"a = b != c", "(= a (!= b c))"},       {"(10 - 4) - 3", "(- (- 10 4) 3)"},
        {"2 * -3", "(* 2 (-- _ 3))"},           {"- - 5", "(-- _ (-- _ 5))"},
        {"a - - b", "(- a (-- _ b))"},          {"not a and b", "(and (not _ a) b)"},
        {"a && b << 2", "(<< (&& a b) 2)"},     {"a max b + c", "(max a (+ b c))"},
        {"1 ; 2 + 3", "(+ (; 1 2) 3)"},         {"x in 'a,b'", "(in x a,b)"},
        {"'+' == c", "(== + c)"},               {"max(3, 5)", "max"},
        // Malformed texts.
        {"", "( _ _)"},     {"()", "( _ _)"},  {"(", "(( _ _)"},        {"1 +", "(+ _ 1)"},
        {"+", "+"},         {"* 3", "*"},      {"(1 + 2", "(( _ (+ 1 2))"}, {"1 + 2)", "(+ 1 2)"},
        {"1 2", "1"},       {"a (b)", "a"},    {"a not b", "a"},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.tree) << c.text;

    VnExpression callback, value;
    callback.callbackparse(VnString("(fail-a or b-c)"));
    EXPECT_EQ(shape(&callback), "(or fail-a b-c)");
    value.valueparse(VnString("1 , 2"));
    EXPECT_EQ(shape(&value), "1");

    VnStringList tokens;
    tokens.push(new VnString("-"));
    tokens.push(new VnString("x"));
    VnExpression root;
    root._parse(tokens);
    EXPECT_EQ(std::string(tokens.get(0)->value()), "--");
}

TEST(VnExpression, Precedence) {
    VnExpression e;
    const struct {
        const char* op;
        int level;
    } cases[] = {{"mod", 64}, {"ls", 2}, {"=~", 8}, {"min", 1}, {"", 1}, {"AND", 1}, {";", 1024},
                 {"not", 128}, {"xor", 16}, {"sub", 32}, {"has", 8}, {"or", 4}, {")", 256}};
    for (const auto& c : cases) EXPECT_EQ(e.precedence(VnString(c.op)), c.level) << c.op;
}

TEST(VnExpression, Display) {
    VnExpression empty, tree;
    tree.parse(VnString("x + -1"));
    testing::internal::CaptureStdout();
    empty.display(0);
    tree.display(1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n +\n   x\n   --\n     1\n");
}

TEST(VnExpression, Evaluates) {
    EXPECT_EQ(evaluated("1 + 2 * 3"), "i:7");
    EXPECT_EQ(evaluated("10 - 4 - 3"), "i:9");
    EXPECT_EQ(evaluated("(10 - 4) / 3 * -2"), "i:-1");
    EXPECT_EQ(evaluated("7 / 2.0 + 1"), "f:4.500000");
    EXPECT_EQ(evaluated("b in 'a, b' and not 0"), "i:1");
    EXPECT_EQ(evaluated("not 2.5"), "f:0.000000");
    EXPECT_EQ(evaluated("1 +"), "i:0");
    EXPECT_EQ(evaluated("- abc"), "s:");
    EXPECT_EQ(evaluated("1 +", VnScalar(5)), "i:5");  // out keeps what it held
    EXPECT_EQ(evaluated("! abc", VnScalar(VnString("kept"))), "s:kept");
}

TEST(VnExpression, ResolversAndTheirOrder) {
    VnExpression root;
    root.valuereq(valueOf);
    root.validreq(validName);
    root.parse(VnString("y + x * 2"));
    asked.clear();
    VnScalar out;
    root.eval(out);
    EXPECT_EQ(describe(out), "i:11");
    EXPECT_EQ(asked, (std::vector<std::string>{"2", "x", "y"}));  // right operand first

    VnExpression checked;
    checked.validreq(validName);
    checked.parse(VnString("bad1 and ok or bad2"));
    asked.clear();
    EXPECT_EQ(checked.isvalid(), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"bad2"}));  // stops at the first invalid name
    VnStringList none;
    checked.variables(none);
    EXPECT_EQ(none.length(), 0);  // no reference: nothing is walked

    // A reference is asked before the callbacks.
    root.reference(new TestReference);
    checked.reference(new TestReference);
    asked.clear();
    root.eval(out);
    EXPECT_EQ(describe(out), "i:17");
    EXPECT_EQ(checked.isvalid(), 0);
    EXPECT_TRUE(asked.empty());

    // "not" looks at b only; a literal value is never resolved.
    VnExpression negation;
    negation.op(VnString("not"));
    negation.a(new VnExpression);
    negation.b(new VnExpression);
    negation.a()->name(VnString("bad"));
    negation.b()->name(VnString("bad"));
    negation.b()->value(VnString("1"));
    negation.reference(new TestReference);
    EXPECT_EQ(negation.isvalid(), 1);
    negation.eval(out);
    EXPECT_EQ(describe(out), "i:0");

    VnExpression listed;
    listed.reference(new TestReference);
    listed.parse(VnString("x + y * -x + 1"));
    VnStringList found;
    listed.variables(found);
    EXPECT_EQ(std::string(found.join(VnString(" ")).value()), "x y x");
}

TEST(VnExpression, CountsItsReference) {
    bool deleted = false;
    TestReference* r = new TestReference;
    r->deleted = &deleted;
    {
        VnExpression root;
        root.reference(r);
        EXPECT_EQ(r->count(), 1);
        root.parse(VnString("a + b"));
        EXPECT_EQ(r->count(), 3);  // the "+" node taken over by the root is gone
        root.parse(VnString("c * -d"));  // the old operands are deleted
        EXPECT_EQ(shape(&root), "(* c (-- _ d))");
        EXPECT_EQ(r->count(), 4);
        root.reference(r);  // nodes already holding r count once
        EXPECT_EQ(r->count(), 4);
        root.b()->reference(nullptr);
        EXPECT_EQ(r->count(), 2);
    }
    EXPECT_TRUE(deleted);

    // Setting another reference gives the old one back.
    deleted = false;
    VnExpression root;
    r = new TestReference;
    r->deleted = &deleted;
    root.reference(r);
    root.parse(VnString("1 - 2"));
    TestReference* other = new TestReference;
    root.reference(other);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(other->count(), 3);

    VnReference copy(*other), base;
    base.increment();
    base = *other;
    EXPECT_EQ(copy.count() * 10 + base.count(), 1);  // counts are never copied
    VnString out;
    base.value(VnString("n"), out);
    EXPECT_EQ(std::string(out.value()) + std::to_string(base.valid(out)) + std::to_string(base.variable(out)), "n10");
}

TEST(VnExpression, PacksNothing) {
    VnExpressionList list;
    list.push(new VnExpression);
    list.get(0)->parse(VnString("1 + 2"));
    list.pack();
    const std::string expected("\0\0\0\1" "\0\1\0\1\0\0\0\1" "\0\12\0\4\0\0\0\101\0\0\0\0", 24);
    EXPECT_EQ(std::string(list.packContents(), list.packSize()), expected);
}

// Flat texts make trees as deep as they are long; no walk may recurse.
TEST(VnExpression, DeepTrees) {
    const int n = 200000;
    std::string rightDeep = "1", leftDeep(n / 4 - 1, '(');
    leftDeep += "1";
    for (int i = 1; i < n; ++i) rightDeep += " + 1";
    for (int i = 1; i < n / 4; ++i) leftDeep += " - 1)";
    VnExpression right, left;
    right.parse(VnString(rightDeep.c_str()));
    right.reference(new TestReference);
    left.parse(VnString(leftDeep.c_str()));
    VnScalar out;
    right.eval(out);
    EXPECT_EQ(describe(out), "i:200000");
    left.eval(out);
    EXPECT_EQ(describe(out), "i:-49998");
    EXPECT_EQ(right.isvalid(), 1);
    VnStringList found;
    right.variables(found);
    EXPECT_EQ(found.length(), 0);
}
