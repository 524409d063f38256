#include "job/VnLogPlace.h"

#include "job/VnLog.h"

namespace {

// The types whose files belong to the job as a whole rather than to one subjob.
constexpr int kPerJobBit = 8;

// The id truncated towards zero to a multiple of 1000; never overflows, since the result
// lies between 0 and the id.
int bucket(int id) {
    return id / 1000 * 1000;
}

}  // namespace

VnLogPlace VnLogPlace::branch(const char* name) {
    VnLogPlace place;
    place.add(VnString(name));
    return place;
}

VnLogPlace VnLogPlace::bucketDir(const char* branchName, int id) {
    VnLogPlace place = branch(branchName);
    place.add(VnString(bucket(id)));
    return place;
}

VnLogPlace VnLogPlace::idDir(const char* branchName, int id) {
    VnLogPlace place = bucketDir(branchName, id);
    place.add(VnString(id));
    return place;
}

VnLogPlace VnLogPlace::nameDir(const char* branchName, const VnString& name) {
    VnLogPlace place = branch(branchName);
    place.add(name);
    return place;
}

VnLogPlace VnLogPlace::jobFile(int jobid, int subid, int type) {
    if (!(type & kPerJobBit)) return jobFile(jobid, subid, VnLog::logext(type));
    VnString name(jobid);
    name += ".";
    name += VnLog::logext(type);
    return idDir("job", jobid).add(name);
}

VnLogPlace VnLogPlace::jobFile(int jobid, int subid, const VnString& ext) {
    VnString name(jobid);
    name += "_";
    name += subid;
    name += ".";
    name += ext;
    return idDir("job", jobid).add(name);
}

VnLogPlace VnLogPlace::nameFile(const char* branchName, const VnString& name, int type, int historyType) {
    VnString file(name);
    file += ".";
    if (type == historyType) file += "hst";
    return nameDir(branchName, name).add(file);
}

VnLogPlace& VnLogPlace::add(const VnString& name) {
    if (_count < kMaxNames) _names[_count++] = name;
    return *this;
}

VnString VnLogPlace::path(const VnString& base) const {
    VnString path(base);
    for (int i = 0; i < _count; ++i) {
        path += "/";
        path += _names[i];
    }
    return path;
}

VnFd VnLogPlace::openDir(const VnString& base) const {
    return vn_open_dir_below(base, _names, _count);
}

VnFd VnLogPlace::makeDirs(const VnString& base, int mode) const {
    return vn_open_dir_below(base, _names, _count, true, mode);
}

VnFd VnLogPlace::openFile(const VnString& base, int flags) const {
    return vn_open_file_below(base, _names, _count, flags);
}
