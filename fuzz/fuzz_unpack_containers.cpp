// Reads arbitrary bytes into a container of records or into an int hash. The first byte picks
// the reader, the rest is its input:
//   '0' list of records, binary        '1' list of records, XML
//   '2' hash of records, binary        '3' hash of records, XML
//   '4' int hash, XML
// Other first bytes pick a reader by their remainder. What was read must write a form that
// reads back, and that form must settle after one round: the first reading may stop anywhere
// inside a nested object, and XML normalises line ends given by character reference. Hash
// pairs follow the table's slots, so hashes are compared by their sorted entries. Keys compare
// as C strings, so keys that differ only after a zero byte may merge on reading; such inputs
// are only read and written.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/VnHash.h"
#include "base/VnIntHash.h"
#include "tests/support/TestRecords.h"

namespace {

constexpr int kItemHashType = 41;  // no library class has it
constexpr char kItemHashXML[] = "test_item_hash";

VN_DECLARE_HASH(TestItemHash, TestItem, kItemHashType, kItemHashXML)

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string text(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}

std::string valueText(int value) {
    return std::to_string(value);
}

std::string valueText(TestItem* value) {
    return value ? packed(*value) : "null";
}

// A hash that also answers its entries, sorted, as byte strings.
template <class Hash>
class Entries : public Hash {
public:
    using List = std::vector<std::pair<std::string, std::string>>;

    List sorted() {
        List entries;
        for (int s = 0; s < this->size; ++s) {
            if (this->occupied(s))
                entries.emplace_back(text(*this->keytable[s]), valueText(this->valuetable[s]));
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    bool keyHoldsZeroByte() const {
        for (int s = 0; s < this->size; ++s) {
            const VnString* key = this->keytable[s];
            if (this->occupied(s) && std::memchr(key->value(), 0, static_cast<std::size_t>(key->length())))
                return true;
        }
        return false;
    }
};

// Writes what first read and reads it back twice: the second writing must read and must
// equal the third.
template <class T, class Same>
void checkSettles(T& first, bool xml, Same same) {
    T second, third;
    check(unpackInto(second, packed(first, xml), xml) == 0);
    check(unpackInto(third, packed(second, xml), xml) == 0);
    check(same(second, third));
}

// Reads the input as a whole document too, as a caller of unpackXML may hand one over: only
// then can a document type declaration come before the top element.
template <class T>
void readUnwrapped(const std::string& input) {
    std::vector<char> bytes(input.begin(), input.end());
    T unwrapped;
    unwrapped.unpackXML(bytes.data(), static_cast<int>(bytes.size()));
    packed(unwrapped, true);
}

void readList(const std::string& input, bool xml) {
    if (xml) readUnwrapped<TestItemList>(input);
    TestItemList list;
    unpackInto(list, input, xml);
    checkSettles(list, xml,
                 [xml](TestItemList& a, TestItemList& b) { return packed(a, xml) == packed(b, xml); });
}

template <class Hash>
void readHash(const std::string& input, bool xml) {
    if (xml) readUnwrapped<Hash>(input);
    Entries<Hash> hash;
    unpackInto(hash, input, xml);
    if (hash.keyHoldsZeroByte()) {
        packed(hash, xml);
        return;
    }
    checkSettles(hash, xml, [](Entries<Hash>& a, Entries<Hash>& b) { return a.sorted() == b.sorted(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 1 << 20) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (static_cast<unsigned char>(data[0] - '0') % 5) {
        case 0:
            readList(input, false);
            break;
        case 1:
            readList(input, true);
            break;
        case 2:
            readHash<TestItemHash>(input, false);
            break;
        case 3:
            readHash<TestItemHash>(input, true);
            break;
        default:
            readHash<VnIntHash>(input, true);
            break;
    }
    return 0;
}
