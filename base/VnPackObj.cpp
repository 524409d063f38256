#include "base/VnPackObj.h"

#include <expat.h>

#include <climits>
#include <cstring>
#include <new>
#include <string_view>

#include "base/VnPack.h"
#include "base/VnTypes.h"

namespace {

const int kMaxNesting = VnPack::MAX_NESTING;

const char kObject[] = "object";
// The name that an element closing in a block is filed under when no scalar
// element has started since the last one closed.
const char kUnnamed[] = "undef_obj";

// Stops the parse of a refused document; the reader then answers 4.
void refuse(VnPackObjList& stack) {
    if (stack.parser) XML_StopParser(stack.parser, XML_FALSE);
}

// Runs one handler step. No exception may pass through the parser: one that
// is raised while a parser runs refuses the document instead.
template <class Step>
void guarded(void* data, Step step) {
    VnPackObjList& stack = *static_cast<VnPackObjList*>(data);
    try {
        step(stack);
    } catch (...) {
        if (!stack.parser) throw;
        refuse(stack);
    }
}

// Makes the table that held points to when there is none yet, charged to the
// read in progress like every block of the tree.
template <class Table>
void makeTable(std::unique_ptr<Table>& held) {
    if (held) return;
    VnPack::_charge(sizeof(Table));
    held.reset(new Table());
}

// Most element names differ from "object" in their first byte.
bool isObject(const char* name) {
    return name[0] == kObject[0] && std::strcmp(name, kObject) == 0;
}

}  // namespace

// ---------------------------------------------------------------- handlers

// An object block opens a node. Any other element starts a text of the open
// block: it names what closes next and drops the text read since the last
// element closed. Scalar elements nest in a block no deeper than blocks do.
void VnPackStartElement(void* data, const char* name, const char** /*attributes*/) {
    guarded(data, [name](VnPackObjList& stack) {
        if (isObject(name)) {
            // The stack holds the root below the open blocks.
            if (stack.length() - 1 > kMaxNesting) return refuse(stack);
            std::unique_ptr<VnPackObj> node(new VnPackObj());
            stack.open(node.get());
            node.release();
            return;
        }
        VnPackObj* top = stack.top();
        if (!top) return;
        VnPackObjList::Frame& frame = stack.frames.back();
        if (frame.openElements == kMaxNesting) return refuse(stack);
        ++frame.openElements;
        if (frame.name != name) frame.name = name;  // names mostly repeat: keep the copy
        frame.named = true;
        top->buffer.resize(static_cast<std::size_t>(frame.textStart));
    });
}

void VnPackData(void* data, const char* text, int length) {
    guarded(data, [text, length](VnPackObjList& stack) {
        VnPackObj* top = stack.top();
        if (!top || length <= 0) return;
        // Offsets are ints; a document of int length never needs more.
        if (top->buffer.size() > static_cast<std::size_t>(INT_MAX - length)) throw std::bad_alloc();
        top->buffer.append(text, static_cast<std::size_t>(length));
    });
}

// A closing block is filed in its parent under the parent's current name,
// which stays; a closing scalar element files its text under the current
// name, which then goes back to "undef_obj".
void VnPackEndElement(void* data, const char* name) {
    guarded(data, [name](VnPackObjList& stack) {
        VnPackObj* top = stack.top();
        if (!top) return;
        if (!isObject(name)) {
            VnPackObjList::Frame& frame = stack.frames.back();
            top->addText(frame.key(), frame.textStart);
            frame.textStart = static_cast<int>(top->buffer.size());
            frame.named = false;
            if (frame.openElements > 0) --frame.openElements;
            return;
        }
        if (stack.length() < 2) return;  // the root is never closed
        std::unique_ptr<VnPackObj> node(stack.pop());
        stack.frames.pop_back();
        stack.top()->addChild(stack.frames.back().key(), node.get());
        node.release();
    });
}

// ---------------------------------------------------------------- nodes

VnPackObj::VnPackObj() = default;

// Children are moved onto a chain of pending nodes and deleted one by one,
// each after its own children were moved, so no destructor recurses deeper
// than one level, and taking a tree apart allocates nothing.
VnPackObj::~VnPackObj() {
    VnPackObj* pending = nullptr;
    detachChildren(pending);
    while (VnPackObj* node = pending) {
        pending = node->nextPending;
        node->detachChildren(pending);
        delete node;
    }
}

int VnPackObj::type() {
    return VN_TYPE_PACK_OBJ;
}

void VnPackObj::copy(const VnPackObj&) {}

VnPackObj& VnPackObj::operator=(const VnPackObj& other) {
    copy(other);
    return *this;
}

VnPackObj* VnPackObj::Elements::get(const VnString& key) const {
    return get(vnKeyView(key), 0);
}

VnPackObj* VnPackObj::Elements::get(std::string_view name, int n) const {
    VnPackObj** child = node.children && n >= 0 ? node.children->find(name, std::size_t(n)) : nullptr;
    return child ? *child : nullptr;
}

VnPackText VnPackObj::Variables::get(const VnString& key) const {
    return get(vnKeyView(key), 0);
}

VnPackText VnPackObj::Variables::get(std::string_view name, int n) const {
    const Span* span = node.texts && n >= 0 ? node.texts->find(name, std::size_t(n)) : nullptr;
    if (!span) return VnPackText();
    return VnPackText{node.buffer.data() + span->offset, span->length};
}

void VnPackObj::detachChildren(VnPackObj*& pending) {
    if (!children) return;
    children->forEach([&pending](VnPackObj* child) {
        child->nextPending = pending;
        pending = child;
    });
    children.reset();
}

// Files the text from offset to the end of the buffer under name.
void VnPackObj::addText(std::string_view name, int offset) {
    makeTable(texts);
    texts->add(name, Span{offset, static_cast<int>(buffer.size()) - offset});
}

// Files a closed block under name; the node owns it once it is filed.
void VnPackObj::addChild(std::string_view name, VnPackObj* child) {
    makeTable(children);
    children->add(name, child);
}

// ---------------------------------------------------------------- the stack

std::string_view VnPackObjList::Frame::key() const {
    return named ? std::string_view(name) : std::string_view(kUnnamed);
}

VnPackObjList::VnPackObjList() = default;

VnPackObjList::~VnPackObjList() = default;

void VnPackObjList::open(VnPackObj* node) {
    if (const long long slots = slotsForPush()) VnPack::_charge(std::size_t(slots) * sizeof(VnPackObj*));
    frames.push_back(Frame());
    if (!push(node)) {
        frames.pop_back();
        throw std::bad_alloc();
    }
}
