#ifndef VN_BASE_VNBASEHASH_H
#define VN_BASE_VNBASEHASH_H

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "base/VnBaseList.h"
#include "base/VnHashIndex.h"
#include "base/VnHashKey.h"
#include "base/VnString.h"

// The open-addressed table of string keys behind VnBaseHash (values are owned heap objects)
// and VnSimpleHash (values are held by value). V is the type of a value; when OwnsValues is
// set, the table deletes the values it holds.
//
// One array of `size` slots holds, per slot, the key, the value and the key's description, so
// a probe rejects another key and finds the value in the slot it reads. A slot is empty (key
// null), deleted (key points at the marker `deleted`) or occupied (a key that the table owns).
// A key is looked for along the probe path of its hash value (VnHashProbe).
//
// A path reaches at most 32 distinct slots, and every key with one hash value shares one path,
// so a crowded path is not always cured by growing. When growing no longer pays, a key whose
// path is full goes "beyond its path": into any free slot, taken from a cursor that only moves
// forward, and an index from the key to that slot remembers it. A search consults the index
// only when it used up a path without meeting an empty slot. So however many keys share one
// hash value, every operation costs at most one path walk and one index look-up, and the
// index is ordered (VnHashIndex): a look-up there costs O(log n) comparisons whatever the keys.
//
// A move hands the slots, the index and the entries to the target without allocating and
// leaves the source empty, with no slots: its next set allocates a first table again.
template <class V, bool OwnsValues>
class VnHashTable {
public:
    VnHashTable(const VnHashTable&) = delete;
    VnHashTable& operator=(const VnHashTable&) = delete;
    virtual ~VnHashTable();

protected:
    VnHashTable();
    // A table with no slots yet, as a move leaves its source.
    struct NoSlots {};
    explicit VnHashTable(NoSlots) noexcept {}
    VnHashTable(VnHashTable&& other) noexcept { swapTable(other); }
    VnHashTable& operator=(VnHashTable&& other) noexcept;

    int set(V value, VnString* key);
    int set(V value, const VnString& key);
    V get(const VnString& key) const;
    V remove(const VnString& key);
    void clear() { emptySlots(true); }
    void release() { emptySlots(false); }
    int length() const { return count; }
    int _set(V value, VnString* key);
    std::uint32_t _key(const VnString& key) const { return VnHashKeyInfo::of(key).hash; }
    void resize();

    struct Slot {
        VnHashKeyInfo info;  // of the key, while the slot is occupied
        VnString* key;
        V value;
    };

    // A slot's key, read as a pointer. Storing a key through it describes the slot anew and
    // nothing else: the key it replaces is neither destroyed nor counted.
    class KeyRef {
    public:
        KeyRef(VnHashTable* table, int s) : table(table), s(s) {}
        operator VnString*() const { return table->slots[s].key; }
        VnString& operator*() const { return *table->slots[s].key; }
        VnString* operator->() const { return table->slots[s].key; }
        KeyRef& operator=(VnString* key) {
            table->slots[s].key = key;
            if (table->occupied(s)) table->slots[s].info = VnHashKeyInfo::of(*key);
            return *this;
        }

    private:
        VnHashTable* table;
        int s;
    };
    // The keys and the values by slot number, for code that walks the slots.
    class KeyColumn {
    public:
        explicit KeyColumn(VnHashTable* table) : table(table) {}
        KeyRef operator[](int s) const { return KeyRef(table, s); }

    private:
        VnHashTable* table;
    };
    class ValueColumn {
    public:
        explicit ValueColumn(VnHashTable* table) : table(table) {}
        V& operator[](int s) const { return table->slots[s].value; }

    private:
        VnHashTable* table;
    };

    // Puts n empty slots in place and answers the old ones for the caller to free.
    Slot* swapInSlots(int n);
    // Told the bytes of each table that replaces another, before it is allocated: a packable
    // hash charges them to the read in progress, which refuses them by throwing.
    virtual void _tableAllocating(std::size_t) {}
    // Puts the given slots, of size n, in place and answers the ones they replace.
    Slot* swapSlots(Slot* t, int n);
    // Exchanges the slots, the entries and the overflow index of the two tables.
    void swapTable(VnHashTable& other) noexcept;
    bool occupied(int s) const { return slots[s].key && slots[s].key != &deleted; }

    Slot* slots = nullptr;
    int size = 0;
    int count = 0;
    // Marks deleted slots by its address; never given text. One marker serves every table of
    // the type, so slots keep their meaning when they pass from one table to another.
    static inline VnString deleted;
    KeyColumn keytable{this};
    ValueColumn valuetable{this};

    // The keys stored beyond their paths, with their slots, and the slot from which the search
    // for a free slot for the next such key starts.
    using Overflow = VnHashIndex;
    Overflow overflow;
    int freeCursor = 0;

private:
    static constexpr int kInitialSize = 17;
    static constexpr int kMaxSize = INT_MAX / 2;
    static constexpr int kGrowthRounds = 3;

    std::uint32_t wrap = 0;  // 2^32 modulo size

    VnHashProbe probe(std::uint32_t h) const {
        return VnHashProbe(h, static_cast<std::uint32_t>(size), wrap);
    }
    int placeFor(const VnString& key, const VnHashKeyInfo& info) const;
    int find(const VnString& key) const;
    int slotBeyondPath(const VnString& key) const;
    void forgetBeyondPath(int s);
    int nextFreeSlot();
    void ensureSlots();
    void store(int s, V value, VnString* key, const VnHashKeyInfo& info);
    int setOnPath(V value, VnString* key, const VnHashKeyInfo& info);
    void place(V value, VnString* key, const VnHashKeyInfo& info);
    void placeBeyondPath(V value, VnString* key, const VnHashKeyInfo& info);
    // Growing pays once half the slots are taken. Below that a full path means that its keys
    // crowd one stretch of the table (numbered keys such as "k0".."kN" have hash values that lie
    // close together, and their paths overlap), and growing would not spread them: a table that
    // grew on every full path reached 32 slots per entry on such keys, against 2 to 6 on
    // scattered keys. With this rule both kinds stay at most 8 slots per entry.
    bool growthPays() const { return count >= size / 2; }
    void destroyValue(int s);
    void emptySlots(bool destroyValues);
    static int grownSize(int size);
};

template <class V, bool OwnsValues>
VnHashTable<V, OwnsValues>::VnHashTable() {
    swapInSlots(kInitialSize);
}

template <class V, bool OwnsValues>
VnHashTable<V, OwnsValues>::~VnHashTable() {
    clear();
    delete[] slots;
}

// The old entries are destroyed only once other's are in place: other may live inside one of
// the old values.
template <class V, bool OwnsValues>
VnHashTable<V, OwnsValues>& VnHashTable<V, OwnsValues>::operator=(VnHashTable&& other) noexcept {
    if (&other != this) {
        VnHashTable old(std::move(*this));
        swapTable(other);
    }
    return *this;
}  // the old entries go with old

template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::swapTable(VnHashTable& other) noexcept {
    std::swap(slots, other.slots);
    std::swap(size, other.size);
    std::swap(count, other.count);
    std::swap(wrap, other.wrap);
    std::swap(freeCursor, other.freeCursor);
    overflow.swap(other.overflow);
}

template <class V, bool OwnsValues>
typename VnHashTable<V, OwnsValues>::Slot* VnHashTable<V, OwnsValues>::swapInSlots(int n) {
    _tableAllocating(sizeof(Slot) * static_cast<std::size_t>(n));
    return swapSlots(new Slot[n](), n);
}

template <class V, bool OwnsValues>
typename VnHashTable<V, OwnsValues>::Slot* VnHashTable<V, OwnsValues>::swapSlots(Slot* t, int n) {
    Slot* old = slots;
    slots = t;
    size = n;
    wrap = static_cast<std::uint32_t>((std::uint64_t(1) << 32) % static_cast<std::uint64_t>(n));
    return old;
}

// The slot where key belongs: the slot of an equal key, else the first deleted slot on its
// path, else the first empty one on its path; -1 when there is none of these. An equal key is
// looked for past deleted slots, so one key never lives in two slots. A walk that meets an
// empty slot has seen every slot an equal key can be in: a key goes beyond its path only when
// the path has no empty slot, and slots become empty again only when the whole table does.
template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::placeFor(const VnString& key, const VnHashKeyInfo& info) const {
    int reusable = -1;
    VnHashProbe path = probe(info.hash);
    for (int i = VnHashProbe::length(size); i > 0; --i, path.next()) {
        const int s = path.slot();
        const Slot& slot = slots[s];
        if (!slot.key) return reusable >= 0 ? reusable : s;
        if (slot.key == &deleted) {
            if (reusable < 0) reusable = s;
        } else if (slot.info == info && VnHashKeyInfo::same(*slot.key, key)) {
            return s;
        }
    }
    const int s = slotBeyondPath(key);
    return s >= 0 ? s : reusable;
}

template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::find(const VnString& key) const {
    if (count < 1) return -1;
    const int s = placeFor(key, VnHashKeyInfo::of(key));
    return s >= 0 && occupied(s) ? s : -1;
}

// The slot of the key stored beyond its path that equals key; -1 when there is none.
template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::slotBeyondPath(const VnString& key) const {
    return overflow.find(key);
}

// Drops slot s from the overflow index when it holds a key stored beyond its path.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::forgetBeyondPath(int s) {
    overflow.forget(*slots[s].key, s);
}

// The next slot from the cursor on that holds no key (empty or deleted); -1 when every slot
// is occupied. The cursor moves only forward and wraps round. Below the size cap, keys go
// beyond their paths only while fewer than half of the slots are occupied (else the table
// grows first), so the cursor meets free slots often enough: a search costs amortised O(1)
// however many keys go that way.
template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::nextFreeSlot() {
    for (int n = 0; n < size; ++n) {
        const int s = freeCursor;
        freeCursor = freeCursor + 1 < size ? freeCursor + 1 : 0;
        if (!occupied(s)) return s;
    }
    return -1;
}

// Puts value and key into slot s. An entry already there has an equal key: its value (when the
// table owns values) and its key object are destroyed, unless they are the very objects given.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::store(int s, V value, VnString* key, const VnHashKeyInfo& info) {
    Slot& slot = slots[s];
    if (occupied(s)) {
        if (slot.value != value) destroyValue(s);
        if (slot.key != key) delete slot.key;
    } else {
        ++count;
    }
    slot.value = value;
    slot.key = key;
    slot.info = info;
}

template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::setOnPath(V value, VnString* key, const VnHashKeyInfo& info) {
    const int s = placeFor(*key, info);
    if (s < 0) return 0;
    store(s, value, key, info);
    return 1;
}

template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::_set(V value, VnString* key) {
    if (!key) return 0;
    ensureSlots();
    return setOnPath(value, key, VnHashKeyInfo::of(*key));
}

// Gives a table left without slots by a move its first slots again.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::ensureSlots() {
    if (size < 1) delete[] swapInSlots(kInitialSize);
}

// Stores a new key whose path has no free slot in the next free slot, and indexes it there.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::placeBeyondPath(V value, VnString* key, const VnHashKeyInfo& info) {
    const int s = nextFreeSlot();
    if (s < 0)  // every slot occupied: only possible at the size cap
        throw std::bad_alloc();
    overflow.set(*key, s);
    store(s, value, key, info);
}

template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::place(V value, VnString* key, const VnHashKeyInfo& info) {
    if (!setOnPath(value, key, info)) placeBeyondPath(value, key, info);
}

// Grows while the table is crowded enough for growth to free a path (see growthPays), at most
// a few rounds; a key that still has no place goes beyond its path. So keys sharing one hash
// value are all stored, and the table stays in proportion to its entries, whatever the keys.
template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::set(V value, VnString* key) {
    if (!key) return 0;
    ensureSlots();
    const VnHashKeyInfo info = VnHashKeyInfo::of(*key);
    for (int rounds = 0; !setOnPath(value, key, info); ++rounds) {
        if (rounds == kGrowthRounds || !growthPays()) {
            placeBeyondPath(value, key, info);
            break;
        }
        resize();
    }
    return 1;
}

template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::set(V value, const VnString& key) {
    std::unique_ptr<VnString> own(new VnString(key));
    set(value, own.get());
    own.release();
    return 1;
}

template <class V, bool OwnsValues>
V VnHashTable<V, OwnsValues>::get(const VnString& key) const {
    const int s = find(key);
    return s >= 0 ? slots[s].value : V();
}

// Hands the value to the caller, destroys the key and marks the slot deleted.
template <class V, bool OwnsValues>
V VnHashTable<V, OwnsValues>::remove(const VnString& key) {
    const int s = find(key);
    if (s < 0) return V();
    Slot& slot = slots[s];
    const V value = slot.value;
    forgetBeyondPath(s);
    delete slot.key;
    slot.key = &deleted;
    slot.value = V();
    --count;
    return value;
}

template <class V, bool OwnsValues>
int VnHashTable<V, OwnsValues>::grownSize(int size) {
    if (size < 1) return kInitialSize;
    const std::int64_t grown = static_cast<std::int64_t>(size) * 4 + std::rand() % 100 + 1;
    return grown < kMaxSize ? static_cast<int>(grown) : kMaxSize;
}

// Moves every entry, key and value objects and descriptions as they are, into larger tables.
// Deleted slots are dropped, and the keys stored beyond their paths are placed and indexed
// anew. Should the index run out of memory or the read in progress refuse its charge, the old
// slots, which still hold every entry, are put back with the old index.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::resize() {
    const int oldSize = size;
    Slot* const old = swapInSlots(grownSize(size));
    const int oldCount = count;
    const int oldCursor = freeCursor;
    Overflow oldOverflow;
    oldOverflow.swap(overflow);
    count = 0;
    freeCursor = 0;
    try {
        for (int s = 0; s < oldSize; ++s) {
            const Slot& slot = old[s];
            if (slot.key && slot.key != &deleted) place(slot.value, slot.key, slot.info);
        }
    } catch (...) {
        delete[] swapSlots(old, oldSize);
        count = oldCount;
        freeCursor = oldCursor;
        overflow.swap(oldOverflow);
        throw;
    }
    delete[] old;
}

// Destroys the value of slot s when the table owns its values; the caller resets the slot.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::destroyValue(int s) {
    if constexpr (OwnsValues) delete slots[s].value;
}

// Empties every slot, destroying the keys and, when asked, the values; the size stays.
template <class V, bool OwnsValues>
void VnHashTable<V, OwnsValues>::emptySlots(bool destroyValues) {
    for (int s = 0; s < size; ++s) {
        if (destroyValues) destroyValue(s);
        if (occupied(s)) delete slots[s].key;
        slots[s] = Slot();
    }
    count = 0;
    overflow.clear();
    freeCursor = 0;
}

// A hash from string keys to heap objects of class T. The hash owns its keys and its values:
// replacing the value of an equal key destroys the old value and the old key, clear and the
// destructor destroy everything, remove hands the value to the caller and release forgets
// the values. The walks (keys, copykeys, values) meet the entries in slot order, which is
// not the order of insertion and changes as the table grows.
//
// T needs a virtual destructor, and for copy a default constructor and copy(const T&).
template <class T>
class VnBaseHash : public VnHashTable<T*, true> {
    using Table = VnHashTable<T*, true>;

public:
    VnBaseHash() = default;
    VnBaseHash(const VnBaseHash&) = delete;  // hashes are copied deeply, only by copy and operator=
    VnBaseHash(VnBaseHash&& other) noexcept : Table(std::move(other)) {}
    VnBaseHash& operator=(VnBaseHash&& other) noexcept {
        Table::operator=(std::move(other));
        return *this;
    }

    using Table::_key;
    using Table::_set;
    using Table::clear;
    using Table::get;
    using Table::length;
    using Table::release;
    using Table::remove;
    using Table::resize;
    using Table::set;

    void copy(const VnBaseHash<T>& other);
    VnBaseHash<T>& operator=(const VnBaseHash<T>& other);

    void keys(VnBaseList<VnString>& out) const;
    void copykeys(VnBaseList<VnString>& out) const;
    void values(VnBaseList<T>& out);

private:
    using Slot = typename Table::Slot;

    explicit VnBaseHash(typename Table::NoSlots none) noexcept : Table(none) {}
    void copySlots(const VnBaseHash<T>& other);
    template <class E>
    static void pushOnto(VnBaseList<E>& out, E* element) {
        if (!out.push(element)) throw std::bad_alloc();
    }
};

// A deep copy, slot for slot: the copy meets its entries in the same order as other, and
// copies its overflow index and free-slot cursor, which refer to the same slots. The copy is
// made aside and takes the place of the old entries only when whole, so a copy that fails
// (an allocation, or the read in progress refusing its charge) leaves this hash as it was;
// the old entries are destroyed last, as other may live inside one of them.
template <class T>
void VnBaseHash<T>::copy(const VnBaseHash<T>& other) {
    if (&other == this) return;
    VnBaseHash<T> copies{typename Table::NoSlots()};
    copies.overflow = other.overflow;  // first: it may fail or be refused
    if (other.size > 0) {
        this->_tableAllocating(sizeof(Slot) * static_cast<std::size_t>(other.size));
        copies.swapSlots(new Slot[other.size](), other.size);
        copies.copySlots(other);
    }
    copies.freeCursor = other.freeCursor;
    this->swapTable(copies);
}  // the old entries go with copies

// Fills this table's slots, as many as other's, with copies of other's keys and values. What
// was copied before a failure is destroyed with this table.
template <class T>
void VnBaseHash<T>::copySlots(const VnBaseHash<T>& other) {
    for (int s = 0; s < other.size; ++s) {
        const Slot& from = other.slots[s];
        Slot& to = this->slots[s];
        if (from.value) {
            to.value = new T();
            to.value->copy(*from.value);
        }
        to.info = from.info;
        if (from.key == &Table::deleted) {
            to.key = from.key;
        } else if (from.key) {
            to.key = new VnString(*from.key);
            ++this->count;
        }
    }
}

template <class T>
VnBaseHash<T>& VnBaseHash<T>::operator=(const VnBaseHash<T>& other) {
    copy(other);
    return *this;
}

// Lends the hash's own key objects to out; its holder must release out, not clear it.
template <class T>
void VnBaseHash<T>::keys(VnBaseList<VnString>& out) const {
    out.clear();
    for (int s = 0; s < this->size; ++s) {
        if (this->occupied(s)) pushOnto(out, this->slots[s].key);
    }
}

template <class T>
void VnBaseHash<T>::copykeys(VnBaseList<VnString>& out) const {
    out.clear();
    for (int s = 0; s < this->size; ++s) {
        if (this->occupied(s)) {
            std::unique_ptr<VnString> key(new VnString(*this->slots[s].key));
            pushOnto(out, key.get());
            key.release();
        }
    }
}

// Lends the hash's own value objects to out; its holder must release out, not clear it.
template <class T>
void VnBaseHash<T>::values(VnBaseList<T>& out) {
    out.clear();
    for (int s = 0; s < this->size; ++s) {
        if (this->occupied(s)) pushOnto(out, this->slots[s].value);
    }
}

#endif
