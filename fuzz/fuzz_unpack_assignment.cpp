// Reads fuzzed binary or XML data into an assignment (with its job, subjob, statistics, work
// and variables), a list of them, the statistics, a report, duties, requests and their lists.
// The first byte chooses: its low three bits the class, bit 4 the XML form.
//
// What was read must write a form that reads back; after one round (the first reading may stop
// anywhere, XML text is normalised) the writing settles. Hashes write their pairs in slot order,
// which may differ between equal hashes, so only the length of the settled form is compared.
// A copy writes what its source writes (an assignment's copy once given the work, variables and
// start time that it leaves out), and a copy onto itself changes nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "job/VnAssignment.h"
#include "job/VnDuty.h"
#include "job/VnJobStats.h"
#include "job/VnReport.h"
#include "job/VnRequest.h"
#include "tests/support/TestRecords.h"

namespace {

struct Kind {
    std::unique_ptr<VnPack> (*make)();
    void (*checkCopies)(VnPack& record, bool xml);
};

template <class T>
std::unique_ptr<VnPack> make() {
    return std::unique_ptr<VnPack>(new T());
}

// The record's copies: a new one (a list is assigned, having no copy constructor), and the
// record itself.
template <class T>
void checkCopies(VnPack& record, bool xml) {
    T& source = static_cast<T&>(record);
    const std::string before = packed(source, xml);
    T assigned;
    assigned = source;
    if constexpr (std::is_copy_constructible<T>::value) {
        T copied(source);
        if (packed(copied, xml) != before) __builtin_trap();
    }
    const T& self = source;
    source = self;
    if (packed(assigned, xml) != before || packed(source, xml) != before) __builtin_trap();
}

template <>
void checkCopies<VnAssignment>(VnPack& record, bool xml) {
    VnAssignment& source = static_cast<VnAssignment&>(record);
    const std::string before = packed(source, xml);
    VnAssignment copied(source);
    copied.work().copy(source.work());
    copied.variable().copy(source.variable());
    copied.timestart() = source.timestart();
    const VnAssignment& self = source;
    source = self;
    source.copy(self);
    if (packed(copied, xml).size() != before.size() || packed(source, xml) != before) __builtin_trap();
}

// An assigned list copies its assignments partially, so only the copy onto itself is checked.
template <>
void checkCopies<VnAssignmentList>(VnPack& record, bool xml) {
    VnAssignmentList& source = static_cast<VnAssignmentList&>(record);
    const std::string before = packed(source, xml);
    const VnAssignmentList& self = source;
    source = self;
    if (packed(source, xml) != before) __builtin_trap();
}

template <class T>
constexpr Kind kind() {
    return {make<T>, checkCopies<T>};
}

const Kind kKinds[] = {kind<VnAssignment>(),  kind<VnAssignmentList>(), kind<VnJobStats>(),
                       kind<VnDuty>(),        kind<VnDutyList>(),       kind<VnRequest>(),
                       kind<VnRequestList>(), kind<VnReport>()};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 256 * 1024) return 0;
    const Kind& kind = kKinds[(data[0] & 0x07) % (sizeof kKinds / sizeof kKinds[0])];
    const bool xml = (data[0] & 0x10) != 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    std::unique_ptr<VnPack> record = kind.make(), again = kind.make(), third = kind.make();
    unpackInto(*record, input, xml);
    if (unpackInto(*again, packed(*record, xml), xml) != 0) __builtin_trap();
    const std::string second = packed(*again, xml);
    if (unpackInto(*third, second, xml) != 0) __builtin_trap();
    if (packed(*third, xml).size() != second.size()) __builtin_trap();
    kind.checkCopies(*record, xml);
    return 0;
}
