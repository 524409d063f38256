#ifndef VN_BASE_VNBASELIST_H
#define VN_BASE_VNBASELIST_H

#include <climits>
#include <cstddef>
#include <memory>
#include <new>

// A growable array of pointers to heap objects that the list owns. It serves as an array
// (push, get, length, set, remove), a stack (push, pop, top) and a queue (push, shift).
//
// Clearing or destroying the list deletes its elements; shift, pop and remove hand an element
// to the caller, who then owns it; release forgets all elements without deleting them.
// The elements are the slots first to last; a slot may hold a null pointer.
//
// T needs a virtual destructor, and for copy() a default constructor and copy(const T&).
template <class T>
class VnBaseList {
public:
    VnBaseList() = default;
    VnBaseList(const VnBaseList&) = delete;  // lists are copied deeply, only by copy and operator=
    virtual ~VnBaseList();

    int push(T* p);
    T* get(int i) const;
    int length() const { return last - first + 1; }
    T* shift();
    T* pop();
    T* top();
    void release();
    void clear();
    void copy(const VnBaseList<T>& other);
    VnBaseList<T>& operator=(const VnBaseList<T>& other);
    T* remove(int i);
    int set(T* p, int i);
    void sort(int (*cmp)(T*, T*));
    void _sort(int lo, int hi, int (*cmp)(T*, T*));

protected:
    T** data = nullptr;  // capacity slots, null until the first push
    int capacity = 0;    // only grows: 0, 1, 3, 7, 15, ...
    int last = -1;       // slot of the last element
    int first = 0;       // slot of the first element; slots below it were shifted out

private:
    int grow();
    int partition(int lo, int hi, int (*cmp)(T*, T*));
};

template <class T>
VnBaseList<T>::~VnBaseList() {
    clear();
    delete[] data;
}

// Doubles the slot array plus one, keeping every slot index. Answers 0, leaving the list
// as it was, when the array cannot be allocated or would pass INT_MAX slots.
template <class T>
int VnBaseList<T>::grow() {
    const long long wanted = 2LL * capacity + 1;
    if (wanted > INT_MAX) return 0;
    T** slots = new (std::nothrow) T*[static_cast<std::size_t>(wanted)]();
    if (!slots) return 0;
    for (int s = first; s <= last; ++s)
        slots[s] = data[s];
    delete[] data;
    data = slots;
    capacity = static_cast<int>(wanted);
    return 1;
}

// Growth depends on last, not on length: slots freed by shift are reused only after
// clear or release.
template <class T>
int VnBaseList<T>::push(T* p) {
    if (last + 1 >= capacity && !grow()) return 0;
    data[++last] = p;
    return 1;
}

template <class T>
T* VnBaseList<T>::get(int i) const {
    if (i < 0 || i >= length()) return nullptr;
    return data[first + i];
}

template <class T>
T* VnBaseList<T>::shift() {
    if (length() <= 0) return nullptr;
    return data[first++];
}

template <class T>
T* VnBaseList<T>::pop() {
    if (length() <= 0) return nullptr;
    return data[last--];
}

template <class T>
T* VnBaseList<T>::top() {
    if (length() <= 0) return nullptr;
    return data[last];
}

template <class T>
void VnBaseList<T>::release() {
    first = 0;
    last = -1;
}

template <class T>
void VnBaseList<T>::clear() {
    for (int s = first; s <= last; ++s)
        delete data[s];
    release();
}

// A null element of other is copied as a null. If an element cannot be made or stored, the
// exception passes to the caller and the elements copied so far stay in this list.
template <class T>
void VnBaseList<T>::copy(const VnBaseList<T>& other) {
    if (&other == this)  // clearing first would leave nothing to copy
        return;
    clear();
    for (int i = 0; i < other.length(); ++i) {
        const T* source = other.get(i);
        std::unique_ptr<T> element;
        if (source) {
            element.reset(new T());
            element->copy(*source);
        }
        if (!push(element.get())) throw std::bad_alloc();
        element.release();
    }
}

template <class T>
VnBaseList<T>& VnBaseList<T>::operator=(const VnBaseList<T>& other) {
    copy(other);
    return *this;
}

template <class T>
T* VnBaseList<T>::remove(int i) {
    if (i < 0 || i >= length()) return nullptr;
    const int s = first + i;
    T* removed = data[s];
    for (int k = s + 1; k <= last; ++k)
        data[k - 1] = data[k];
    --last;
    return removed;
}

// The element that stood at index i is not deleted; it is no longer the list's.
template <class T>
int VnBaseList<T>::set(T* p, int i) {
    if (i < 0 || i >= length()) return 0;
    data[first + i] = p;
    return 1;
}

template <class T>
void VnBaseList<T>::sort(int (*cmp)(T*, T*)) {
    if (length() > 1) _sort(first, last, cmp);
}

// Quicksort of slots lo to hi, both included. Not stable. The smaller side of each partition
// is sorted by recursion and the larger one by the loop, so the recursion stays logarithmic
// in depth however uneven the partitions are.
template <class T>
void VnBaseList<T>::_sort(int lo, int hi, int (*cmp)(T*, T*)) {
    if (lo < first) lo = first;
    if (hi > last) hi = last;
    while (lo < hi) {
        const int p = partition(lo, hi, cmp);
        if (p - lo <= hi - p) {
            _sort(lo, p - 1, cmp);
            lo = p + 1;
        } else {
            _sort(p + 1, hi, cmp);
            hi = p - 1;
        }
    }
}

// Partitions slots lo to hi around the middle element with a moving hole and answers the
// pivot's final slot. The element under test is always cmp's first argument, the pivot its
// second; elements that rank alike with the pivot are passed over by both scans.
template <class T>
int VnBaseList<T>::partition(int lo, int hi, int (*cmp)(T*, T*)) {
    const int mid = lo + ((hi - lo) >> 1);
    T* pivot = data[mid];
    data[mid] = data[lo];  // slot lo is now the hole
    while (lo < hi) {
        while (lo < hi && cmp(data[hi], pivot) >= 0)
            --hi;
        if (lo != hi) data[lo++] = data[hi];
        while (lo < hi && cmp(data[lo], pivot) <= 0)
            ++lo;
        if (lo != hi) data[hi--] = data[lo];
    }
    data[lo] = pivot;
    return lo;
}

#endif
