#ifndef VN_EXPRESSION_VNREFERENCE_H
#define VN_EXPRESSION_VNREFERENCE_H

#include "base/VnPack.h"
#include "base/VnString.h"

// The resolver that the nodes of an expression tree share. It turns an
// operand name into its value text, tells whether a name is valid and whether
// it is a variable. The base treats every name as a plain text standing for
// itself; a program derives from it to supply its own rules.
//
// Every node holding the reference counts once on it; the node that leaves
// the count below 1 deletes it. A reference never packs anything.
class VnReference : public VnPack {
public:
    VnReference();
    // A copy is held by no node: its count starts at 0.
    VnReference(const VnReference& other);
    ~VnReference() override;

    // The count belongs to the object, not to its value: it is not copied.
    VnReference& operator=(const VnReference& other);
    void copy(const VnReference& other);

    int type() override;
    void encode() override;
    void decode() override;
    VnString typeXML() override;
    void encodeXML() override;
    void decodeXML() override;

    // out becomes a copy of name.
    virtual void value(const VnString& name, VnString& out);
    // 1 for every name.
    virtual int valid(const VnString& name);
    // 0 for every name: the base knows no variables.
    virtual int variable(const VnString& name);

    void increment();
    void decrement();
    int count();

private:
    int refcount;
};

#endif
