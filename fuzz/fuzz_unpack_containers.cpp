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
#include "testing/FuzzRecords.h"

namespace {

constexpr int kItemHashType = 41;  // no library class has it
constexpr char kItemHashXML[] = "test_item_hash";

VN_DECLARE_HASH(TestItemHash, TestItem, kItemHashType, kItemHashXML)

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

void readList(const std::string& input, bool xml) {
    if (xml) fuzz::readUnwrapped<TestItemList>(input);
    TestItemList list;
    unpackInto(list, input, xml);
    fuzz::checkSettles(list, xml, fuzz::Settles::Exactly);
}

template <class Hash>
void readHash(const std::string& input, bool xml) {
    if (xml) fuzz::readUnwrapped<Hash>(input);
    Entries<Hash> hash, again, third;
    unpackInto(hash, input, xml);
    if (hash.keyHoldsZeroByte()) {
        packed(hash, xml);
        return;
    }
    fuzz::readBack(third, fuzz::readBack(again, packed(hash, xml), xml), xml);
    fuzz::check(again.sorted() == third.sorted());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input;
    if (!input.take(data, size, 1 << 20)) return 0;
    const unsigned reader = input.digit() % 5;
    if (reader < 2) {
        readList(input.rest, reader == 1);
    } else if (reader < 4) {
        readHash<TestItemHash>(input.rest, reader == 3);
    } else {
        readHash<VnIntHash>(input.rest, true);
    }
    return 0;
}
