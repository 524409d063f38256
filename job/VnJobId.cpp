#include "job/VnJobId.h"

#include <ostream>

#include "base/VnSid.h"
#include "expression/VnExpression.h"

namespace {

constexpr int kNoSubjob = -1;
constexpr int kAllSubjobs = -2;

}  // namespace

VnJobId::VnJobId() : _id(-1), _subid(kNoSubjob) {}

VnJobId::VnJobId(int id) : _id(id), _subid(kNoSubjob) {}

VnJobId::VnJobId(int id, int subid) : _id(id), _subid(subid) {}

VnJobId::VnJobId(const VnString& text) : _id(-1), _subid(kNoSubjob) {
    value(text);
}

VnJobId::VnJobId(const VnJobId& other) = default;

VnJobId::~VnJobId() = default;

void VnJobId::copy(const VnJobId& other) {
    *this = other;
}

VnString VnJobId::value() const {
    VnString text(_id);
    if (_subid == kAllSubjobs) {
        text += ".*";
    } else if (_subid >= 0) {
        text += '.';
        text += _subid;
    }
    return text;
}

void VnJobId::value(const VnString& text) {
    VnString job, rest;
    VnExpression::splitperiod(text, job, rest);
    _id = job.integervalue();
    _subid = kNoSubjob;
    if (rest.length() == 0) return;
    _subid = rest == VnString("*") ? kAllSubjobs : rest.integervalue();
}

int VnJobId::sid(int n) const {
    return _vn_sid(_id, n);
}

int VnJobId::type() {
    return VN_TYPE_JOB_ID;
}

VnString VnJobId::typeXML() {
    return VnString(VN_XML_JOB_ID);
}

std::ostream& operator<<(std::ostream& os, const VnJobId& id) {
    return os << id.value();
}

VnDebug& operator<<(VnDebug& debug, const VnJobId& id) {
    return debug << id.value();
}
