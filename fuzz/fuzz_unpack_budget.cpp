// Reads fuzzed binary or XML data into a job, a string hash, an int hash or a string list while
// every read opens its budget with a reserve of at most 4 KB instead of 16 MiB, so that small
// inputs pass the memory a read may take and are refused part way: in the binary reader, in the
// XML reader and the charge of its tree, and in a hash whose growth or overflow index is refused.
// The first byte chooses: bit 0 the XML form, bits 1 and 2 the class (modulo the number of
// classes), and the rest the reserve: 4 KB for '0' to '7', 1 KB less for each group of eight
// characters after them, down to -27 KB. A reserve below zero takes from the allowance of the
// input's length, so that a small tree is refused too.
//
// A refused read answers 4 and keeps what it read before the refusal, each element whole. So
// whatever the answer, what was read must write a form that reads back (with the usual reserve),
// and a hash must find every key it lists: setting each key again keeps the count, and removing
// keys, those in its overflow index too, takes exactly them away.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

#include "base/VnIntHash.h"
#include "base/VnPackFormat.h"
#include "base/VnPackHooks.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "job/VnJob.h"
#include "testing/FuzzRecords.h"

namespace {

// Writes what was read and reads it back twice with the usual reserve.
template <class T>
void checkReadsBack(T& read, bool xml, fuzz::Settles how) {
    const std::int64_t reserve = vn_pack::readReserve;
    vn_pack::readReserve = vn_pack::kReadReserve;
    fuzz::checkSettles(read, xml, how);
    vn_pack::readReserve = reserve;
}

// A hash that opens its table: its key walk and its removal, for the int hash as for the others.
template <class Hash>
struct Open : Hash {
    using Hash::count, Hash::remove;

    std::vector<VnString> keys() const {
        std::vector<VnString> out;
        for (int s = 0; s < this->size; ++s)
            if (this->occupied(s)) out.push_back(*this->slots[s].key);
        return out;
    }
    void setAgain(const VnString& key) {
        if constexpr (std::is_same_v<Hash, VnIntHash>) {
            this->set(1, key);
        } else {
            this->set(new VnString("again"), key);
        }
    }
    void drop(const VnString& key) {
        if constexpr (std::is_same_v<Hash, VnIntHash>) {
            remove(key);
        } else {
            delete remove(key);
        }
    }
};

template <class Hash>
void checkKeys(Open<Hash>& hash) {
    const std::vector<VnString> keys = hash.keys();
    const int n = static_cast<int>(keys.size());
    fuzz::check(n == hash.count);
    for (const VnString& key : keys)
        hash.setAgain(key);
    fuzz::check(hash.count == n);
    for (int i = 0; i < n; i += 2)
        hash.drop(keys[std::size_t(i)]);
    fuzz::check(hash.count == n / 2);
}

template <class T>
void read(const std::string& input, bool xml) {
    T record;
    unpackInto(record, input, xml);
    if constexpr (std::is_same_v<T, VnJob>) {
        checkReadsBack(record, xml, fuzz::Settles::InLength);
    } else if constexpr (std::is_same_v<T, VnStringList>) {
        checkReadsBack(record, xml, fuzz::Settles::Exactly);
    } else {
        checkReadsBack(record, xml, fuzz::Settles::ReadsBack);
        checkKeys(record);
    }
}

const fuzz::Reader kReaders[] = {read<VnJob>, read<Open<VnStringHash>>, read<Open<VnIntHash>>,
                                 read<VnStringList>};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input;
    if (!input.take(data, size, 64 * 1024)) return 0;
    std::srand(1);  // tables grow by a random step: each input then runs alike every time
    const unsigned below = (input.choice / 8 - '0' / 8) & 31;  // groups of eight after '0' to '7'
    vn_pack::readReserve = 4096 - 1024 * std::int64_t(below);
    kReaders[(input.choice >> 1 & 3) % 4](input.rest, (input.choice & 1) != 0);
    return 0;
}
