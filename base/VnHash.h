#ifndef VN_BASE_VNHASH_H
#define VN_BASE_VNHASH_H

#include <memory>

#include "base/VnBaseHash.h"
#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnString.h"

// An owning string-keyed hash (VnBaseHash) that is also a packable object (VnPack).
//
// Binary form: the number of entries as an int field under tag 1, then per entry the key as a
// string field under tag 10 and the value under tag 30. XML form: per entry a "key" text
// element and an "element" element; the reader finds the pairs again as "key"/"element",
// "key1"/"element1", ... Pairs are written in slot order, which depends on how the table
// grew, so equal hashes may write them in different orders. Either reader stores each pair
// with set, keeping the entries already held (a repeated key keeps the later value).
//
// T is VnString, packed as a string field or text element, or a class derived from VnPack
// with a default constructor, packed as a nested object.
//
// type() and typeXML() stay pure: a typed hash (VN_DECLARE_HASH below) fixes them.
template <class T>
class VnHash : public VnBaseHash<T>, public VnPack
{
public:
    VnHash() = default;
    // An empty hash with its own packing state, then a deep copy of other's entries.
    VnHash(const VnHash<T>& other);
    ~VnHash() override = default;

    // Copies the entries deeply; each hash keeps its own packing state.
    VnHash<T>& operator=(const VnHash<T>& other);

    void encode() override;
    void decode() override;
    void encodeXML() override;
    void decodeXML() override;

    // The table has a private store of its own; these are the packing ones.
    using VnPack::store;
    using VnPack::restore;

private:
    void setPair(std::unique_ptr<T>& value, std::unique_ptr<VnString>& key);
    // Calls write with every entry in slot order. An entry whose value is null counts
    // towards the number of entries but is not written.
    template <class F>
    void eachEntry(F write);
};

template <class T>
VnHash<T>::VnHash(const VnHash<T>& other) : VnBaseHash<T>(), VnPack()
{
    this->copy(other);
}

template <class T>
VnHash<T>& VnHash<T>::operator=(const VnHash<T>& other)
{
    VnBaseHash<T>::operator=(other);
    VnPack::operator=(other);
    return *this;
}

template <class T>
void VnHash<T>::setPair(std::unique_ptr<T>& value, std::unique_ptr<VnString>& key)
{
    this->set(value.get(), key.get());
    value.release();
    key.release();
}

template <class T>
template <class F>
void VnHash<T>::eachEntry(F write)
{
    int met = 0;
    for (int s = 0; s < this->size && met < this->count; ++s) {
        if (!this->occupied(s))
            continue;
        ++met;
        if (T* value = this->valuetable[s])
            write(*this->keytable[s], *value);
    }
}

template <class T>
void VnHash<T>::encode()
{
    store(1, this->count);
    eachEntry([this](VnString& key, T& value) {
        store(10, key);
        store(30, value);
    });
}

// A pair is the next two fields, taken by position; a field of the wrong tag or type leaves
// the key empty or the value as constructed. Every pair takes a field header of its own, so
// the count cannot make the hash outgrow its data.
template <class T>
void VnHash<T>::decode()
{
    int n = 0;
    restore(1, n);
    for (int k = 0; k < n && _readtag(); ++k) {
        std::unique_ptr<VnString> key(new VnString());
        restore(10, *key);
        _yank();
        _readtag();
        std::unique_ptr<T> value(new T());
        restore(30, *value);
        setPair(value, key);
        _yank();
    }
}

template <class T>
void VnHash<T>::encodeXML()
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
void VnHash<T>::decodeXML()
{
    if (!xmlnode)
        return;
    VnString keyName("key");
    VnString elementName("element");
    for (int n = 1; xmlnode->variables().get(keyName) || xmlnode->elements().get(keyName); ++n) {
        std::unique_ptr<VnString> key(new VnString());
        restoreXML(keyName, *key);
        std::unique_ptr<T> value(new T());
        restoreXML(elementName, *value);
        setPair(value, key);
        keyName = "key";
        keyName += n;
        elementName = "element";
        elementName += n;
    }
}

// Defines the typed hash class Name of Element values with its class number and XML name.
// Everything is inline, so the line may stand in a header that many sources include.
#define VN_DECLARE_HASH(Name, Element, Number, XmlName)               \
    class Name : public VnHash<Element>                               \
    {                                                                 \
    public:                                                           \
        Name() = default;                                             \
        ~Name() override = default;                                   \
        int type() override { return Number; }                        \
        VnString typeXML() override { return VnString(XmlName); }     \
    };

#endif
