#include "job/VnSubjob.h"

#include "base/VnSid.h"

VnSubjob::VnSubjob() = default;

VnSubjob::VnSubjob(const VnSubjob& other) = default;

VnSubjob::~VnSubjob() = default;

void VnSubjob::copy(const VnSubjob& other) {
    *this = other;
}

int VnSubjob::sid(int n) const {
    return _vn_sid(_pid, n);
}

int VnSubjob::type() {
    return VN_TYPE_SUBJOB;
}

VnString VnSubjob::typeXML() {
    return VnString(VN_XML_SUBJOB);
}

VnSubjobList::VnSubjobList() = default;

VnSubjobList::~VnSubjobList() = default;

VnSubjobList& VnSubjobList::operator=(const VnSubjobList& other) {
    VnList<VnSubjob>::operator=(other);
    return *this;
}

int VnSubjobList::type() {
    return VN_TYPE_SUBJOB_LIST;
}

VnString VnSubjobList::typeXML() {
    return VnString(VN_XML_SUBJOB_LIST);
}
