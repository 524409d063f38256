#ifndef VN_JOB_VNLOGPLACE_H
#define VN_JOB_VNLOGPLACE_H

#include "base/VnString.h"
#include "system/VnSafeOpen.h"

// A place of the log tree (see VnLog) as the names that lead to it from the tree's base, one
// per level. The path operations of VnLog join them behind the base; the readers and writers
// of the tree open them one name at a time from the base, so that no link planted anywhere in
// the tree is followed, and a name that could leave its directory (vn_safe_name) opens nothing.
class VnLogPlace {
public:
    // <branch>
    static VnLogPlace branch(const char* name);
    // <branch>/<bucket>, the id truncated to a multiple of 1000 (12345 lies in 12000).
    static VnLogPlace bucketDir(const char* branch, int id);
    // <branch>/<bucket>/<id>
    static VnLogPlace idDir(const char* branch, int id);
    // <branch>/<name>
    static VnLogPlace nameDir(const char* branch, const VnString& name);
    // job/<bucket>/<N>/<N>_<S>.<ext>, without "_<S>" for a per-job type (bit 8 set).
    static VnLogPlace jobFile(int jobid, int subid, int type);
    // job/<bucket>/<N>/<N>_<S>.<ext>
    static VnLogPlace jobFile(int jobid, int subid, const VnString& ext);
    // <branch>/<name>/<name>. and "hst" when the type is historyType.
    static VnLogPlace nameFile(const char* branch, const VnString& name, int type, int historyType);

    // The place one level further down.
    VnLogPlace& add(const VnString& name);
    // base, then "/" and each name.
    VnString path(const VnString& base) const;

    // The directory itself, opened from base.
    VnFd openDir(const VnString& base) const;
    // Each level made in turn (vn_make_dir_at) with mode; the last one, open.
    VnFd makeDirs(const VnString& base, int mode) const;
    // The regular file, opened from base with flags (vn_open_file_below).
    VnFd openFile(const VnString& base, int flags) const;

private:
    static constexpr int kMaxNames = 4;
    VnString _names[kMaxNames];
    int _count = 0;
};

#endif  // VN_JOB_VNLOGPLACE_H
