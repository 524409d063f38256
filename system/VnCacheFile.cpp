#include "system/VnCacheFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "system/VnSafeOpen.h"

namespace {

// Whether the open regular file belongs to the process's user and has no other name: a hard
// link to it, made by anyone, is another way to reach a file that may be someone else's.
bool ownSoleFile(int fd) {
    struct stat status;
    return fstat(fd, &status) == 0 && status.st_uid == geteuid() && status.st_nlink == 1;
}

// The cache file opened with flags when it is a regular file of this user with one name.
VnFd openOwn(const VnString& path, int flags) {
    VnFd file = vn_open_file_at(AT_FDCWD, path.value(), flags, 0600);
    if (!file.valid() || !ownSoleFile(file.get())) return VnFd();
    return file;
}

}  // namespace

VnString vn_cache_load(const VnString& path, int limit) {
    const VnFd file = openOwn(path, O_RDONLY);
    if (!file.valid()) return VnString("");
    VnString contents("");
    // One byte past the limit tells a file that is too long.
    if (vn_read_fd(file.get(), 0, static_cast<std::int64_t>(limit) + 1, contents) < 0) return VnString("");
    return contents.length() > limit ? VnString("") : contents;
}

// The file is truncated only once it is known to be this user's own regular file, so a name
// that another user took keeps its contents.
int vn_cache_save(const VnString& path, const VnString& text) {
    VnFd file = openOwn(path, O_WRONLY | O_CREAT);
    if (!file.valid()) return 0;
    if (fchmod(file.get(), 0600) != 0 || ftruncate(file.get(), 0) != 0) return 0;
    const int written = vn_write_fd(file.get(), text);
    return close(file.release()) == 0 && written ? 1 : 0;
}
