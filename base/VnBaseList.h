#ifndef VN_BASE_VNBASELIST_H
#define VN_BASE_VNBASELIST_H

#include <climits>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

// A growable array of pointers to heap objects that the list owns. It serves as an array
// (push, get, length, set, remove), a stack (push, pop, top) and a queue (push, shift).
//
// Clearing or destroying the list deletes its elements; shift, pop and remove hand an element
// to the caller, who then owns it; release forgets all elements without deleting them.
// The elements are the slots first to last; a slot may hold a null pointer.
//
// A move hands the slot array and the elements to the target, without allocating, and leaves
// the source empty and ready for use; a move assignment deletes the target's old elements.
//
// T needs a virtual destructor, and for copy() a default constructor and copy(const T&).
template <class T>
class VnBaseList {
public:
    VnBaseList() = default;
    VnBaseList(const VnBaseList&) = delete;  // lists are copied deeply, only by copy and operator=
    VnBaseList(VnBaseList&& other) noexcept { swapSlots(other); }
    VnBaseList& operator=(VnBaseList&& other) noexcept;
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
    // The slots that the next push allocates: 0 when it fits, else the grown capacity.
    long long slotsForPush() const { return last + 1 < capacity ? 0 : 2LL * capacity + 1; }

    T** data = nullptr;  // capacity slots, null until the first push
    int capacity = 0;    // only grows: 0, 1, 3, 7, 15, ...
    int last = -1;       // slot of the last element
    int first = 0;       // slot of the first element; slots below it were shifted out

    // Exchanges the slot arrays and the elements of the two lists.
    void swapSlots(VnBaseList<T>& other) noexcept {
        std::swap(data, other.data);
        std::swap(capacity, other.capacity);
        std::swap(last, other.last);
        std::swap(first, other.first);
    }

private:
    int grow();
    void introsort(int lo, int hi, int (*cmp)(T*, T*), int levels);
    int partition(int lo, int hi, int (*cmp)(T*, T*));
    void heapsort(int lo, int hi, int (*cmp)(T*, T*));
    static void siftDown(T** base, int i, int n, int (*cmp)(T*, T*));
    static int floorLog2(int n);
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
    const long long wanted = slotsForPush();
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
// exception passes to the caller, the copies made so far are deleted and this list stays as it
// was. The copies are made in a list of their own first and take the place of the old elements
// only then: other may live inside one of this list's elements, which clearing would destroy.
template <class T>
void VnBaseList<T>::copy(const VnBaseList<T>& other) {
    if (&other == this) return;
    VnBaseList<T> copies;
    for (int i = 0; i < other.length(); ++i) {
        const T* source = other.get(i);
        std::unique_ptr<T> element;
        if (source) {
            element.reset(new T());
            element->copy(*source);
        }
        if (!copies.push(element.get())) throw std::bad_alloc();
        element.release();
    }
    swapSlots(copies);
}  // the old elements go with copies

// The old elements are deleted only once other's are in place: other may live inside one of them.
template <class T>
VnBaseList<T>& VnBaseList<T>::operator=(VnBaseList<T>&& other) noexcept {
    if (&other != this) {
        VnBaseList<T> old(std::move(*this));
        swapSlots(other);
    }
    return *this;
}  // the old elements go with old

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
    if (lo < hi) introsort(lo, hi, cmp, 64 + 2 * floorLog2(hi - lo + 1));
}

// One partition step per level, each side one level deeper. A range still unsorted after
// levels steps is one that the partitions split badly (many equal elements, say): heapsort
// finishes it, so no input takes more than O(n log n) comparisons.
template <class T>
void VnBaseList<T>::introsort(int lo, int hi, int (*cmp)(T*, T*), int levels) {
    while (lo < hi) {
        if (levels-- == 0) {
            heapsort(lo, hi, cmp);
            return;
        }
        const int p = partition(lo, hi, cmp);
        if (p - lo <= hi - p) {
            introsort(lo, p - 1, cmp, levels);
            lo = p + 1;
        } else {
            introsort(p + 1, hi, cmp, levels);
            hi = p - 1;
        }
    }
}

template <class T>
int VnBaseList<T>::floorLog2(int n) {
    int log = 0;
    while (n > 1) {
        n >>= 1;
        ++log;
    }
    return log;
}

// Heapsort of slots lo to hi, both included: a max-heap over the slots, then the largest
// element moved to the end one at a time.
template <class T>
void VnBaseList<T>::heapsort(int lo, int hi, int (*cmp)(T*, T*)) {
    T** base = data + lo;
    const int n = hi - lo + 1;
    for (int i = n / 2 - 1; i >= 0; --i)
        siftDown(base, i, n, cmp);
    for (int end = n - 1; end > 0; --end) {
        T* largest = base[0];
        base[0] = base[end];
        base[end] = largest;
        siftDown(base, 0, end, cmp);
    }
}

// Moves base[i] down the heap of n slots until neither child ranks above it.
template <class T>
void VnBaseList<T>::siftDown(T** base, int i, int n, int (*cmp)(T*, T*)) {
    T* moving = base[i];
    for (int child = 2 * i + 1; child < n; child = 2 * i + 1) {
        if (child + 1 < n && cmp(base[child + 1], base[child]) > 0) ++child;
        if (cmp(base[child], moving) <= 0) break;
        base[i] = base[child];
        i = child;
    }
    base[i] = moving;
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
