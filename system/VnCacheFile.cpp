#include "system/VnCacheFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>

namespace {

// Closes the descriptor on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    // Closes now and reports whether the close succeeded.
    bool close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

    int fd;
};

// Whether the open file is a regular file of the process's user.
bool ownRegularFile(int fd) {
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid();
}

bool writeAll(int fd, const char* bytes, int count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, static_cast<std::size_t>(count));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<int>(written);
    }
    return true;
}

}  // namespace

VnString vn_cache_load(const VnString& path, int limit) {
    // Non-blocking, so that a FIFO put in the file's place cannot stall the open.
    Descriptor file(open(path.value(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0 || !ownRegularFile(file.fd)) return VnString("");
    VnString contents("");
    char block[1024];
    while (contents.length() < limit) {
        const int want = std::min(static_cast<int>(sizeof block), limit - contents.length());
        const ssize_t got = ::read(file.fd, block, static_cast<std::size_t>(want));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return VnString("");
        if (got == 0) break;
        contents.append(block, static_cast<int>(got));
    }
    return contents;
}

// The file is truncated only once it is known to be this user's own regular file, so a name
// that another user took keeps its contents.
int vn_cache_save(const VnString& path, const VnString& text) {
    Descriptor file(open(path.value(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (file.fd < 0 || !ownRegularFile(file.fd)) return 0;
    if (fchmod(file.fd, 0600) != 0 || ftruncate(file.fd, 0) != 0) return 0;
    const bool written = writeAll(file.fd, text.value(), text.length());
    return file.close() && written ? 1 : 0;
}
