#ifndef VN_SYSTEM_VNDIR_H
#define VN_SYSTEM_VNDIR_H

#include <cstdint>

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"

// The entry names of one directory, read once when the object is built, with
// the static tests on paths, the size of a tree, directory creation and
// recursive removal.
//
// The walks of size() and remove() hold each directory open and reach its
// entries by name within it, so they work at any path length and never follow
// a link inside the tree. They stop descending below kMaxTreeDepth levels, so
// a hostile tree cannot exhaust the stack or the descriptors: size() leaves
// deeper contents uncounted and remove() leaves them in place.
class VnDir : public VnBase {
public:
    static constexpr int kMaxTreeDepth = 256;

    // Stores the path and loads the entries.
    explicit VnDir(const VnString& path);
    VnDir(const VnDir&) = delete;
    VnDir& operator=(const VnDir&) = delete;
    ~VnDir() override;

    int type() override;

    // Reads the entry names again, in the order the system returns them
    // ("." and ".." included when it returns them). A directory that does not
    // open leaves the list empty.
    void _load();

    int length() const;
    // Entry i; null outside the list.
    VnString* get(int i) const;
    VnString dir() const;

    // Creates the directory with mode, then sets mode on it whether or not
    // the creation succeeded, so the umask does not narrow it. The mode is set
    // through a descriptor of the directory itself, only when the path is a
    // real directory: a link in its place is neither followed nor changed.
    // 1 when the directory was created, else 0.
    int make(int mode);
    // Deletes the entries loaded when the object was built (links are
    // unlinked, never followed; a subdirectory loses what it holds when it is
    // reached, then goes too), then the directory itself. Entries added since
    // are not seen, and a directory that still holds something stays. A path
    // that is itself a symbolic link loses only the link. Failures are
    // ignored; the result is always 1.
    int remove();
    // Has no effect.
    void chdir(const VnString& path);

    // 1 when the path (a final link followed) is a directory, else 0.
    static int isdir(const VnString& path);
    // 1 when the path (a final link followed) is a regular file, else 0.
    static int isfile(const VnString& path);
    // 1 when the path itself is a symbolic link, else 0.
    static int islink(const VnString& path);
    // 1 when the path's nine permission bits are all set, else 0.
    static int fullaccess(const VnString& path);
    // Bytes under the directory: files' sizes, and each subdirectory's own
    // entry size plus its contents. Links add nothing and are not followed.
    static std::int64_t size(const VnString& path);

protected:
    VnString path;
    VnStringList entries;
};

#endif  // VN_SYSTEM_VNDIR_H
