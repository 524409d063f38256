#include "system/VnDir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/VnTypes.h"

namespace {

struct DirCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// 1 when the status of path can be read and passes test, else 0.
// follow says whether a final symbolic link is followed.
template <class Test>
int statusIs(const VnString& path, bool follow, Test test) {
    struct stat status;
    const int read = follow ? stat(path.value(), &status) : lstat(path.value(), &status);
    return read == 0 && test(status.st_mode) ? 1 : 0;
}

}  // namespace

VnDir::VnDir(const VnString& path) : path(path) {
    _load();
}

VnDir::~VnDir() = default;

int VnDir::type() {
    return VN_TYPE_DIR;
}

void VnDir::_load() {
    entries.clear();
    const DirHandle directory(opendir(path.value()));
    if (!directory) return;
    while (const dirent* entry = readdir(directory.get())) {
        std::unique_ptr<VnString> name(new VnString(entry->d_name));
        if (!entries.push(name.get())) throw std::bad_alloc();
        name.release();
    }
}

int VnDir::length() const {
    return entries.length();
}

VnString* VnDir::get(int i) const {
    return entries.get(i);
}

VnString VnDir::dir() const {
    return path;
}

int VnDir::make(int mode) {
    const int made = mkdir(path.value(), static_cast<mode_t>(mode)) == 0 ? 1 : 0;
    chmod(path.value(), static_cast<mode_t>(mode));
    return made;
}

int VnDir::remove() {
    _remove(0);
    return 1;
}

void VnDir::chdir(const VnString&) {}

void VnDir::_remove(int depth) {
    // Emptying the directory behind a link would destroy what the link
    // points to; only the link goes.
    if (islink(path)) {
        unlink(path.value());
        return;
    }
    for (int i = 0; i < length(); ++i) {
        if (_isdot(i)) continue;
        const VnString full = _full(i);
        if (islink(full)) {
            unlink(full.value());
        } else if (isdir(full)) {
            if (depth < kMaxTreeDepth) VnDir(full)._remove(depth + 1);
        } else {
            unlink(full.value());
        }
    }
    if (isdir(path)) rmdir(path.value());
}

int VnDir::isdir(const VnString& path) {
    return statusIs(path, true, [](mode_t mode) { return S_ISDIR(mode); });
}

int VnDir::isfile(const VnString& path) {
    return statusIs(path, true, [](mode_t mode) { return S_ISREG(mode); });
}

int VnDir::islink(const VnString& path) {
    return statusIs(path, false, [](mode_t mode) { return S_ISLNK(mode); });
}

int VnDir::fullaccess(const VnString& path) {
    return statusIs(path, true, [](mode_t mode) { return (mode & 0777) == 0777; });
}

std::int64_t VnDir::size(const VnString& path) {
    return _size(path, 0);
}

std::int64_t VnDir::_size(const VnString& path, int depth) {
    std::int64_t total = 0;
    const VnDir tree(path);
    for (int i = 0; i < tree.length(); ++i) {
        if (tree._isdot(i)) continue;
        const VnString full = tree._full(i);
        struct stat status;
        if (lstat(full.value(), &status) != 0 || S_ISLNK(status.st_mode)) continue;
        if (S_ISDIR(status.st_mode) && depth < kMaxTreeDepth) total += _size(full, depth + 1);
        total += status.st_size;
    }
    return total;
}

VnString VnDir::_full(int i) const {
    VnString full(path);
    full += "/";
    full += get(i);
    return full;
}

int VnDir::_isdot(int i) const {
    const char* name = get(i)->value();
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ? 1 : 0;
}
