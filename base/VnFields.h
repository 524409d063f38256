#ifndef VN_BASE_VNFIELDS_H
#define VN_BASE_VNFIELDS_H

#include "base/VnHeldObject.h"
#include "base/VnPack.h"
#include "base/VnString.h"

// One description per record. A record lists each serialised field once, in write order, in
// a member template that hands every field to a visitor with its binary tag and XML name:
//
//     template <class Field>
//     void fields(Field field) {
//         field(1, "id", _id);
//         field(2, "sub_id", _subid);
//     }
//     VN_RECORD_PACKING
//
// VN_RECORD_PACKING defines encode, decode, encodeXML and decodeXML from that list; the type
// of each member picks the kind of field (int, char, unsigned char, float, string, nested
// object, an owned object of any class in a VnHeldObject). A record with a special case (a
// field written only when it is set) writes that slot itself beside the list and still walks
// the list with the visitors below. Copies come from the members: a record whose copy takes every
// field uses the member-wise assignment and says so; a partial copy is written out.

// Writes each field in the binary form.
struct VnFieldStore {
    VnPack& pack;
    template <class T>
    void operator()(short tag, const char*, T& value) const {
        pack.store(tag, value);
    }
    void operator()(short tag, const char*, VnHeldObject& value) const { value.store(pack, tag); }
};

// Reads the current binary field into the member whose tag it carries. The reader calls decode
// once per field, so the other members are passed over at the cost of one comparison.
struct VnFieldRestore {
    VnPack& pack;
    template <class T>
    void operator()(short tag, const char*, T& value) const {
        if (tag == pack._fieldtag()) pack.restore(tag, value);
    }
    void operator()(short tag, const char*, VnHeldObject& value) const {
        if (tag == pack._fieldtag()) value.restore(pack, tag);
    }
};

// Writes each field as an XML element.
struct VnFieldStoreXML {
    VnPack& pack;
    template <class T>
    void operator()(short, const char* name, T& value) const {
        pack.storeXML(name, value);
    }
    void operator()(short, const char* name, VnHeldObject& value) const { value.storeXML(pack, name); }
};

// Reads each field from its XML element; a missing element leaves the member as it was.
struct VnFieldRestoreXML {
    VnPack& pack;
    template <class T>
    void operator()(short, const char* name, T& value) const {
        pack.restoreXML(name, value);
    }
    void operator()(short, const char* name, VnHeldObject& value) const { value.restoreXML(pack, name); }
};

// The four packing slots of a record, each one walk of its fields().
#define VN_RECORD_PACKING                 \
    void encode() override {              \
        fields(VnFieldStore{*this});      \
    }                                     \
    void decode() override {              \
        fields(VnFieldRestore{*this});    \
    }                                     \
    void encodeXML() override {           \
        fields(VnFieldStoreXML{*this});   \
    }                                     \
    void decodeXML() override {           \
        fields(VnFieldRestoreXML{*this}); \
    }

#endif  // VN_BASE_VNFIELDS_H
