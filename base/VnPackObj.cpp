#include "base/VnPackObj.h"

#include <expat.h>

#include <cstring>
#include <new>

#include "base/VnPack.h"
#include "base/VnTypes.h"

namespace {

const int kMaxNesting = VnPack::MAX_NESTING;

const char kObject[] = "object";
// The name of a node between elements.
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

}  // namespace

// ---------------------------------------------------------------- handlers

void VnPackStartElement(void* data, const char* name, const char** /*attributes*/) {
    guarded(data, [name](VnPackObjList& stack) {
        if (std::strcmp(name, kObject) == 0) {
            // The stack holds the root below the open blocks.
            if (stack.length() - 1 > kMaxNesting) return refuse(stack);
            std::unique_ptr<VnPackObj> node(new VnPackObj());
            if (!stack.push(node.get())) throw std::bad_alloc();
            node.release();
        } else if (VnPackObj* top = stack.top()) {
            top->name() = name;
            top->cache().clear();
        }
    });
}

void VnPackData(void* data, const char* text, int length) {
    guarded(data, [text, length](VnPackObjList& stack) {
        // The parser may report one text in several pieces.
        if (VnPackObj* top = stack.top()) top->cache().append(text, length);
    });
}

void VnPackEndElement(void* data, const char* name) {
    guarded(data, [name](VnPackObjList& stack) {
        if (std::strcmp(name, kObject) != 0) {
            if (VnPackObj* top = stack.top()) top->addVariable();
            return;
        }
        if (stack.length() < 2) return;  // the root is never closed
        std::unique_ptr<VnPackObj> node(stack.pop());
        stack.top()->addElement(node.get());
        node.release();
    });
}

// ---------------------------------------------------------------- nodes

VnPackObjHash::VnPackObjHash() = default;

VnPackObjHash::~VnPackObjHash() = default;

VnPackObj::VnPackObj() : nameText(kUnnamed) {}

// Children are moved onto a list of pending nodes and deleted one by one, each
// after its own children were moved, so no destructor recurses deeper than
// one level.
VnPackObj::~VnPackObj() {
    VnBaseList<VnPackObj> pending;
    detachChildren(pending);
    while (VnPackObj* node = pending.pop()) {
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

void VnPackObj::detachChildren(VnBaseList<VnPackObj>& out) {
    VnBaseList<VnPackObj> children;
    elementsHash.values(children);
    elementsHash.release();
    for (int i = 0; i < children.length(); ++i) {
        VnPackObj* child = children.get(i);
        if (!out.push(child)) delete child;  // out of memory: delete it here instead
    }
    children.release();
}

// The name itself when hash does not hold it, else the name followed by the
// first number from 1 on that it does not hold. The search starts where the
// last one for this name ended: keys are never removed while a tree grows.
template <class Hash>
VnString VnPackObj::freeKey(Hash& hash, Suffixes& suffixes, const VnString& name) {
    if (!hash.get(name)) return name;
    if (!suffixes) suffixes.reset(new VnSimpleHash<int>());
    int suffix = suffixes->get(name);
    if (suffix < 1) suffix = 1;
    VnString key;
    for (;; ++suffix) {
        key = name;
        key += suffix;
        if (!hash.get(key)) break;
    }
    suffixes->set(suffix + 1, name);
    return key;
}

// Stores a closed object block under the name of the element around it.
void VnPackObj::addElement(VnPackObj* child) {
    elementsHash.set(child, freeKey(elementsHash, elementSuffixes, nameText));
}

// Stores the text of a closed scalar element under its name.
void VnPackObj::addVariable() {
    const VnString key = freeKey(variablesHash, variableSuffixes, nameText);
    std::unique_ptr<VnString> text(new VnString(cacheText));
    variablesHash.set(text.get(), key);
    text.release();
    cacheText.clear();
    nameText = kUnnamed;
}

VnPackObjList::VnPackObjList() = default;

VnPackObjList::~VnPackObjList() = default;
