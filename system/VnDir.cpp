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
#include "system/VnSafeOpen.h"

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

// The directory name inside the open directory parent; null when it is not a directory
// (a link to one included) or does not open.
DirHandle openDirAt(int parent, const char* name) {
    VnFd fd = vn_open_dir_at(parent, name);
    if (!fd.valid()) return nullptr;
    DIR* directory = fdopendir(fd.get());
    if (directory) fd.release();
    return DirHandle(directory);
}

bool isDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Calls visit(fd, name, status) for each of names in the open directory fd, with the status
// of the entry itself, not of what a link points to; names that are gone are passed over.
template <class Visit>
void eachOf(int fd, const std::vector<std::string>& names, Visit visit) {
    for (const std::string& name : names) {
        struct stat status;
        if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) visit(fd, name.c_str(), status);
    }
}

// The entry names of the open directory but "." and "..".
std::vector<std::string> namesOf(DIR* directory) {
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory))
        if (!isDot(entry->d_name)) names.emplace_back(entry->d_name);
    return names;
}

// Calls visit for every entry of the open directory. The names are read first, so that
// removing entries does not disturb the reading.
template <class Visit>
void eachEntry(DIR* directory, Visit visit) {
    eachOf(dirfd(directory), namesOf(directory), visit);
}

void emptyDirectory(DIR* directory, int depth);

// Removes the named entries of the open directory fd: files and links are unlinked,
// subdirectories emptied of what they hold when reached and removed, down to the depth limit;
// deeper directories stay.
void removeEntries(int fd, const std::vector<std::string>& names, int depth) {
    eachOf(fd, names, [depth](int parent, const char* name, const struct stat& status) {
        if (!S_ISDIR(status.st_mode)) {
            unlinkat(parent, name, 0);
        } else if (depth < VnDir::kMaxTreeDepth) {
            if (DirHandle sub = openDirAt(parent, name)) emptyDirectory(sub.get(), depth + 1);
            unlinkat(parent, name, AT_REMOVEDIR);
        }
    });
}

void emptyDirectory(DIR* directory, int depth) {
    removeEntries(dirfd(directory), namesOf(directory), depth);
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
    bool made = false;
    vn_make_dir_at(AT_FDCWD, path.value(), mode, &made);
    return made ? 1 : 0;
}

// Emptying the directory behind a link would destroy what the link points to: a path that
// does not open as a directory because it is a link loses only the link. Only the entries
// loaded when the object was built are removed, so a file added since stays, and with it the
// directory.
int VnDir::remove() {
    if (DirHandle top = openDirAt(AT_FDCWD, path.value())) {
        std::vector<std::string> names;
        for (int i = 0; i < entries.length(); ++i) {
            const VnString* name = entries.get(i);
            if (name && !isDot(name->value())) names.emplace_back(name->value(), name->length());
        }
        removeEntries(dirfd(top.get()), names, 0);
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
