// The expression tree: nodes, the walks over a tree, the parser and the
// evaluator. (The splitters and tokenizers are in VnExpressionText.cpp.)
//
// Operators of one level group to the right, so a flat text of n terms makes
// a tree n levels deep. No walk recurses: each keeps its own stack and visits
// the nodes in the order a recursive walk would, right operand first where
// results depend on it.

#include "expression/VnExpression.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iostream>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "expression/VnReference.h"
#include "expression/VnScalar.h"

namespace {

std::string_view text(const VnString& s) {
    return {s.value(), static_cast<std::size_t>(s.length())};
}

// The unary operators use b only.
bool isUnary(std::string_view op) {
    return op == "not" || op == "!" || op == "--";
}

// The tokens the parser takes as operators; every other token is an operand.
constexpr std::string_view kOperators[] = {
    "+",   "-",  "*",   "/",  "%",  "^",  "&",  "|",  "&&", "||",  "!",   "=",   "==",  "!=",  "<>",
    "=~",  "<",  ">",   "<=", ">=", "<<", ">>", ";",  ":",  "add", "sub", "mul", "div", "mod", "xor",
    "and", "or", "not", "eq", "ne", "lt", "gt", "le", "ge", "in",  "has", "ls",  "rs",  "min", "max",
};

bool isOperator(std::string_view token) {
    return std::find(std::begin(kOperators), std::end(kOperators), token) != std::end(kOperators);
}

// The operators that may stand where an operand is expected.
bool isPrefix(std::string_view token) {
    return token == "-" || token == "not" || token == "!";
}

struct Level {
    std::string_view op;
    int level;
};

// Higher binds tighter; any other text is level 1.
constexpr Level kLevels[] = {
    {",", 1024}, {";", 1024}, {"(", 256},  {")", 256}, {"--", 128}, {"!", 128}, {"not", 128}, {"/", 64},
    {"*", 64},   {"div", 64}, {"mul", 64}, {"%", 64},  {"mod", 64}, {"+", 32},  {"-", 32},    {"add", 32},
    {"sub", 32}, {"&", 16},   {"|", 16},   {"^", 16},  {"xor", 16}, {"=", 8},   {"==", 8},    {"eq", 8},
    {"<>", 8},   {"=~", 8},   {"!=", 8},   {"ne", 8},  {"<", 8},    {"lt", 8},  {">", 8},     {"gt", 8},
    {"<=", 8},   {"le", 8},   {">=", 8},   {"ge", 8},  {"in", 8},   {"has", 8}, {"&&", 4},    {"and", 4},
    {"||", 4},   {"or", 4},   {"<<", 2},   {">>", 2},  {"rs", 2},   {"ls", 2},
};

// Hands item to the list, which owns it from then on.
template <class List, class T>
void pushOwned(List& list, std::unique_ptr<T>& item) {
    if (!list.push(item.get())) throw std::bad_alloc();
    item.release();
}

void pushCopy(VnStringList& list, const VnString& s) {
    std::unique_ptr<VnString> copy(new VnString(s));
    pushOwned(list, copy);
}

// Calls visit on node and every node below it, node first, then the tree of
// a, then the tree of b.
template <class Visit>
void eachNode(VnExpression* root, Visit visit) {
    std::vector<VnExpression*> pending{root};
    while (!pending.empty()) {
        VnExpression* node = pending.back();
        pending.pop_back();
        visit(node);
        if (node->b()) pending.push_back(node->b());
        if (node->a()) pending.push_back(node->a());
    }
}

void writeSpaces(std::int64_t n) {
    static const char spaces[] = "                                                                ";
    for (; n > 0; n -= sizeof spaces - 1) {
        std::cout.write(spaces, static_cast<std::streamsize>(std::min<std::int64_t>(n, sizeof spaces - 1)));
    }
}

}  // namespace

// ---- Nodes -----------------------------------------------------------------

VnExpression::VnExpression()
    : _a(nullptr), _b(nullptr), _valuereq(nullptr), _validreq(nullptr), _reference(nullptr) {}

VnExpression::~VnExpression() {
    _releaseReference();
    VnExpression* a = _a;
    VnExpression* b = _b;
    _a = _b = nullptr;
    _destroy(a);
    _destroy(b);
}

// Goes down the a side of the tree, releasing each node's reference on the
// way (the order of a recursive destructor) and stacking the nodes whose b
// side is still to do. The stack is linked through the a fields, which are no
// longer needed, so destroying a tree allocates nothing. Each node is deleted
// once its children are detached, so its own destructor has nothing to do.
void VnExpression::_destroy(VnExpression* node) {
    VnExpression* stacked = nullptr;
    for (;;) {
        while (node) {
            node->_releaseReference();
            VnExpression* next = node->_a;
            node->_a = stacked;
            stacked = node;
            node = next;
        }
        if (!stacked) return;
        VnExpression* done = stacked;
        stacked = done->_a;
        node = done->_b;
        done->_a = done->_b = nullptr;
        delete done;
    }
}

void VnExpression::_holdReference(VnReference* r) {
    if (_reference == r) return;
    _releaseReference();
    _reference = r;
    if (r) r->increment();
}

void VnExpression::_releaseReference() {
    VnReference* r = _reference;
    _reference = nullptr;
    if (!r) return;
    r->decrement();
    if (r->count() < 1) delete r;
}

int VnExpression::type() {
    return VN_TYPE_EXPRESSION;
}

void VnExpression::encode() {}

void VnExpression::decode() {}

VnString VnExpression::typeXML() {
    return VnString(VN_XML_EXPRESSION);
}

void VnExpression::encodeXML() {}

void VnExpression::decodeXML() {}

const VnString& VnExpression::op() const {
    return _op;
}

const VnString& VnExpression::value() const {
    return _value;
}

const VnString& VnExpression::name() const {
    return _name;
}

void VnExpression::op(const VnString& op) {
    _op.copy(op);
}

void VnExpression::value(const VnString& value) {
    _value.copy(value);
}

void VnExpression::name(const VnString& name) {
    _name.copy(name);
}

VnExpression* VnExpression::a() const {
    return _a;
}

VnExpression* VnExpression::b() const {
    return _b;
}

void VnExpression::a(VnExpression* a) {
    _a = a;
}

void VnExpression::b(VnExpression* b) {
    _b = b;
}

// ---- Resolvers -------------------------------------------------------------

void VnExpression::valuereq(ValueRequest f) {
    eachNode(this, [f](VnExpression* node) { node->_valuereq = f; });
}

void VnExpression::validreq(ValidRequest f) {
    eachNode(this, [f](VnExpression* node) { node->_validreq = f; });
}

// A node already holding r keeps its one count; a node holding another
// reference gives that one back first.
void VnExpression::reference(VnReference* r) {
    eachNode(this, [r](VnExpression* node) { node->_holdReference(r); });
}

// ---- Walks -----------------------------------------------------------------

// A leaf prints its name; any other node its operator, then a and b indented
// by two more.
void VnExpression::display(int indent) {
    struct Line {
        VnExpression* node;
        std::int64_t indent;
    };
    std::vector<Line> pending{{this, indent}};
    while (!pending.empty()) {
        const Line line = pending.back();
        pending.pop_back();
        VnExpression* node = line.node;
        writeSpaces(line.indent);
        const bool leaf = node->_name.length() > 0;
        std::cout << (leaf ? node->_name : node->_op) << std::endl;
        if (leaf) continue;
        if (node->_b) pending.push_back({node->_b, line.indent + 2});
        if (node->_a) pending.push_back({node->_a, line.indent + 2});
    }
}

int VnExpression::_validLeaf() {
    if (_value.length() > 0) return 1;
    if (_reference) return _reference->valid(_name) ? 1 : 0;
    if (_validreq) return _validreq(_name) ? 1 : 0;
    return 1;
}

// Leaves are tested right operand first; the first invalid one decides.
int VnExpression::isvalid() {
    std::vector<VnExpression*> pending{this};
    while (!pending.empty()) {
        VnExpression* node = pending.back();
        pending.pop_back();
        if (node->_name.length() > 0) {
            if (!node->_validLeaf()) return 0;
            continue;
        }
        if (!node->_b) continue;
        if (!isUnary(text(node->_op)) && node->_a) pending.push_back(node->_a);
        pending.push_back(node->_b);
    }
    return 1;
}

// Only nodes holding a reference are looked at; the names are appended right
// operand first, repeats included.
void VnExpression::variables(VnStringList& names) {
    std::vector<VnExpression*> pending{this};
    while (!pending.empty()) {
        VnExpression* node = pending.back();
        pending.pop_back();
        if (!node->_reference) continue;
        if (node->_name.length() > 0 && node->_reference->variable(node->_name)) {
            pushCopy(names, node->_name);
            continue;
        }
        if (!node->_b) continue;
        if (!isUnary(text(node->_op)) && node->_a) pending.push_back(node->_a);
        pending.push_back(node->_b);
    }
}

// ---- Parser ----------------------------------------------------------------

int VnExpression::precedence(const VnString& op) {
    const std::string_view wanted = text(op);
    for (const Level& row : kLevels) {
        if (wanted == row.op) return row.level;
    }
    return 1;
}

void VnExpression::parse(const VnString& text) {
    VnStringList tokens;
    tokenize(text, tokens);
    _parse(tokens);
}

void VnExpression::callbackparse(const VnString& text) {
    VnStringList tokens;
    callbacktokenize(text, tokens);
    _parse(tokens);
}

void VnExpression::valueparse(const VnString& text) {
    VnStringList tokens;
    valuetokenize(text, tokens);
    _parse(tokens);
}

// An operator-precedence parser. A "-" where an operand is expected is unary
// minus and is rewritten to "--" in the token list; any other binary operator
// there is taken as an operand. Malformed texts are not rejected: missing
// operands are NULL, an open "(" becomes a node of its own, and of operands
// left side by side only the first survives.
void VnExpression::_parse(VnStringList& tokens) {
    VnStringList operators;
    VnExpressionList operands;
    bool operandExpected = true;
    for (int i = 0; i < tokens.length(); ++i) {
        VnString* token = tokens.get(i);
        if (!token) continue;
        const std::string_view t = text(*token);
        if (t == "(") {
            pushCopy(operators, *token);
            operandExpected = true;
        } else if (t == ")") {
            _closeGroup(operators, operands);
            operandExpected = false;
        } else if (!isOperator(t) || (operandExpected && !isPrefix(t))) {
            _pushLeaf(*token, operands);
            operandExpected = false;
        } else {
            if (operandExpected && t == "-") token->copy("--");
            _pushOperator(*token, operators, operands);
            operandExpected = true;
        }
    }
    while (VnString* op = operators.pop())
        _reduce(op, operands);
    if (operands.length() > 0) _takeOver(operands.get(0));
}

VnExpression* VnExpression::_newNode() {
    std::unique_ptr<VnExpression> node(new VnExpression());
    node->_valuereq = _valuereq;
    node->_validreq = _validreq;
    node->_holdReference(_reference);
    return node.release();
}

void VnExpression::_pushLeaf(const VnString& name, VnExpressionList& operands) {
    std::unique_ptr<VnExpression> leaf(_newNode());
    leaf->_name.copy(name);
    pushOwned(operands, leaf);
}

// Operators of a strictly higher level on the stack are reduced first, so
// operators of one level group to the right.
void VnExpression::_pushOperator(const VnString& op, VnStringList& operators, VnExpressionList& operands) {
    const int level = precedence(op);
    for (VnString* top = operators.top(); top; top = operators.top()) {
        if (text(*top) == "(" || precedence(*top) <= level) break;
        _reduce(operators.pop(), operands);
    }
    pushCopy(operators, op);
}

// At ")": reduces down to the matching "(", or until the stack is empty.
void VnExpression::_closeGroup(VnStringList& operators, VnExpressionList& operands) {
    while (VnString* top = operators.pop()) {
        if (text(*top) == "(") {
            delete top;
            return;
        }
        _reduce(top, operands);
    }
}

// Builds the node of op (taken from the operator stack and freed here) over
// the operands on top of the operand stack, and pushes it there.
void VnExpression::_reduce(VnString* op, VnExpressionList& operands) {
    std::unique_ptr<VnString> owned(op);
    std::unique_ptr<VnExpression> node(_newNode());
    node->_b = operands.pop();
    node->_op.copy(*op);
    if (!isUnary(text(*op))) node->_a = operands.pop();
    pushOwned(operands, node);
}

// This node becomes node: it takes over node's fields and operands, and the
// operands it held before are deleted.
void VnExpression::_takeOver(VnExpression* node) {
    VnExpression* oldA = _a;
    VnExpression* oldB = _b;
    _a = node->_a;
    _b = node->_b;
    node->_a = node->_b = nullptr;
    _value.copy(node->_value);
    _name.copy(node->_name);
    _op.copy(node->_op);
    _destroy(oldA);
    _destroy(oldB);
}

// ---- Evaluation ------------------------------------------------------------

// A literal value first, then the reference, then the callback; with no
// resolver the name stands for itself.
void VnExpression::_evalLeaf(VnScalar& out) {
    if (_value.length() > 0) {
        out.value(_value);
        return;
    }
    if (!_reference && !_valuereq) {
        out.value(_name);
        return;
    }
    VnString resolved;
    if (_reference) {
        _reference->value(_name, resolved);
    } else {
        _valuereq(_name, resolved);
    }
    out.value(resolved);
}

// Each inner node is visited twice: first its operands are scheduled (b on
// top, so b is evaluated first) into fresh scalars, then it combines them.
// The scalars of the operands being computed live on a deque, whose elements
// stay in place as it grows and shrinks at the back.
void VnExpression::eval(VnScalar& out) {
    struct Step {
        VnExpression* node;
        VnScalar* out;
        bool operandsDone;
    };
    std::deque<VnScalar> values;
    std::vector<Step> steps{{this, &out, false}};
    while (!steps.empty()) {
        const Step step = steps.back();
        steps.pop_back();
        VnExpression* node = step.node;
        if (node->_name.length() > 0) {
            node->_evalLeaf(*step.out);
            continue;
        }
        if (!node->_b) continue;  // out keeps what it held
        const bool unary = isUnary(text(node->_op));
        const bool binary = !unary && node->_a;
        if (!step.operandsDone) {
            steps.push_back({node, step.out, true});
            if (binary) steps.push_back({node->_a, &values.emplace_back(), false});
            steps.push_back({node->_b, &values.emplace_back(), false});
            continue;
        }
        VnScalar& b = values.back();
        if (unary) {
            VnScalar::eval(node->_op, b, *step.out);
        } else if (binary) {
            VnScalar& a = values[values.size() - 2];
            VnScalar::eval(node->_op, a, b, *step.out);
            values.pop_back();
        }
        values.pop_back();
    }
}
