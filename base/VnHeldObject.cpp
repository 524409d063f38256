#include "base/VnHeldObject.h"

#include <new>
#include <vector>

namespace {

// The held objects whose deletion waits for the one in progress on this thread. A held object
// may hold another object, which holds another, and so on to any depth: deleting each one
// inside its holder's destructor would nest one call per level. So only the outermost
// deletion deletes; the objects met meanwhile wait here and are deleted one after another.
struct Deletions {
    bool running = false;
    std::vector<VnPack*> waiting;
};

thread_local Deletions deletions;

// Waiting objects are few at a time (those that one object holds), so a long queue is rare.
constexpr std::size_t kKeptCapacity = 256;

void dispose(VnPack* object) {
    if (object == nullptr) return;
    Deletions& d = deletions;
    if (d.running) {
        try {
            d.waiting.push_back(object);
            return;
        } catch (const std::bad_alloc&) {
            delete object;  // no room to wait: deleted at once, one call deeper
            return;
        }
    }
    d.running = true;
    delete object;
    while (!d.waiting.empty()) {
        VnPack* next = d.waiting.back();
        d.waiting.pop_back();
        delete next;
    }
    if (d.waiting.capacity() > kKeptCapacity) std::vector<VnPack*>().swap(d.waiting);
    d.running = false;
}

}  // namespace

VnHeldObject::VnHeldObject(VnPack* (*make)(int type)) : _make(make), _object(nullptr) {}

VnHeldObject::~VnHeldObject() {
    dispose(_object);
}

VnPack* VnHeldObject::get() const {
    return _object;
}

void VnHeldObject::set(VnPack* object) {
    if (object == _object) return;
    VnPack* const old = _object;
    _object = object;
    dispose(old);
}

void VnHeldObject::store(VnPack& pack, short tag) const {
    if (_object) pack.store(tag, *_object);
}

void VnHeldObject::restore(VnPack& pack, short tag) {
    if (VnPack* made = pack._restoreMade(tag, _make)) set(made);
}

void VnHeldObject::storeXML(VnPack& pack, const char* name) const {
    if (_object) pack.storeXML(name, *_object);
}

void VnHeldObject::restoreXML(VnPack& pack, const char* name) const {
    if (_object) pack.restoreXML(name, *_object);
}
