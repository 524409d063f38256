#include "job/VnJobStats.h"

#include <climits>
#include <cstdint>

namespace {

// The time from start to end. The difference of two stamps may leave the int range, so it is
// taken in 64 bits and held to that range.
VnTime elapsed(const VnTime& start, const VnTime& end) {
    const std::int64_t seconds = std::int64_t(end.value()) - start.value();
    if (seconds > INT_MAX) return VnTime(INT_MAX);
    if (seconds < INT_MIN) return VnTime(INT_MIN);
    return VnTime(static_cast<int>(seconds));
}

// "<label>: [<text>] <seconds>" of a time.
void appendTime(VnString& line, const char* label, const VnString& text, const VnTime& time) {
    line += label;
    line += ": [";
    line += text;
    line += "] ";
    line += time.value();
}

}  // namespace

VnJobStats::VnJobStats() = default;

VnJobStats::VnJobStats(const VnJobStats& other) = default;

VnJobStats::~VnJobStats() = default;

void VnJobStats::copy(const VnJobStats& other) {
    *this = other;
}

VnString VnJobStats::data() const {
    const VnTime time = elapsed(_start, _end);
    VnString line;
    line += _jobid;
    line += ".";
    line += _subid;
    line += "\t";
    appendTime(line, "start", _start.ascii(), _start);
    line += "\t";
    appendTime(line, "end", _end.ascii(), _end);
    line += "\t";
    appendTime(line, "time", time.counter(), time);
    line += "\thost: ";
    line += _host;
    line += "\tthread: ";
    line += _maxthreads;
    line += "\tmem: ";
    line += _maxmemory;
    line += "\tswap: ";
    line += _maxswap;
    line += "\n";
    return line;
}

void VnJobStats::tally(const VnJobStats& other) {
    if (other._maxthreads > _maxthreads) _maxthreads = other._maxthreads;
    if (other._maxswap > _maxswap) _maxswap = other._maxswap;
    if (other._maxmemory > _maxmemory) _maxmemory = other._maxmemory;
}

int VnJobStats::type() {
    return VN_TYPE_JOB_STATS;
}

VnString VnJobStats::typeXML() {
    return VnString(VN_XML_JOB_STATS);
}
