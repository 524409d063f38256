#ifndef VN_BASE_VNPACKOBJ_H
#define VN_BASE_VNPACKOBJ_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VnBase.h"
#include "base/VnBaseList.h"
#include "base/VnChargedAllocator.h"
#include "base/VnPack.h"
#include "base/VnPackNames.h"
#include "base/VnString.h"

class VnPackObj;
struct XML_ParserStruct;

// The text of a scalar element as the reader holds it: bytes inside the tree, valid while the
// tree lives, and their number. No bytes when there is no such element.
struct VnPackText {
    const char* bytes = nullptr;
    int length = 0;

    explicit operator bool() const { return bytes != nullptr; }
};

// The bytes of a key, as the tree looks keys up.
inline std::string_view vnKeyView(const VnString& key) {
    return std::string_view(key.value(), static_cast<std::size_t>(key.length()));
}

// Everything that the tree holds is allocated through VnChargedAllocator: each block it takes
// is charged to the read in progress, which so refuses a document whose tree would pass its
// budget. Outside a read it is a plain allocator.
using VnTreeString = std::basic_string<char, std::char_traits<char>, VnChargedAllocator<char>>;

// The handlers through which the XML parser builds the tree of nodes. Their
// user data is the reader's stack, a VnPackObjList, and they act on the node
// on top of it.
void VnPackStartElement(void* data, const char* name, const char** attributes);
void VnPackData(void* data, const char* text, int length);
void VnPackEndElement(void* data, const char* name);

// One node of the tree that the XML reader builds: one object block with the
// texts of its scalar elements and its nested object blocks, each filed under
// the name of its element (a block under the name of the element around it).
// Repeated names are numbered, texts and blocks apart: "item", "item1",
// "item2", ... (see VnPackNames). A node owns its subtree, and deleting it
// takes the subtree apart without recursion or allocation, however deep it
// is. Nodes are never copied. Everything a node allocates, itself included, is
// charged to the read in progress.
class VnPackObj : public VnBase {
public:
    VnPackObj();
    VnPackObj(const VnPackObj&) = delete;
    ~VnPackObj() override;

    // A node is made only by the reader; its block is charged to the read.
    static void* operator new(std::size_t size) {
        VnPack::_charge(size);
        return ::operator new(size);
    }
    static void operator delete(void* node) noexcept { ::operator delete(node); }

    int type() override;
    virtual void copy(const VnPackObj& other);
    VnPackObj& operator=(const VnPackObj& other);

    // The nested blocks and the texts, each looked up with get(): by key, or
    // as the n-th element named name (key name for n = 0, else name followed
    // by n), which needs no key to be made.
    class Elements {
    public:
        explicit Elements(VnPackObj& node) : node(node) {}
        VnPackObj* get(const VnString& key) const;
        VnPackObj* get(std::string_view name, int n) const;

    private:
        VnPackObj& node;
    };
    class Variables {
    public:
        explicit Variables(VnPackObj& node) : node(node) {}
        VnPackText get(const VnString& key) const;
        VnPackText get(std::string_view name, int n) const;

    private:
        VnPackObj& node;
    };
    Elements elements() { return Elements(*this); }
    Variables variables() { return Variables(*this); }

private:
    friend void VnPackStartElement(void* data, const char* name, const char** attributes);
    friend void VnPackData(void* data, const char* text, int length);
    friend void VnPackEndElement(void* data, const char* name);

    // Where a text lies in the buffer.
    struct Span {
        int offset;
        int length;
    };

    void addText(std::string_view name, int offset);
    void addChild(std::string_view name, VnPackObj* child);
    template <class V>
    using Names = VnPackNames<V, std::less<>, VnChargedAllocator<V>>;

    void detachChildren(VnPackObj*& pending);

    // The texts of the closed scalar elements one after another, then the
    // text of the element being read.
    VnTreeString buffer;
    // Made when the first text or block closes.
    std::unique_ptr<Names<Span>> texts;
    std::unique_ptr<Names<VnPackObj*>> children;  // owned
    // The next node to delete while a tree is taken apart.
    VnPackObj* nextPending = nullptr;
};

// An owning list of nodes: the reader's stack, the root below the open
// blocks. The reader sets `parser` so that the handlers can stop a document
// that they refuse.
class VnPackObjList : public VnBaseList<VnPackObj> {
public:
    VnPackObjList();
    ~VnPackObjList() override;

    // Puts node on top as the block being read, and the stack then owns it;
    // when this throws (std::bad_alloc, or a refused charge) it does not.
    void open(VnPackObj* node);

    XML_ParserStruct* parser = nullptr;

private:
    friend void VnPackStartElement(void* data, const char* name, const char** attributes);
    friend void VnPackEndElement(void* data, const char* name);

    // What the reader keeps of each open block.
    struct Frame {
        // The name that a closing element is filed under: that of the last
        // scalar element started, or "undef_obj" when one closed since.
        std::string_view key() const;

        VnTreeString name;
        bool named = false;
        int textStart = 0;     // where the text of the element being read begins
        int openElements = 0;  // scalar elements open inside the block
    };
    std::vector<Frame, VnChargedAllocator<Frame>> frames;
};

#endif  // VN_BASE_VNPACKOBJ_H
