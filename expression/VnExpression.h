#ifndef VN_EXPRESSION_VNEXPRESSION_H
#define VN_EXPRESSION_VNEXPRESSION_H

#include <functional>

#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"

class VnExpressionList;
class VnReference;
class VnScalar;

// A node of an expression tree. An inner node holds an operator and one or two
// operands (unary "not", "!" and "--" use b only); a leaf holds the text of an
// operand in its name. The root of a tree is also where it is parsed and
// evaluated, and it carries the resolvers of operand names: two callbacks and
// a shared, counted VnReference.
//
// The class also carries the static splitters and tokenizers that cut texts
// into lists of items or tokens; they use none of the node's fields.
class VnExpression : public VnPack {
public:
    typedef void (*ValueRequest)(const VnString& name, VnString& out);
    typedef unsigned char (*ValidRequest)(const VnString& name);

    VnExpression();
    VnExpression(const VnExpression&) = delete;
    VnExpression& operator=(const VnExpression&) = delete;
    ~VnExpression() override;

    int type() override;
    void encode() override;
    void decode() override;
    VnString typeXML() override;
    void encodeXML() override;
    void decodeXML() override;

    // Fields.
    const VnString& op() const;
    const VnString& value() const;
    const VnString& name() const;
    void op(const VnString& op);
    void value(const VnString& value);
    void name(const VnString& name);
    VnExpression* a() const;
    VnExpression* b() const;
    void a(VnExpression* a);
    void b(VnExpression* b);

    // Resolvers, set on this node and every node below it.
    void valuereq(ValueRequest f);
    void validreq(ValidRequest f);
    void reference(VnReference* r);

    // Walks.
    void display(int indent);
    int isvalid();
    void variables(VnStringList& names);

    // Parsing.
    int precedence(const VnString& op);
    void parse(const VnString& text);
    void callbackparse(const VnString& text);
    void valueparse(const VnString& text);
    void _parse(VnStringList& tokens);

    // Evaluation.
    void eval(VnScalar& out);

    // Splitters.
    static void split(const VnString& text, VnStringList& items);
    static void split(const VnString& text, VnStringHash& set);
    static void splitcomma(const VnString& text, VnStringList& items);
    static void splittab(const VnString& text, VnStringList& items);
    static void splitslash(const VnString& text, VnStringList& items);
    static void splitspace(const VnString& text, VnStringList& items);
    static int splitequal(const VnString& text, VnString& name, VnString& value);
    static int splitbecomes(const VnString& text, VnString& name, VnString& value);
    static void splitperiod(const VnString& text, VnString& left, VnString& right);

    // Tokenizers.
    static void tokenize(const VnString& text, VnStringList& tokens);
    static void rangetokenize(const VnString& text, VnStringList& tokens);
    static void callbacktokenize(const VnString& text, VnStringList& tokens);
    static void valuetokenize(const VnString& text, VnStringList& tokens);
    // The items of splitcomma and the tokens of rangetokenize, handed to visit one at a time in
    // order, so that a caller holds one at a time; the walk stops where visit answers false.
    static void eachcomma(const VnString& text, const std::function<bool(const VnString&)>& visit);
    static void eachrangetoken(const VnString& text, const std::function<bool(const VnString&)>& visit);

private:
    // A new node carrying this node's resolvers.
    VnExpression* _newNode();
    // Parser steps on the operator and operand stacks.
    void _pushLeaf(const VnString& name, VnExpressionList& operands);
    void _pushOperator(const VnString& op, VnStringList& operators, VnExpressionList& operands);
    void _closeGroup(VnStringList& operators, VnExpressionList& operands);
    void _reduce(VnString* op, VnExpressionList& operands);
    void _takeOver(VnExpression* node);
    // What a leaf answers to eval and isvalid.
    void _evalLeaf(VnScalar& out);
    int _validLeaf();
    // Reference counting of this node alone.
    void _holdReference(VnReference* r);
    void _releaseReference();
    // Deletes node and every node below it without recursion.
    static void _destroy(VnExpression* node);

    VnString _op;
    VnExpression* _a;
    VnExpression* _b;
    VnString _value;
    VnString _name;
    ValueRequest _valuereq;
    ValidRequest _validreq;
    VnReference* _reference;
};

VN_DECLARE_LIST(VnExpressionList, VnExpression, VN_TYPE_EXPRESSION_LIST, VN_XML_EXPRESSION_LIST)

#endif
