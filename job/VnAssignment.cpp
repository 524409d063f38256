#include "job/VnAssignment.h"

VnAssignment::VnAssignment() = default;

// The members start at their defaults (the in-memory flags, order and port included), so
// that what copy leaves out has a value.
VnAssignment::VnAssignment(const VnAssignment& other) : VnPack(other) {
    copy(other);
}

VnAssignment::~VnAssignment() = default;

VnAssignment& VnAssignment::operator=(const VnAssignment& other) {
    copy(other);
    return *this;
}

void VnAssignment::copy(const VnAssignment& other) {
    if (&other == this) return;
    _job.copy(other._job);
    _subjob.copy(other._subjob);
    _procid = other._procid;
    _threadid = other._threadid;
    _jobstats.copy(other._jobstats);
    _outpos = other._outpos;
    _errpos = other._errpos;
    _outstartpos = other._outstartpos;
    _errstartpos = other._errstartpos;
    _develop = other._develop;
    _serveraddress.copy(other._serveraddress);
}

int VnAssignment::type() {
    return VN_TYPE_ASSIGNMENT;
}

VnString VnAssignment::typeXML() {
    return VnString(VN_XML_ASSIGNMENT);
}
