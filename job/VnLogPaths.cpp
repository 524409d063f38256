// The names of the log tree, its directory builders and the small texts written into it.

#include <unistd.h>

#include <cstring>

#include "job/VnLog.h"
#include "system/VnDir.h"
#include "system/VnTime.h"

int VnLog::_log_unique = 0;

namespace {

// The types whose files belong to the job as a whole rather than to one subjob.
constexpr int kPerJobBit = 8;
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

// The id truncated towards zero to a multiple of 1000; never overflows, since the result
// lies between 0 and the id.
int bucket(int id) {
    return id / 1000 * 1000;
}

// base "/" branch "/" bucket(id)
VnString bucketdir(const VnString& base, const char* branch, int id) {
    VnString path(base);
    path += "/";
    path += branch;
    path += "/";
    path += bucket(id);
    return path;
}

// base "/" branch "/" bucket(id) "/" id
VnString iddir(const VnString& base, const char* branch, int id) {
    VnString path = bucketdir(base, branch, id);
    path += "/";
    path += id;
    return path;
}

// base "/" branch "/" name
VnString namedir(const VnString& base, const char* branch, const VnString& name) {
    VnString path(base);
    path += "/";
    path += branch;
    path += "/";
    path += name;
    return path;
}

// dir "/" name "." and "hst" when the type is the history type of its branch.
VnString namefile(const VnString& dir, const VnString& name, int type, int historyType) {
    VnString path(dir);
    path += "/";
    path += name;
    path += ".";
    if (type == historyType) path += "hst";
    return path;
}

// A name that would leave its branch of the tree, or be cut short by the system, as a directory
// component: empty, ".", "..", or holding "/" or a NUL byte.
bool isUnsafeComponent(const VnString& name) {
    const int n = name.length();
    if (n == 0 || name == VnString(".") || name == VnString("..")) return true;
    return std::memchr(name.value(), '/', static_cast<std::size_t>(n)) ||
           std::memchr(name.value(), '\0', static_cast<std::size_t>(n));
}

// Creates the directory with the tree's mode; one that cannot be made is passed over.
void makedir(const VnString& path) {
    VnDir dir(path);
    dir.make(kDirMode);
}

}  // namespace

VnString VnLog::joblogdir(const VnString& base) {
    VnString path(base);
    path += "/job";
    return path;
}

VnString VnLog::joblogbasedir(const VnString& base, int jobid) {
    return bucketdir(base, "job", jobid);
}

VnString VnLog::joblogdir(const VnString& base, int jobid) {
    return iddir(base, "job", jobid);
}

VnString VnLog::pgrplogdir(const VnString& base) {
    VnString path(base);
    path += "/pgrp";
    return path;
}

VnString VnLog::pgrplogbasedir(const VnString& base, int pgrp) {
    return bucketdir(base, "pgrp", pgrp);
}

VnString VnLog::pgrplogdir(const VnString& base, int pgrp) {
    return iddir(base, "pgrp", pgrp);
}

VnString VnLog::hostlogdir(const VnString& base) {
    VnString path(base);
    path += "/host";
    return path;
}

VnString VnLog::hostlogdir(const VnString& base, const VnString& host) {
    return namedir(base, "host", host);
}

VnString VnLog::userlogdir(const VnString& base) {
    VnString path(base);
    path += "/user";
    return path;
}

VnString VnLog::userlogdir(const VnString& base, const VnString& user) {
    return namedir(base, "user", user);
}

VnString VnLog::joblogfile(const VnString& base, int jobid, int subid, int type) {
    VnString path = joblogdir(base, jobid);
    path += "/";
    path += jobid;
    if (!(type & kPerJobBit)) {
        path += "_";
        path += subid;
    }
    path += ".";
    path += logext(type);
    return path;
}

VnString VnLog::joblogfile(const VnString& base, int jobid, int type) {
    return joblogfile(base, jobid, 0, type);
}

VnString VnLog::joblogfile(const VnString& base, int jobid, int subid, const VnString& ext) {
    VnString path = joblogdir(base, jobid);
    path += "/";
    path += jobid;
    path += "_";
    path += subid;
    path += ".";
    path += ext;
    return path;
}

VnString VnLog::hostlogfile(const VnString& base, const VnString& host, int type) {
    return namefile(hostlogdir(base, host), host, type, kHostHistory);
}

VnString VnLog::userlogfile(const VnString& base, const VnString& user, int type) {
    return namefile(userlogdir(base, user), user, type, kUserHistory);
}

VnString VnLog::logext(int type) {
    for (const Extension& e : kExtensions) {
        if (e.type == type) return VnString(e.ext);
    }
    return VnString("");
}

void VnLog::jobbuilddir(const VnString& base, int jobid) {
    makedir(joblogdir(base));
    makedir(joblogbasedir(base, jobid));
    makedir(joblogdir(base, jobid));
}

void VnLog::pgrpbuilddir(const VnString& base, int pgrp) {
    makedir(pgrplogdir(base));
    makedir(pgrplogbasedir(base, pgrp));
    makedir(pgrplogdir(base, pgrp));
}

void VnLog::hostbuilddir(const VnString& base, const VnString& host) {
    if (isUnsafeComponent(host)) return;
    makedir(hostlogdir(base));
    makedir(hostlogdir(base, host));
}

void VnLog::userbuilddir(const VnString& base, const VnString& user) {
    if (isUnsafeComponent(user)) return;
    makedir(userlogdir(base));
    makedir(userlogdir(base, user));
}

int VnLog::islocal(const VnString& base, int jobid) {
    return VnDir::isdir(joblogdir(base, jobid));
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
