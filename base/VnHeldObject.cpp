#include "base/VnHeldObject.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

namespace {

// The held objects whose deletion waits for the one in progress on this thread. A held object
// may hold another object, which holds another, and so on to any depth: deleting each one
// inside its holder's destructor would nest one call per level. So only the outermost
// deletion deletes; the objects met meanwhile wait here and are deleted one after another.
//
// The queue is plain data that the runtime neither constructs nor destroys, so it is whole at
// any point of program or thread exit: a holder with static or thread storage may be destroyed
// after every destructor that the runtime registered. Few objects wait at a time as a rule (a
// chain makes one wait at a time) and take the inline slots; more (the held objects of a long
// list) go to a heap buffer that is freed when the outermost deletion ends, so the queue keeps
// nothing between deletions and leaves nothing behind when its thread ends.
struct Deletions {
    static constexpr std::size_t kInline = 32;
    bool running;
    std::size_t waiting;     // objects waiting
    std::size_t spillSlots;  // slots of spill
    VnPack* slots[kInline];  // the first waiting objects
    VnPack** spill;          // the ones after them, or null
};
static_assert(std::is_trivially_destructible_v<Deletions> && std::is_trivially_constructible_v<Deletions>);

thread_local Deletions deletions;  // zero: not running, nothing waiting

VnPack*& slot(Deletions& d, std::size_t i) {
    return i < Deletions::kInline ? d.slots[i] : d.spill[i - Deletions::kInline];
}

// Makes room for one more waiting object; false when the memory for it cannot be had.
bool roomForOne(Deletions& d) {
    if (d.waiting < Deletions::kInline + d.spillSlots) return true;
    const std::size_t grown = d.spillSlots == 0 ? Deletions::kInline : 2 * d.spillSlots;
    if (grown > PTRDIFF_MAX / sizeof(VnPack*)) return false;
    auto** bigger = static_cast<VnPack**>(::operator new(grown * sizeof(VnPack*), std::nothrow));
    if (bigger == nullptr) return false;
    if (d.spillSlots > 0) std::memcpy(bigger, d.spill, d.spillSlots * sizeof(VnPack*));
    ::operator delete(d.spill);
    d.spill = bigger;
    d.spillSlots = grown;
    return true;
}

void dispose(VnPack* object) {
    if (object == nullptr) return;
    Deletions& d = deletions;
    if (d.running) {
        if (roomForOne(d)) {
            slot(d, d.waiting++) = object;
        } else {
            delete object;  // no room to wait: deleted at once, one call deeper
        }
        return;
    }
    d.running = true;
    delete object;
    while (d.waiting > 0) {
        VnPack* const next = slot(d, --d.waiting);
        delete next;
    }
    ::operator delete(d.spill);
    d.spill = nullptr;
    d.spillSlots = 0;
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
