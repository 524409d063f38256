#ifndef VN_BASE_VNDATAHASH_H
#define VN_BASE_VNDATAHASH_H

#include <memory>

#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnSimpleHash.h"
#include "base/VnString.h"

// A string-keyed hash of plain values (VnSimpleHash) that is also a packable object (VnPack).
// It packs exactly like VnHash: the number of entries under tag 1, then per entry the key under
// tag 10 and the value under tag 30 (an int field for int); in XML, "key" and "element" pairs.
// A value whose field or element is missing is stored as T() (0 for int).
//
// type() and typeXML() stay pure: a typed hash fixes them.
template <class T>
class VnDataHash : public VnSimpleHash<T>, public VnPack
{
public:
    VnDataHash() = default;
    ~VnDataHash() override = default;

    void encode() override;
    void decode() override;
    void encodeXML() override;
    void decodeXML() override;

    // The table has a private store of its own; these are the packing ones.
    using VnPack::store;
    using VnPack::restore;

private:
    void setPair(T value, std::unique_ptr<VnString>& key);
    // Calls write with every entry in slot order.
    template <class F>
    void eachEntry(F write);
};

template <class T>
void VnDataHash<T>::setPair(T value, std::unique_ptr<VnString>& key)
{
    this->set(value, key.get());
    key.release();
}

template <class T>
template <class F>
void VnDataHash<T>::eachEntry(F write)
{
    int met = 0;
    for (int s = 0; s < this->size && met < this->count; ++s) {
        if (this->occupied(s)) {
            ++met;
            write(*this->keytable[s], this->valuetable[s]);
        }
    }
}

template <class T>
void VnDataHash<T>::encode()
{
    store(1, this->count);
    eachEntry([this](VnString& key, T& value) {
        store(10, key);
        store(30, value);
    });
}

// Pairs are taken by position, as in VnHash::decode.
template <class T>
void VnDataHash<T>::decode()
{
    int n = 0;
    restore(1, n);
    for (int k = 0; k < n && _readtag(); ++k) {
        std::unique_ptr<VnString> key(new VnString());
        restore(10, *key);
        _yank();
        _readtag();
        T value = T();
        restore(30, value);
        setPair(value, key);
        _yank();
    }
}

template <class T>
void VnDataHash<T>::encodeXML()
{
    const VnString keyName("key");
    const VnString elementName("element");
    eachEntry([&](VnString& key, T& value) {
        storeXML(keyName, key);
        storeXML(elementName, value);
    });
}

// The first pair whose key is missing ends the reading, even when later pairs are present.
template <class T>
void VnDataHash<T>::decodeXML()
{
    if (!xmlnode)
        return;
    VnString keyName("key");
    VnString elementName("element");
    for (int n = 1; xmlnode->variables().get(keyName) || xmlnode->elements().get(keyName); ++n) {
        std::unique_ptr<VnString> key(new VnString());
        restoreXML(keyName, *key);
        T value = T();
        restoreXML(elementName, value);
        setPair(value, key);
        keyName = "key";
        keyName += n;
        elementName = "element";
        elementName += n;
    }
}

#endif
