#ifndef VN_BASE_VNHELDOBJECT_H
#define VN_BASE_VNHELDOBJECT_H

#include "base/VnPack.h"

// An object of any class that a record owns and carries in one field of its fields() list, as
// a message carries its content. The binary form writes it as a nested object, only when there
// is one; reading the field makes a new object with the maker given at construction from the
// class number that starts the field, and a class the maker does not know leaves the object as
// it was. The XML form names no class, so XML is read only into an object already held.
//
// The holder owns what it holds, so an object must not hold itself, nor an object that holds
// it however far down: deleting such a cycle deletes an object twice.
class VnHeldObject {
public:
    explicit VnHeldObject(VnPack* (*make)(int type));
    // Deletes the object held. However deep a chain of held objects runs, the stack does not
    // grow with it: while one deletion is in progress on a thread, the objects held by what it
    // deletes wait, and it deletes them one after another. This holds at any time, also for a
    // holder with static or thread storage destroyed at program or thread exit.
    ~VnHeldObject();
    // The object is owned, so the holder is not copied.
    VnHeldObject(const VnHeldObject&) = delete;
    VnHeldObject& operator=(const VnHeldObject&) = delete;

    // The object held, null when there is none.
    VnPack* get() const;
    // Holds object from now on, deleting the one held before (unless it is the same) as the
    // destructor does.
    void set(VnPack* object);

    // The field's part of encode, decode, encodeXML and decodeXML of the record pack.
    void store(VnPack& pack, short tag) const;
    void restore(VnPack& pack, short tag);
    void storeXML(VnPack& pack, const char* name) const;
    void restoreXML(VnPack& pack, const char* name) const;

private:
    VnPack* (*_make)(int type);
    VnPack* _object;
};

#endif  // VN_BASE_VNHELDOBJECT_H
