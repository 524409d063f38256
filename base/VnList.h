#ifndef VN_BASE_VNLIST_H
#define VN_BASE_VNLIST_H

#include <memory>
#include <new>
#include <utility>

#include "base/VnBaseList.h"
#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnString.h"

// An owning list (VnBaseList) that is also a packable object (VnPack).
//
// Binary form: the element count as an int field under tag 1, then every element under tag 10,
// first to last. XML form: every element as a child named "item"; the reader finds them again
// as "item", "item1", "item2", ... Either reader appends to the elements already held.
//
// T is VnString, packed as a string field or text element, or a class derived from VnPack
// with a default constructor, packed as a nested object. The overloads of store, restore,
// storeXML and restoreXML choose between the two.
//
// type() and typeXML() stay pure: a typed list (VN_DECLARE_LIST below) fixes them.
template <class T>
class VnList : public VnBaseList<T>, public VnPack {
public:
    VnList() = default;
    // Takes other's elements without allocating; other is left empty, and the packing state
    // stays with each list.
    VnList(VnList<T>&& other) noexcept : VnBaseList<T>(std::move(other)), VnPack() {}
    ~VnList() override = default;

    // Only a typed class answers these.
    int type() override = 0;
    VnString typeXML() override = 0;

    // Copies the elements deeply; each list keeps its own packing state.
    VnList<T>& operator=(const VnList<T>& other);
    VnList<T>& operator=(VnList<T>&& other) noexcept;

    void encode() override;
    void decode() override;
    void encodeXML() override;
    void decodeXML() override;

private:
    // A new element for the read in progress, charged to its budget: its own block here, and
    // whatever its construction allocates by the parts that allocate it.
    static std::unique_ptr<T> made() {
        _charge(sizeof(T));
        return std::unique_ptr<T>(new T());
    }
    // Hands a new element of the read in progress to the list, which owns it from then on; a
    // slot array that must grow for it is charged first.
    void append(std::unique_ptr<T>& element);
    // Calls write with every element in order. A null slot is written as a default element,
    // so the count written stays true.
    template <class F>
    void eachElement(F write);
};

template <class T>
VnList<T>& VnList<T>::operator=(const VnList<T>& other) {
    VnBaseList<T>::operator=(other);
    VnPack::operator=(other);
    return *this;
}

template <class T>
VnList<T>& VnList<T>::operator=(VnList<T>&& other) noexcept {
    VnBaseList<T>::operator=(std::move(other));
    return *this;
}

template <class T>
void VnList<T>::append(std::unique_ptr<T>& element) {
    if (const long long slots = this->slotsForPush()) _charge(std::size_t(slots) * sizeof(T*));
    if (!this->push(element.get())) throw std::bad_alloc();
    element.release();
}

template <class T>
template <class F>
void VnList<T>::eachElement(F write) {
    for (int i = 0; i < this->length(); ++i) {
        if (T* element = this->get(i)) {
            write(*element);
        } else {
            T blank;
            write(blank);
        }
    }
}

template <class T>
void VnList<T>::encode() {
    store(1, this->length());
    eachElement([this](T& element) { store(10, element); });
}

// Called for each field header of the list's run; the count field starts the reading of the
// elements. Every element takes a field header of its own, so the count cannot make the list
// outgrow its data.
template <class T>
void VnList<T>::decode() {
    int count = 0;
    restore(1, count);
    for (int taken = 0; taken < count && _readtag(); ++taken) {
        std::unique_ptr<T> element = made();
        restore(10, *element);
        append(element);
        _yank();
    }
}

template <class T>
void VnList<T>::encodeXML() {
    const VnString name("item");
    eachElement([this, &name](T& element) { storeXML(name, element); });
}

// Each item is looked up once: as a text for strings, as a block for objects. An item that
// stands in the other form (a block among strings, say) is read as a default element; the
// first name that is neither ends the list.
template <class T>
void VnList<T>::decodeXML() {
    if (!xmlnode) return;
    const std::string_view name = "item";
    for (int n = 0;; ++n) {
        std::unique_ptr<T> element = made();
        if (!_restoreXML(name, n, *element) && !xmlnode->elements().get(name, n) &&
            !xmlnode->variables().get(name, n))
            break;
        append(element);
    }
}

// Defines the typed list class Name of Element elements with its class number and XML name.
#define VN_DECLARE_LIST(Name, Element, Number, XmlName) \
    VN_DECLARE_TYPED_PACK(Name, VnList<Element>, Number, XmlName)

#endif
