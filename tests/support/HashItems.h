#ifndef VN_TESTS_SUPPORT_HASHITEMS_H
#define VN_TESTS_SUPPORT_HASHITEMS_H

#include <string>

#include "base/VnBaseHash.h"
#include "testing/TestRecords.h"

namespace hashitems {

// Items alive now: each construction counts one more, each destruction one less.
inline int alive = 0;

// A hash value that counts itself in alive.
struct Item {
    int id = 0;
    explicit Item(int i = 0) : id(i) { ++alive; }
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;
    virtual ~Item() { --alive; }
    void copy(const Item& other) { id = other.id; }
};

// A hash of items that shows its overflow index and stores and finds by std::string keys.
struct ItemHash : VnBaseHash<Item> {
    using VnBaseHash<Item>::overflow;
    // The id stored under key, -1 when there is none.
    int idOf(const std::string& key) const {
        const Item* item = get(vs(key));
        return item ? item->id : -1;
    }
    void put(int id, const std::string& key) { set(new Item(id), vs(key)); }
};

}  // namespace hashitems

#endif  // VN_TESTS_SUPPORT_HASHITEMS_H
