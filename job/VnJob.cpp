#include "job/VnJob.h"

#include "base/VnSid.h"
#include "farm/VnReservationHash.h"
#include "system/VnFlag.h"

namespace {

// Bits of the job flag word that the job itself asks about.
constexpr int kGridFlag = 4;     // "grid"
constexpr int kEliteFlag = 512;  // "elite"

}  // namespace

VnJob::VnJob() = default;

// The in-memory fields start at their defaults, as in a new job.
VnJob::VnJob(const VnJob& other) : VnPack(other) {
    *this = other;
}

VnJob::~VnJob() = default;

// A job may be given one of its own descendants, or an ancestor that holds it: the lists
// then clear what the source still reads, so such a source is first copied apart.
VnJob& VnJob::operator=(const VnJob& other) {
    if (&other == this) return *this;
    if (holds(other) || other.holds(*this)) {
        const VnJob apart(other);
        _s = apart._s;
    } else {
        _s = other._s;
    }
    return *this;
}

void VnJob::copy(const VnJob& other) {
    *this = other;
}

// 48 fields; the lists, three statuses, reason, prototype path and source host stay. None of
// these members clears itself before it copies, so other may be any job, this one included.
void VnJob::base(const VnJob& other) {
    const Serialised& o = other._s;
    _s.id = o.id;
    _s.pid = o.pid;
    _s.pgrp = o.pgrp;
    _s.priority = o.priority;
    _s.localorder = o.localorder;
    _s.globalorder = o.globalorder;
    _s.status = o.status;
    _s.user = o.user;
    _s.domain = o.domain;
    _s.password = o.password;
    _s.name = o.name;
    _s.cluster = o.cluster;
    _s.cpus = o.cpus;
    _s.immediatecpus = o.immediatecpus;
    _s.todo = o.todo;
    _s.data = o.data;
    _s.prototype = o.prototype;
    _s.kind = o.kind;
    _s.path = o.path;
    _s.logpath = o.logpath;
    _s.cpustally = o.cpustally;
    _s.todotally = o.todotally;
    _s.timesubmit = o.timesubmit;
    _s.timestart = o.timestart;
    _s.timecomplete = o.timecomplete;
    _s.flags = o.flags;
    _s.account = o.account;
    _s.notes = o.notes;
    _s.env = o.env;
    _s.label = o.label;
    _s.queue = o.queue;
    _s.groups = o.groups;
    _s.hosts = o.hosts;
    _s.hostorder = o.hostorder;
    _s.requirements = o.requirements;
    _s.reservations = o.reservations;
    _s.restrictions = o.restrictions;
    _s.serverid = o.serverid;
    _s.lastupdate = o.lastupdate;
    _s.timeout = o.timeout;
    _s.pathmap = o.pathmap;
    _s.retrysubjob = o.retrysubjob;
    _s.retrywork = o.retrywork;
    _s.omithosts = o.omithosts;
    _s.omitgroups = o.omitgroups;
    _s.dependency = o.dependency;
    _s.mailaddress = o.mailaddress;
    _s.deadline = o.deadline;
}

bool VnJob::holds(const VnJob& job) const {
    for (int i = 0; i < _s.children.length(); ++i) {
        const VnJob* child = _s.children.get(i);
        if (child && (child == &job || child->holds(job))) return true;
    }
    return false;
}

VnString VnJob::flagsstring() const {
    return vn_job_flag_string(_s.flags);
}

int VnJob::flagsstring(const VnString& text) {
    _s.flags = vn_job_flag_int(text);
    return _s.flags;
}

int VnJob::grid() const {
    return (_s.flags & kGridFlag) != 0 && _s.cpus > 1;
}

int VnJob::elite() const {
    return (_s.flags & kEliteFlag) != 0;
}

int VnJob::multiprocessor() const {
    VnReservationHash reserved;
    reserved.revert(_s.reservations);
    const VnReservation* processors = reserved.get("host.processors");
    return processors != nullptr && processors->count() >= 2;
}

int VnJob::sid(int n) const {
    return _vn_sid(_s.id, n);
}

VnString VnJob::stub() const {
    VnString key;
    key += _s.cluster;
    key += _s.priority;
    key += _s.reservations;
    key += _s.restrictions;
    key += _s.requirements;
    key += _s.groups;
    key += _s.hosts;
    key += _s.flags;
    key += _s.localorder;
    key += _s.globalorder;
    key += _watch;
    key += _s.omithosts;
    key += _s.omitgroups;
    return key;
}

VnPackage VnJob::package() const {
    VnPackage package;
    package.expand(_s.data);
    return package;
}

void VnJob::package(const VnPackage& package) {
    _s.data = package.compact();
}

int VnJob::type() {
    return VN_TYPE_JOB;
}

VnString VnJob::typeXML() {
    return VnString(VN_XML_JOB);
}
