// The names of the log tree, its directory builders and the small texts written into it.

#include <unistd.h>

#include "job/VnLog.h"
#include "job/VnLogPlace.h"
#include "system/VnTime.h"

int VnLog::_log_unique = 0;

namespace {

// The types that name the host's and the user's history files.
constexpr int kHostHistory = 208;
constexpr int kUserHistory = 108;
// Directories of the tree are open to every user, whatever the umask.
constexpr int kDirMode = 0777;

struct Extension {
    int type;
    const char* ext;
};

const Extension kExtensions[] = {
    {1, "out"},  {2, "err"}, {3, "sts"},  {8, "hst"},   {9, "qja"},
    {10, "acc"}, {11, "cb"}, {13, "xja"}, {14, "mail"}, {15, "map"},
};

// Creates each level of the place in turn with the tree's mode, from the base down; a level
// that cannot be made or opened (a link in its place among them) ends the building.
void makedirs(const VnString& base, const VnLogPlace& place) {
    place.makeDirs(base, kDirMode);
}

}  // namespace

VnString VnLog::joblogdir(const VnString& base) {
    return VnLogPlace::branch("job").path(base);
}

VnString VnLog::joblogbasedir(const VnString& base, int jobid) {
    return VnLogPlace::bucketDir("job", jobid).path(base);
}

VnString VnLog::joblogdir(const VnString& base, int jobid) {
    return VnLogPlace::idDir("job", jobid).path(base);
}

VnString VnLog::pgrplogdir(const VnString& base) {
    return VnLogPlace::branch("pgrp").path(base);
}

VnString VnLog::pgrplogbasedir(const VnString& base, int pgrp) {
    return VnLogPlace::bucketDir("pgrp", pgrp).path(base);
}

VnString VnLog::pgrplogdir(const VnString& base, int pgrp) {
    return VnLogPlace::idDir("pgrp", pgrp).path(base);
}

VnString VnLog::hostlogdir(const VnString& base) {
    return VnLogPlace::branch("host").path(base);
}

VnString VnLog::hostlogdir(const VnString& base, const VnString& host) {
    return VnLogPlace::nameDir("host", host).path(base);
}

VnString VnLog::userlogdir(const VnString& base) {
    return VnLogPlace::branch("user").path(base);
}

VnString VnLog::userlogdir(const VnString& base, const VnString& user) {
    return VnLogPlace::nameDir("user", user).path(base);
}

VnString VnLog::joblogfile(const VnString& base, int jobid, int subid, int type) {
    return VnLogPlace::jobFile(jobid, subid, type).path(base);
}

VnString VnLog::joblogfile(const VnString& base, int jobid, int type) {
    return joblogfile(base, jobid, 0, type);
}

VnString VnLog::joblogfile(const VnString& base, int jobid, int subid, const VnString& ext) {
    return VnLogPlace::jobFile(jobid, subid, ext).path(base);
}

VnString VnLog::hostlogfile(const VnString& base, const VnString& host, int type) {
    return VnLogPlace::nameFile("host", host, type, kHostHistory).path(base);
}

VnString VnLog::userlogfile(const VnString& base, const VnString& user, int type) {
    return VnLogPlace::nameFile("user", user, type, kUserHistory).path(base);
}

VnString VnLog::logext(int type) {
    for (const Extension& e : kExtensions) {
        if (e.type == type) return VnString(e.ext);
    }
    return VnString("");
}

void VnLog::jobbuilddir(const VnString& base, int jobid) {
    makedirs(base, VnLogPlace::idDir("job", jobid));
}

void VnLog::pgrpbuilddir(const VnString& base, int pgrp) {
    makedirs(base, VnLogPlace::idDir("pgrp", pgrp));
}

void VnLog::hostbuilddir(const VnString& base, const VnString& host) {
    if (!vn_safe_name(host)) return;
    makedirs(base, VnLogPlace::nameDir("host", host));
}

void VnLog::userbuilddir(const VnString& base, const VnString& user) {
    if (!vn_safe_name(user)) return;
    makedirs(base, VnLogPlace::nameDir("user", user));
}

int VnLog::islocal(const VnString& base, int jobid) {
    return VnLogPlace::idDir("job", jobid).openDir(base).valid() ? 1 : 0;
}

int VnLog::islocal(const VnString& base, VnCommand& cmd) {
    const VnJobIdList& ids = cmd.jobids();
    for (int i = 0; i < ids.length(); ++i) {
        const VnJobId* id = ids.get(i);
        if (id && islocal(base, id->id())) return 1;
    }
    return 0;
}

VnString VnLog::separate(int, int) {
    VnTime now;
    now.setToNow();
    VnString text("\n=================  vorn! - retry/requeue on ");
    text += now.ascii();
    text += "  ===================\n\n";
    return text;
}

VnString VnLog::uniquefile() {
    VnString name("vorn");
    name += static_cast<int>(getpid());
    name += "u";
    name += _log_unique;
    name += ".tmp";
    // Counts on past INT_MAX by wrapping, never by signed overflow.
    _log_unique = static_cast<int>(static_cast<unsigned>(_log_unique) + 1u);
    return name;
}
