#include "job/VnStatusTally.h"

#include <cstdint>
#include <initializer_list>

#include "base/VnTypes.h"
#include "job/VnStatus.h"

namespace {

// The sum of the values, wrapping around at 32 bits.
int wrappingSum(std::initializer_list<int> values) {
    std::uint32_t sum = 0;
    for (int value : values)
        sum += static_cast<std::uint32_t>(value);
    return static_cast<int>(sum);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

VnStatusTally::VnStatusTally() {
    clear();
}

VnStatusTally::VnStatusTally(const VnStatusTally& other) = default;

VnStatusTally::~VnStatusTally() = default;

void VnStatusTally::copy(const VnStatusTally& other) {
    *this = other;
}

void VnStatusTally::clear() {
    _complete = _failed = _killed = _blocked = _waiting = _suspended = 0;
    _pending = _running = _unknown = _warning = _badlogin = 0;
}

int VnStatusTally::*VnStatusTally::counter(int code) {
    switch (code) {
        case VnStatus::RUNNING:
            return &VnStatusTally::_running;
        case VnStatus::BLOCKED:
            return &VnStatusTally::_blocked;
        case VnStatus::COMPLETE:
            return &VnStatusTally::_complete;
        case VnStatus::PENDING:
            return &VnStatusTally::_pending;
        case VnStatus::SUSPENDED:
            return &VnStatusTally::_suspended;
        case VnStatus::FAILED:
            return &VnStatusTally::_failed;
        case VnStatus::KILLED:
            return &VnStatusTally::_killed;
        case VnStatus::WAITING:
            return &VnStatusTally::_waiting;
        case VnStatus::WARNING:
            return &VnStatusTally::_warning;
        case VnStatus::BADLOGIN:
            return &VnStatusTally::_badlogin;
        default:
            return &VnStatusTally::_unknown;
    }
}

void VnStatusTally::add(const VnStatusTally& other) {
    VnStatusTally from(other);  // other may be this tally
    for (int code : {VnStatus::RUNNING, VnStatus::BLOCKED, VnStatus::COMPLETE, VnStatus::PENDING,
                     VnStatus::SUSPENDED, VnStatus::FAILED, VnStatus::KILLED, VnStatus::WAITING,
                     VnStatus::NONE, VnStatus::WARNING, VnStatus::BADLOGIN})
        add(code, from.get(code));
}

void VnStatusTally::add(int code, int n) {
    int& count = this->*counter(code);
    count = wrappingSum({count, n});
}

int VnStatusTally::get(int code) const {
    return this->*counter(code);
}

int VnStatusTally::done() const {
    return wrappingSum({_complete, _failed, _killed, _warning});
}

int VnStatusTally::active() const {
    return wrappingSum({_blocked, _waiting, _suspended, _pending, _running});
}

int VnStatusTally::assigned() const {
    return wrappingSum({_waiting, _suspended, _running});
}

int VnStatusTally::total() const {
    return wrappingSum({done(), active(), _unknown, _badlogin});
}

VnString VnStatusTally::convert() const {
    VnString text("");
    const char* separator = "";
    VnStatusTally counters(*this);  // fields() hands out its members to be read or written
    counters.fields([&](short, const char*, int& count) {
        text += separator;
        text += count;
        separator = " ";
    });
    return text;
}

void VnStatusTally::revert(const VnString& text) {
    const char* bytes = text.value();
    const int length = text.length();
    int at = 0;
    fields([&](short, const char*, int& count) {
        std::uint32_t value = 0;
        for (; at < length && isDigit(bytes[at]); ++at)
            value = value * 10 + static_cast<std::uint32_t>(bytes[at] - '0');
        count = static_cast<int>(value);
        while (at < length && bytes[at] == ' ')
            ++at;
    });
}

int VnStatusTally::type() {
    return VN_TYPE_STATUS_TALLY;
}

VnString VnStatusTally::typeXML() {
    return VnString(VN_XML_STATUS_TALLY);
}
