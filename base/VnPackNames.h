#ifndef VN_BASE_VNPACKNAMES_H
#define VN_BASE_VNPACKNAMES_H

#include <charconv>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The values that the XML reader files under element names in one node (texts, or child
// blocks), with the keys that repeated names get: a name that is not taken yet is its own key;
// else the key is the name followed by 1, 2, ..., the first number not taken.
//
// While no name ends in a digit, the key of the k-th value of a name is the name for k = 0 and
// the name followed by k after that, and no two names can make the same key. So the values of
// each name are kept in order and a key is resolved from its numeric suffix, with no table of
// keys. The first name that ends in a digit ("item1") can collide with such keys: from then on
// every key is replayed into an exact table of keys, and the numbering follows the rule above
// step by step.
//
// The names come from the document, so every table is ordered (Less, transparent): a look-up
// takes O(log n) comparisons whatever the names, where a hash table with a fixed seed would
// let crafted names share one bucket. Every block is taken through Alloc (rebound to each
// type; it must be stateless), so a reader can charge what the tables take.
template <class V, class Less = std::less<>, class Alloc = std::allocator<V>>
class VnPackNames {
public:
    VnPackNames() = default;
    VnPackNames(const VnPackNames&) = delete;
    VnPackNames& operator=(const VnPackNames&) = delete;

    // Files value under the next free key of name.
    void add(std::string_view name, V value);
    // The value filed under the key of the n-th element named name: the name itself for n = 0,
    // else the name followed by n. Null when there is none.
    V* find(std::string_view name, std::size_t n = 0);
    // Calls f with every value, in no particular order.
    template <class F>
    void forEach(F f) const;

private:
    template <class T>
    using Rebound = typename std::allocator_traits<Alloc>::template rebind_alloc<T>;
    using Key = std::basic_string<char, std::char_traits<char>, Rebound<char>>;
    template <class T>
    using Table = std::map<Key, T, Less, Rebound<std::pair<const Key, T>>>;
    using Values = std::vector<V, Rebound<V>>;
    using Groups = Table<Values>;
    struct Exact {
        Table<V> byKey;
        Table<int> nextSuffix;  // where the search for a free key starts
    };
    struct ExactDelete {
        void operator()(Exact* exact) const;
    };

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool endsInDigit(std::string_view name) { return !name.empty() && isDigit(name.back()); }
    static std::size_t repeatOf(std::string_view digits);
    static void setKey(Key& key, std::string_view name, std::size_t n);
    V* findKey(std::string_view key);
    static V* nth(Values* values, std::size_t n) {
        return values && n < values->size() ? &(*values)[n] : nullptr;
    }
    Values* group(std::string_view name);
    void becomeExact();
    void addExact(std::string_view name, V value);

    Groups groups;
    // The group last used: a run of one name (a list's "item"s) finds it without a search.
    typename Groups::iterator last = groups.end();
    std::unique_ptr<Exact, ExactDelete> exact;
    Key scratch;  // the numbered key that find() looks up
};

template <class V, class Less, class Alloc>
void VnPackNames<V, Less, Alloc>::ExactDelete::operator()(Exact* exact) const {
    Rebound<Exact> alloc;
    std::allocator_traits<Rebound<Exact>>::destroy(alloc, exact);
    std::allocator_traits<Rebound<Exact>>::deallocate(alloc, exact, 1);
}

template <class V, class Less, class Alloc>
void VnPackNames<V, Less, Alloc>::add(std::string_view name, V value) {
    if (!exact && endsInDigit(name)) becomeExact();
    if (exact) return addExact(name, value);
    Values* values = group(name);
    if (!values) {
        last = groups.emplace(Key(name.data(), name.size()), Values()).first;
        values = &last->second;
    }
    values->push_back(value);
}

// The repeat that digits name: 0 for none, else their value from 1 on; npos for digits that
// no repeat writes (a leading zero, or more repeats than a node can hold).
template <class V, class Less, class Alloc>
std::size_t VnPackNames<V, Less, Alloc>::repeatOf(std::string_view digits) {
    if (digits.empty()) return 0;
    if (digits[0] == '0' || digits.size() > 10) return std::string_view::npos;
    std::size_t n = 0;
    for (char c : digits)
        n = n * 10 + static_cast<std::size_t>(c - '0');
    return n;
}

// Sets key to name, followed by n when n is not 0.
template <class V, class Less, class Alloc>
void VnPackNames<V, Less, Alloc>::setKey(Key& key, std::string_view name, std::size_t n) {
    key.assign(name.data(), name.size());
    if (n == 0) return;
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, n);
    key.append(digits, written.ptr);
}

template <class V, class Less, class Alloc>
V* VnPackNames<V, Less, Alloc>::find(std::string_view name, std::size_t n) {
    if (n == 0) return findKey(name);
    if (exact || endsInDigit(name)) {
        setKey(scratch, name, n);
        return findKey(scratch);
    }
    return nth(group(name), n);
}

template <class V, class Less, class Alloc>
V* VnPackNames<V, Less, Alloc>::findKey(std::string_view key) {
    if (exact) {
        const auto found = exact->byKey.find(key);
        return found == exact->byKey.end() ? nullptr : &found->second;
    }
    std::size_t stem = key.size();
    while (stem > 0 && isDigit(key[stem - 1]))
        --stem;
    return nth(group(key.substr(0, stem)), repeatOf(key.substr(stem)));
}

template <class V, class Less, class Alloc>
template <class F>
void VnPackNames<V, Less, Alloc>::forEach(F f) const {
    for (const auto& entry : groups) {
        for (const V& value : entry.second)
            f(value);
    }
    if (exact) {
        for (const auto& entry : exact->byKey)
            f(entry.second);
    }
}

template <class V, class Less, class Alloc>
typename VnPackNames<V, Less, Alloc>::Values* VnPackNames<V, Less, Alloc>::group(std::string_view name) {
    if (last == groups.end() || std::string_view(last->first) != name) {
        const auto found = groups.find(name);
        if (found == groups.end()) return nullptr;
        last = found;
    }
    return &last->second;
}

// Files every value under the key it has had so far, then leaves the groups.
template <class V, class Less, class Alloc>
void VnPackNames<V, Less, Alloc>::becomeExact() {
    Rebound<Exact> alloc;
    Exact* made = std::allocator_traits<Rebound<Exact>>::allocate(alloc, 1);
    ::new (static_cast<void*>(made)) Exact();  // Exact() allocates nothing, so nothing throws
    std::unique_ptr<Exact, ExactDelete> keys(made);
    Key key;
    for (const auto& entry : groups) {
        const Values& values = entry.second;
        for (std::size_t k = 0; k < values.size(); ++k) {
            setKey(key, entry.first, k);
            keys->byKey.emplace(key, values[k]);
        }
        if (values.size() > 1) keys->nextSuffix.emplace(entry.first, static_cast<int>(values.size()));
    }
    exact = std::move(keys);
    groups.clear();
    last = groups.end();
}

template <class V, class Less, class Alloc>
void VnPackNames<V, Less, Alloc>::addExact(std::string_view name, V value) {
    Key key(name.data(), name.size());
    if (exact->byKey.count(key)) {
        int& suffix = exact->nextSuffix[key];
        for (suffix = suffix < 1 ? 1 : suffix;; ++suffix) {
            setKey(key, name, static_cast<std::size_t>(suffix));
            if (!exact->byKey.count(key)) break;
        }
        ++suffix;  // keys are never removed: the next search starts after this one
    }
    exact->byKey.emplace(std::move(key), value);
}

#endif  // VN_BASE_VNPACKNAMES_H
