#ifndef VN_BASE_VNSIMPLEHASH_H
#define VN_BASE_VNSIMPLEHASH_H

#include <utility>

#include "base/VnBaseHash.h"

// A hash from string keys to plain values of type T, held by value. It owns its keys:
// replacing the value of an equal key overwrites the value and destroys the old key object.
// get answers T() (0 for int) for an absent key, so an absent key and a stored 0 look alike.
// clear and the destructor destroy the keys only. A move hands the entries over without
// allocating and leaves the source empty.
template <class T>
class VnSimpleHash : public VnHashTable<T, false> {
    using Table = VnHashTable<T, false>;

public:
    VnSimpleHash() = default;
    VnSimpleHash(const VnSimpleHash&) = delete;
    VnSimpleHash(VnSimpleHash&& other) noexcept : Table(std::move(other)) {}
    VnSimpleHash& operator=(const VnSimpleHash&) = delete;
    VnSimpleHash& operator=(VnSimpleHash&& other) noexcept {
        Table::operator=(std::move(other));
        return *this;
    }

    using Table::_key;
    using Table::_set;
    using Table::clear;
    using Table::get;
    using Table::resize;
    using Table::set;
};

#endif
