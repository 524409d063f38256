#include "job/VnWork.h"

#include "base/VnSid.h"

VnWork::VnWork() = default;

VnWork::VnWork(const VnWork& other) = default;

VnWork::~VnWork() = default;

void VnWork::copy(const VnWork& other) {
    *this = other;
}

VnString VnWork::workid() const {
    VnString text(_pid);
    text += ':';
    text += _name;
    return text;
}

int VnWork::sid(int n) const {
    return _vn_sid(_pid, n);
}

int VnWork::type() {
    return VN_TYPE_WORK;
}

VnString VnWork::typeXML() {
    return VnString(VN_XML_WORK);
}

VnWorkList::VnWorkList() = default;

VnWorkList::~VnWorkList() = default;

VnWorkList& VnWorkList::operator=(const VnWorkList& other) {
    VnList<VnWork>::operator=(other);
    return *this;
}

int VnWorkList::type() {
    return VN_TYPE_WORK_LIST;
}

VnString VnWorkList::typeXML() {
    return VnString(VN_XML_WORK_LIST);
}
