#ifndef VN_BASE_VNPACKOBJ_H
#define VN_BASE_VNPACKOBJ_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VnBase.h"
#include "base/VnBaseList.h"
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
// takes the subtree apart without recursion, however deep it is. Nodes are
// never copied.
class VnPackObj : public VnBase {
public:
    VnPackObj();
    VnPackObj(const VnPackObj&) = delete;
    ~VnPackObj() override;

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
    void detachChildren(VnBaseList<VnPackObj>& out);

    // The texts of the closed scalar elements one after another, then the
    // text of the element being read.
    std::string buffer;
    // Made when the first text or block closes.
    std::unique_ptr<VnPackNames<Span>> texts;
    std::unique_ptr<VnPackNames<VnPackObj*>> children;  // owned
};

// An owning list of nodes: the reader's stack, the root below the open
// blocks. The reader sets `parser` so that the handlers can stop a document
// that they refuse.
class VnPackObjList : public VnBaseList<VnPackObj> {
public:
    VnPackObjList();
    ~VnPackObjList() override;

    // Puts node on top as the block being read, and the stack then owns it;
    // on std::bad_alloc it does not.
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

        std::string name;
        bool named = false;
        int textStart = 0;     // where the text of the element being read begins
        int openElements = 0;  // scalar elements open inside the block
    };
    std::vector<Frame> frames;
};

#endif  // VN_BASE_VNPACKOBJ_H
