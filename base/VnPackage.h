#ifndef VN_BASE_VNPACKAGE_H
#define VN_BASE_VNPACKAGE_H

#include "base/VnBase.h"
#include "base/VnBaseList.h"
#include "base/VnString.h"

class VnPackage;

// The children of a package node, in order. The list owns them.
class VnPackageList : public VnBaseList<VnPackage> {
public:
    VnPackageList();
    virtual ~VnPackageList();
};

// A tree of named text values that travels as one line of compact text.
//
// Every node has a name, a value and an ordered list of children. A node without children is
// a scalar, a node whose first child has a name is a hash, one whose first child has no name
// an array. The compact text writes a node as "(", its name, "=", its value, its children in
// the same form and ")", with a backslash before each "(", ")", "=" and backslash inside names
// and values.
//
// A node owns its children and through them its whole subtree. Every walk over a tree
// (destruction, copy, compact, expand, _display) uses an explicit stack, so no tree, however
// deep, can overflow the call stack. Reading compact text stops descending at MAX_DEPTH levels.
class VnPackage : public VnBase {
public:
    enum Kind { HASH = 1, ARRAY = 2, SCALAR = 4 };

    // Levels of nesting that expand reads, the outermost node counting as one.
    static constexpr int MAX_DEPTH = 1000;

    VnPackage();
    VnPackage(const VnString& value);
    VnPackage(const VnString& name, const VnString& value);
    VnPackage(const VnPackage& other);
    virtual ~VnPackage();

    VnPackage& operator=(const VnPackage& other);
    void copy(const VnPackage& other);

    const VnString& name() const { return _name; }
    void name(const VnString& name);
    const VnString& value() const { return _value; }
    void value(const VnString& value);

    int objtype();
    int length();
    VnPackage* get(int i);

    int push(const VnString& value);
    int push(VnPackage* p);
    int set(const VnString& name, const VnString& value);
    int set(VnPackage* p);
    int set(const VnString& name, VnPackage* p);
    int set(int i, VnPackage* p);

    void release();
    void clear();

    VnString compact() const;
    int expand(const VnString& text);
    void _display(int depth);

    int type() override;

private:
    VnString _filter(const VnString& s) const;
    int _expand(const VnString& text, int& pos);
    void _expand_name(const VnString& text, int& pos);
    void _expand_value(const VnString& text, int& pos);

    VnString _name;
    VnString _value;
    VnPackageList _children;
};

// Writes n blanks to standard output.
void _vn_space(int n);

#endif
