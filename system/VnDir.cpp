#include "system/VnDir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

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

// The walks below hold each directory open and name its entries relative to it, so no path
// grows past one name however deep the tree is, and a link is never followed: a directory
// opens only when it is not a link at that moment, and every removal names the entry in the
// directory that was opened, so an entry swapped for a link in between is only unlinked.
constexpr int kOpenDirectory = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The directory name inside the open directory parent; null when it is not a directory
// (a link to one included) or does not open.
DirHandle openDirAt(int parent, const char* name) {
    const int fd = openat(parent, name, kOpenDirectory);
    if (fd < 0) return nullptr;
    DIR* directory = fdopendir(fd);
    if (!directory) close(fd);
    return DirHandle(directory);
}

bool isDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Calls visit(fd, name, status) for every entry of the open directory but "." and "..",
// with the status of the entry itself, not of what a link points to. The names are read
// first, so that removing entries does not disturb the reading.
template <class Visit>
void eachEntry(DIR* directory, Visit visit) {
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory))
        if (!isDot(entry->d_name)) names.emplace_back(entry->d_name);
    const int fd = dirfd(directory);
    for (const std::string& name : names) {
        struct stat status;
        if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) visit(fd, name.c_str(), status);
    }
}

// Empties the open directory: files and links are unlinked, subdirectories emptied and removed,
// down to the depth limit; deeper directories stay.
void emptyDirectory(DIR* directory, int depth) {
    eachEntry(directory, [depth](int fd, const char* name, const struct stat& status) {
        if (!S_ISDIR(status.st_mode)) {
            unlinkat(fd, name, 0);
        } else if (depth < VnDir::kMaxTreeDepth) {
            if (DirHandle sub = openDirAt(fd, name)) emptyDirectory(sub.get(), depth + 1);
            unlinkat(fd, name, AT_REMOVEDIR);
        }
    });
}

// Bytes under the open directory, down to the depth limit.
std::int64_t treeSize(DIR* directory, int depth) {
    std::int64_t total = 0;
    eachEntry(directory, [&total, depth](int fd, const char* name, const struct stat& status) {
        if (S_ISLNK(status.st_mode)) return;
        if (S_ISDIR(status.st_mode) && depth < VnDir::kMaxTreeDepth)
            if (DirHandle sub = openDirAt(fd, name)) total += treeSize(sub.get(), depth + 1);
        total += status.st_size;
    });
    return total;
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

// Emptying the directory behind a link would destroy what the link points to: a path that
// does not open as a directory because it is a link loses only the link.
int VnDir::remove() {
    if (DirHandle top = openDirAt(AT_FDCWD, path.value())) {
        emptyDirectory(top.get(), 0);
        rmdir(path.value());
    } else if (islink(path)) {
        unlink(path.value());
    }
    return 1;
}

void VnDir::chdir(const VnString&) {}

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

// The directory named by path is opened through a final link, as listing it does; inside
// the tree no link is followed.
std::int64_t VnDir::size(const VnString& path) {
    const int fd = open(path.value(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    DIR* directory = fdopendir(fd);
    if (!directory) {
        close(fd);
        return 0;
    }
    const DirHandle top(directory);
    return treeSize(top.get(), 0);
}
