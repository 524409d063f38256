#ifndef VN_BASE_VNHASH_H
#define VN_BASE_VNHASH_H

#include <memory>
#include <utility>

#include "base/VnBaseHash.h"
#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnString.h"

// The packing of a string-keyed hash, shared by VnHash (values on the heap) and VnDataHash
// (values held in the table).
//
// Binary form: the number of entries as an int field under tag 1, then per entry the key as a
// string field under tag 10 and the value under tag 30. XML form: per entry a "key" text
// element and an "element" element; the reader finds the pairs again as "key"/"element",
// "key1"/"element1", ... A value nested deeper than MAX_NESTING is left out by the writers,
// its key is not: both readers keep the key with a value as constructed. (All values of a
// hash lie at one level, so either all of them are left out or none, and the n-th key never
// meets another key's "element".) Pairs are written in slot order, which depends on how the table
// grew, so equal hashes may write them in different orders. Either reader stores each pair
// with set, keeping the entries already held (a repeated key keeps the later value).
//
// Hash is the packable hash. It answers writtenValue(slot), the value of an occupied slot to
// write or null when the entry is not written, and readPair(read), which makes an empty key
// and a default value, lets read fill them and stores the pair.
template <class Hash>
class VnHashPacking {
public:
    static void encode(Hash& hash);
    static void decode(Hash& hash);
    static void encodeXML(Hash& hash);
    static void decodeXML(Hash& hash);

    // Charges the table that a new hash starts with to the read in progress; each table that
    // replaces it as it grows is charged through _tableAllocating.
    static void chargeTable(Hash& hash) { VnPack::_charge(sizeof(hash.slots[0]) * std::size_t(hash.size)); }

private:
    // Calls write with every written entry in slot order; the walk ends after the last entry.
    template <class Write>
    static void eachEntry(Hash& hash, Write write);
};

template <class Hash>
template <class Write>
void VnHashPacking<Hash>::eachEntry(Hash& hash, Write write) {
    int met = 0;
    for (int s = 0; s < hash.size && met < hash.count; ++s) {
        if (!hash.occupied(s)) continue;
        ++met;
        if (auto* value = hash.writtenValue(s)) write(*hash.keytable[s], *value);
    }
}

template <class Hash>
void VnHashPacking<Hash>::encode(Hash& hash) {
    hash.store(1, hash.count);
    eachEntry(hash, [&hash](VnString& key, auto& value) {
        hash.store(10, key);
        hash.store(30, value);
    });
}

// Pairs are taken by position: a pair starts at the next field, a key field giving its key and
// any other field leaving the key empty, and its value is the field after that, which a field
// of the wrong tag or type leaves as constructed. A key field is never taken as a value: a key
// followed by another key has no value field (the writers leave out a value nested deeper than
// MAX_NESTING, with its field), so the first key is kept with the value as constructed and the
// second starts the next pair, and the keys read back as in the XML form. Where every field is
// a key or its value in turn, this is the reading of the fields two by two, as earlier readers
// took them; elsewhere it is not: where a stray field stands at the start of a pair and a key
// follows it, the first pair keeps an empty key and the next pair starts at that key. Count 2,
// a tag-99 string, key "a", value 5 read {"": 0, "a": 5}, where two by two they read {"": 0}.
// At most count pairs are read, and every pair takes a field header of its own, so the count
// cannot make the hash outgrow its data.
template <class Hash>
void VnHashPacking<Hash>::decode(Hash& hash) {
    int n = 0;
    hash.restore(1, n);
    bool keyAhead = false;  // the current field is a key that no pair has taken yet
    for (int k = 0; k < n && (keyAhead || hash._readtag()); ++k) {
        keyAhead = false;
        hash.readPair([&hash, &keyAhead](VnString& key, auto& value) {
            hash.restore(10, key);
            hash._yank();
            if (!hash._readtag()) return;
            keyAhead = hash.fieldtag == 10 && hash.fieldtype == vn_pack::kString;
            if (!keyAhead) hash.restore(30, value);
        });
        if (!keyAhead) hash._yank();
    }
}

template <class Hash>
void VnHashPacking<Hash>::encodeXML(Hash& hash) {
    const VnString keyName("key");
    const VnString elementName("element");
    eachEntry(hash, [&](VnString& key, auto& value) {
        hash.storeXML(keyName, key);
        hash.storeXML(elementName, value);
    });
}

// The first pair whose key is missing ends the reading, even when later pairs are present.
template <class Hash>
void VnHashPacking<Hash>::decodeXML(Hash& hash) {
    VnPackObj* node = hash.xmlnode;
    if (!node) return;
    const std::string_view keyName = "key";
    const std::string_view elementName = "element";
    for (int n = 0; node->variables().get(keyName, n) || node->elements().get(keyName, n); ++n) {
        hash.readPair([&](VnString& key, auto& value) {
            hash._restoreXML(keyName, n, key);
            hash._restoreXML(elementName, n, value);
        });
    }
}

// An owning string-keyed hash (VnBaseHash) that is also a packable object (VnPack), packed as
// VnHashPacking says. An entry whose value is null counts towards the number of entries but
// is not written.
//
// T is VnString, packed as a string field or text element, or a class derived from VnPack
// with a default constructor, packed as a nested object.
//
// type() and typeXML() stay pure: a typed hash (VN_DECLARE_HASH below) fixes them.
template <class T>
class VnHash : public VnBaseHash<T>, public VnPack {
public:
    VnHash() { VnHashPacking<VnHash<T>>::chargeTable(*this); }
    // An empty hash with its own packing state, then a deep copy of other's entries.
    VnHash(const VnHash<T>& other);
    // Takes other's entries without allocating; other is left empty, and the packing state
    // stays with each hash.
    VnHash(VnHash<T>&& other) noexcept : VnBaseHash<T>(std::move(other)), VnPack() {}
    ~VnHash() override = default;

    // Only a typed class answers these.
    int type() override = 0;
    VnString typeXML() override = 0;

    // Copies the entries deeply; each hash keeps its own packing state.
    VnHash<T>& operator=(const VnHash<T>& other);
    VnHash<T>& operator=(VnHash<T>&& other) noexcept {
        VnBaseHash<T>::operator=(std::move(other));
        return *this;
    }

    void encode() override { VnHashPacking<VnHash<T>>::encode(*this); }
    void decode() override { VnHashPacking<VnHash<T>>::decode(*this); }
    void encodeXML() override { VnHashPacking<VnHash<T>>::encodeXML(*this); }
    void decodeXML() override { VnHashPacking<VnHash<T>>::decodeXML(*this); }

    // The table has a private store of its own; these are the packing ones.
    using VnPack::restore;
    using VnPack::store;

private:
    friend class VnHashPacking<VnHash<T>>;

    void _tableAllocating(std::size_t bytes) override { _charge(bytes); }
    T* writtenValue(int slot) { return this->valuetable[slot]; }
    template <class Read>
    void readPair(Read read);
};

template <class T>
VnHash<T>::VnHash(const VnHash<T>& other) : VnBaseHash<T>(), VnPack() {
    VnHashPacking<VnHash<T>>::chargeTable(*this);
    this->copy(other);
}

template <class T>
VnHash<T>& VnHash<T>::operator=(const VnHash<T>& other) {
    VnBaseHash<T>::operator=(other);
    VnPack::operator=(other);
    return *this;
}

template <class T>
template <class Read>
void VnHash<T>::readPair(Read read) {
    _charge(sizeof(VnString) + sizeof(T), 2);
    std::unique_ptr<VnString> key(new VnString());
    std::unique_ptr<T> value(new T());
    read(*key, *value);
    this->set(value.get(), key.get());
    value.release();
    key.release();
}

// Defines the typed hash class Name of Element values with its class number and XML name.
#define VN_DECLARE_HASH(Name, Element, Number, XmlName) \
    VN_DECLARE_TYPED_PACK(Name, VnHash<Element>, Number, XmlName)

#endif
