#ifndef VN_TESTING_FUZZRECORDS_H
#define VN_TESTING_FUZZRECORDS_H

// What the fuzz targets that read records share: taking the input apart, reading it into the
// class its first byte picks, and checking that what was read writes a form that reads back and
// settles, and that its copies write what it writes. A failed check stops the fuzzer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "testing/TestRecords.h"

namespace fuzz {

inline void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The fuzzer's data as a target takes it: the first byte picks what reads, the rest is read.
struct Input {
    unsigned choice = 0;
    std::string rest;

    // False, taking nothing, for no data or for more than limit bytes.
    bool take(const std::uint8_t* data, std::size_t size, std::size_t limit) {
        if (size < 1 || size > limit) return false;
        choice = data[0];
        rest.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
        return true;
    }

    // The first byte as a digit: '0' is 0, and the bytes below '0' wrap round to the top.
    unsigned digit() const { return static_cast<unsigned char>(choice - '0'); }
};

// How closely a class's writing is fixed by its value. The first reading may stop anywhere and
// XML text is normalised, so most classes settle only from the second writing on.
enum class Settles {
    AtOnce,     // the first writing reads back to itself
    Exactly,    // the second writing reads back to itself
    InLength,   // the second writing reads back to one of its length (hashes inside write their
                // pairs in slot order, which may differ between equal hashes)
    ReadsBack,  // every writing reads back, nothing more (the class is a hash)
};

// Reads a written form into `into`, which must succeed, and answers what that writes.
template <class T>
std::string readBack(T& into, const std::string& form, bool xml) {
    check(unpackInto(into, form, xml) == 0);
    return packed(into, xml);
}

// Writes what was read and reads the writing back twice; the writings must compare as `how` says.
template <class T>
void checkSettles(T& read, bool xml, Settles how) {
    T again, third;
    const std::string first = packed(read, xml);
    const std::string second = readBack(again, first, xml);
    const std::string last = readBack(third, second, xml);
    switch (how) {
        case Settles::AtOnce:
            check(second == first);
            break;
        case Settles::Exactly:
            check(last == second);
            break;
        case Settles::InLength:
            check(last.size() == second.size());
            break;
        case Settles::ReadsBack:
            break;
    }
}

// A record assigned to itself changes nothing.
template <class T>
void checkSelfAssignment(T& record, bool xml) {
    const std::string before = packed(record, xml);
    const T& self = record;
    record = self;
    check(packed(record, xml) == before);
}

// A copy, assigned or made new (lists cannot be), writes what its source writes, and a record
// assigned to itself changes nothing.
template <class T>
void checkCopies(T& record, bool xml) {
    const std::string before = packed(record, xml);
    T assigned;
    assigned = record;
    check(packed(assigned, xml) == before);
    if constexpr (std::is_copy_constructible<T>::value) {
        T copied(record);
        check(packed(copied, xml) == before);
    }
    checkSelfAssignment(record, xml);
}

// Reads the input as a whole document too, as a caller of unpackXML may hand one over: only then
// can a document type declaration come before the top element.
template <class T>
void readUnwrapped(const std::string& input) {
    std::vector<char> bytes(input.begin(), input.end());
    T unwrapped;
    unwrapped.unpackXML(bytes.data(), static_cast<int>(bytes.size()));
    packed(unwrapped, true);
}

// Reads the input in one form into a class that a target offers.
using Reader = void (*)(const std::string& input, bool xml);

// The reader of T: reads the input, checks that the writing settles as `how` says, then makes
// the target's own checks of what was read, if it has any (`also`).
template <class T, Settles how = Settles::Exactly, void (*also)(T&, bool) = nullptr>
void readChecked(const std::string& input, bool xml) {
    T record;
    unpackInto(record, input, xml);
    checkSettles(record, xml, how);
    if constexpr (also != nullptr) also(record, xml);
}

// Where the first byte keeps its choice: the bit that picks the XML form, and the bits that pick
// the class, shifted down and masked, then taken modulo the number of classes.
struct Layout {
    unsigned xmlBit;
    unsigned classShift;
    unsigned classMask;
};

// The body of a target that offers readers: the reader and the form that the first byte picks
// read the rest of the input, when the input has at least one byte and at most limit.
template <std::size_t N>
int readChosen(const std::uint8_t* data, std::size_t size, std::size_t limit, const Layout& layout,
               const Reader (&readers)[N]) {
    Input input;
    if (!input.take(data, size, limit)) return 0;
    const Reader read = readers[(input.choice >> layout.classShift & layout.classMask) % N];
    read(input.rest, (input.choice & layout.xmlBit) != 0);
    return 0;
}

}  // namespace fuzz

#endif  // VN_TESTING_FUZZRECORDS_H
