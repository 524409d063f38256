#ifndef VN_BASE_VNPACKOBJ_H
#define VN_BASE_VNPACKOBJ_H

#include <memory>

#include "base/VnBase.h"
#include "base/VnBaseHash.h"
#include "base/VnBaseList.h"
#include "base/VnSimpleHash.h"
#include "base/VnString.h"

class VnPackObj;
struct XML_ParserStruct;

// The child nodes of a node, keyed by the name of the element that encloses
// each nested object block. The hash owns the nodes.
class VnPackObjHash : public VnBaseHash<VnPackObj> {
public:
    VnPackObjHash();
    ~VnPackObjHash() override;
};

// The handlers through which the XML parser builds the tree of nodes. Their
// user data is the reader's stack, a VnPackObjList, and they act on the node
// on top of it.
void VnPackStartElement(void* data, const char* name, const char** attributes);
void VnPackData(void* data, const char* text, int length);
void VnPackEndElement(void* data, const char* name);

// One node of the tree that the XML reader builds: one object block with the
// texts of its scalar elements and its nested object blocks. A node owns its
// subtree, and deleting it takes the subtree apart without recursion, however
// deep it is. Nodes are never copied.
class VnPackObj : public VnBase {
public:
    VnPackObj();
    VnPackObj(const VnPackObj&) = delete;
    ~VnPackObj() override;

    int type() override;
    virtual void copy(const VnPackObj& other);
    VnPackObj& operator=(const VnPackObj& other);

    VnPackObjHash& elements() { return elementsHash; }
    VnBaseHash<VnString>& variables() { return variablesHash; }
    VnString& cache() { return cacheText; }
    VnString& name() { return nameText; }

private:
    friend void VnPackEndElement(void* data, const char* name);

    using Suffixes = std::unique_ptr<VnSimpleHash<int>>;

    void addElement(VnPackObj* child);
    void addVariable();
    void detachChildren(VnBaseList<VnPackObj>& out);
    template <class Hash>
    static VnString freeKey(Hash& hash, Suffixes& suffixes, const VnString& name);

    VnPackObjHash elementsHash;
    VnBaseHash<VnString> variablesHash;
    VnString cacheText;
    VnString nameText;
    // Per element name, the first numeric suffix not yet known to be taken,
    // so that many repeated names are numbered in linear time. Made when a
    // name first repeats.
    Suffixes elementSuffixes;
    Suffixes variableSuffixes;
};

// An owning list of nodes: the reader's stack. The reader sets `parser` so
// that the handlers can stop a document that they refuse.
class VnPackObjList : public VnBaseList<VnPackObj> {
public:
    VnPackObjList();
    ~VnPackObjList() override;

    XML_ParserStruct* parser = nullptr;
};

#endif  // VN_BASE_VNPACKOBJ_H
