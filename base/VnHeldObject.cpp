#include "base/VnHeldObject.h"

VnHeldObject::VnHeldObject(VnPack* (*make)(int type)) : _make(make), _object(nullptr) {}

VnHeldObject::~VnHeldObject() {
    delete _object;
}

VnPack* VnHeldObject::get() const {
    return _object;
}

void VnHeldObject::set(VnPack* object) {
    if (object == _object) return;
    delete _object;
    _object = object;
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
