#ifndef VN_BASE_VNDATAHASH_H
#define VN_BASE_VNDATAHASH_H

#include <memory>
#include <utility>

#include "base/VnHash.h"
#include "base/VnPack.h"
#include "base/VnSimpleHash.h"
#include "base/VnString.h"

// A string-keyed hash of plain values (VnSimpleHash) that is also a packable object (VnPack).
// It packs exactly like VnHash (see VnHashPacking), the value under tag 30 as an int field for
// int. A value whose field or element is missing is stored as T() (0 for int).
//
// type() and typeXML() stay pure: a typed hash fixes them.
template <class T>
class VnDataHash : public VnSimpleHash<T>, public VnPack {
public:
    VnDataHash() { VnHashPacking<VnDataHash<T>>::chargeTable(*this); }
    // Takes other's entries without allocating; other is left empty, and the packing state
    // stays with each hash.
    VnDataHash(VnDataHash<T>&& other) noexcept : VnSimpleHash<T>(std::move(other)), VnPack() {}
    VnDataHash<T>& operator=(VnDataHash<T>&& other) noexcept {
        VnSimpleHash<T>::operator=(std::move(other));
        return *this;
    }
    ~VnDataHash() override = default;

    // Only a typed class answers these.
    int type() override = 0;
    VnString typeXML() override = 0;

    void encode() override { VnHashPacking<VnDataHash<T>>::encode(*this); }
    void decode() override { VnHashPacking<VnDataHash<T>>::decode(*this); }
    void encodeXML() override { VnHashPacking<VnDataHash<T>>::encodeXML(*this); }
    void decodeXML() override { VnHashPacking<VnDataHash<T>>::decodeXML(*this); }

    // The table has a private store of its own; these are the packing ones.
    using VnPack::restore;
    using VnPack::store;

private:
    friend class VnHashPacking<VnDataHash<T>>;

    void _tableAllocating(std::size_t bytes) override { _charge(bytes); }
    T* writtenValue(int slot) { return &this->slots[slot].value; }
    template <class Read>
    void readPair(Read read);
};

template <class T>
template <class Read>
void VnDataHash<T>::readPair(Read read) {
    _charge(sizeof(VnString));
    std::unique_ptr<VnString> key(new VnString());
    T value = T();
    read(*key, value);
    this->set(value, key.get());
    key.release();
}

#endif
