#ifndef VN_BASE_VNHASHINDEX_H
#define VN_BASE_VNHASHINDEX_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "base/VnChargedAllocator.h"
#include "base/VnHashKey.h"
#include "base/VnString.h"

// The index of the keys that a hash table stored beyond their probe paths: from a key to its
// slot. Keys come from outside, and a hash of them with a fixed seed can be made to collide
// offline, so the index is an ordered map: a look-up costs O(log n) key comparisons whatever
// the keys. Its blocks, the keys' text included, are charged to the read in progress
// (VnChargedAllocator).
//
// A key is held as its length and its text up to its first zero byte, which is what makes
// keys equal (VnString's ==); keys are ordered by length, then by that text. A look-up
// compares the key it is given in place, without copying it.
class VnHashIndex {
public:
    // The slot of key; -1 when the index does not hold it.
    int find(const VnString& key) const {
        if (map.empty()) return -1;
        const auto found = map.find(View::of(key));
        return found != map.end() ? found->second : -1;
    }
    // Files key under slot, replacing the slot it had.
    void set(const VnString& key, int slot) {
        const View view = View::of(key);
        const auto added = map.try_emplace(Key{Text(view.text.data(), view.text.size()), view.length}, slot);
        if (!added.second) added.first->second = slot;
    }
    // Forgets key when the index holds it under slot.
    void forget(const VnString& key, int slot) {
        if (map.empty()) return;
        const auto found = map.find(View::of(key));
        if (found != map.end() && found->second == slot) map.erase(found);
    }
    bool empty() const { return map.empty(); }
    std::size_t size() const { return map.size(); }
    void clear() { map.clear(); }
    void swap(VnHashIndex& other) noexcept { map.swap(other.map); }

    // The key comparisons made by the indexes of this thread, for counting the work of
    // look-ups.
    static inline thread_local std::uint64_t comparisons = 0;

private:
    using Text = std::basic_string<char, std::char_traits<char>, VnChargedAllocator<char>>;
    // A key as it compares: its text up to the first zero byte and its length.
    struct View {
        std::string_view text;
        int length;

        static View of(const VnString& key) {
            return View{std::string_view(key.value(), VnHashKeyInfo::textLength(key)), key.length()};
        }
    };
    struct Key {
        Text text;
        int length;

        View view() const { return View{std::string_view(text.data(), text.size()), length}; }
    };
    struct Order {
        using is_transparent = void;

        bool operator()(const Key& a, const Key& b) const { return less(a.view(), b.view()); }
        bool operator()(const Key& a, const View& b) const { return less(a.view(), b); }
        bool operator()(const View& a, const Key& b) const { return less(a, b.view()); }

        static bool less(const View& a, const View& b) {
            ++comparisons;
            return a.length != b.length ? a.length < b.length : a.text < b.text;
        }
    };

    std::map<Key, int, Order, VnChargedAllocator<std::pair<const Key, int>>> map;
};

#endif  // VN_BASE_VNHASHINDEX_H
