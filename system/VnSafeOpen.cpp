#include "system/VnSafeOpen.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "system/VnSafeOpenHooks.h"

namespace {

// The bytes that one read call asks for.
constexpr std::int64_t kReadBlock = 65536;
constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Never through a link, never waiting on a FIFO or a device, never left open across exec.
constexpr int kFileFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

bool isMode(int fd, mode_t kind) {
    struct stat status;
    return fstat(fd, &status) == 0 && (status.st_mode & S_IFMT) == kind;
}

// Keeps fd when it is open on the kind of file asked for; closes it otherwise.
VnFd keepIf(int fd, mode_t kind) {
    VnFd kept(fd);
    if (!kept.valid() || !isMode(fd, kind)) return VnFd();
    return kept;
}

// Whether the open file has no name but the one it was opened by. A second hard link may have
// been made from the name of a file elsewhere, which the opener must not change.
bool soleName(int fd) {
    struct stat status;
    return fstat(fd, &status) == 0 && status.st_nlink == 1;
}

// The base of a walk, as the caller named it.
VnFd openBase(const VnString& base) {
    const char* path = base.length() == 0 ? "/" : base.value();
    return keepIf(open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC), S_IFDIR);
}

}  // namespace

VnFd& VnFd::operator=(VnFd&& other) noexcept {
    if (this != &other) {
        if (_fd >= 0) close(_fd);
        _fd = other._fd;
        other._fd = -1;
    }
    return *this;
}

VnFd::~VnFd() {
    if (_fd >= 0) close(_fd);
}

int VnFd::release() {
    const int fd = _fd;
    _fd = -1;
    return fd;
}

int vn_safe_name(const VnString& name) {
    const int n = name.length();
    if (n == 0 || name == VnString(".") || name == VnString("..")) return 0;
    const bool bad = std::memchr(name.value(), '/', static_cast<std::size_t>(n)) ||
                     std::memchr(name.value(), '\0', static_cast<std::size_t>(n));
    return bad ? 0 : 1;
}

VnFd vn_open_dir_at(int dir, const char* name) {
    return keepIf(openat(dir, name, kDirectoryFlags), S_IFDIR);
}

VnFd vn_make_dir_at(int dir, const char* name, int mode, bool* made) {
    const bool created = mkdirat(dir, name, static_cast<mode_t>(mode)) == 0;
    if (made) *made = created;
    VnFd opened = vn_open_dir_at(dir, name);
    if (opened.valid()) fchmod(opened.get(), static_cast<mode_t>(mode));
    return opened;
}

// A file opened for writing is emptied (O_TRUNC) only once it is known to have no other name.
VnFd vn_open_file_at(int dir, const char* name, int flags, int mode) {
    const bool writes = (flags & O_ACCMODE) != O_RDONLY || (flags & O_TRUNC);
    VnFd file =
        keepIf(openat(dir, name, (flags & ~O_TRUNC) | kFileFlags, static_cast<mode_t>(mode)), S_IFREG);
    if (!writes || !file.valid()) return file;
    if (!soleName(file.get())) return VnFd();
    if ((flags & O_TRUNC) && ftruncate(file.get(), 0) != 0) return VnFd();
    return file;
}

VnFd vn_open_dir_below(const VnString& base, const VnString* names, int count, bool make, int mode) {
    VnFd dir = openBase(base);
    for (int i = 0; i < count && dir.valid(); ++i) {
        if (!vn_safe_name(names[i])) return VnFd();
        dir = make ? vn_make_dir_at(dir.get(), names[i].value(), mode)
                   : vn_open_dir_at(dir.get(), names[i].value());
    }
    return dir;
}

VnFd vn_open_file_below(const VnString& base, const VnString* names, int count, int flags, int mode) {
    if (count < 1 || !vn_safe_name(names[count - 1])) return VnFd();
    const VnFd dir = vn_open_dir_below(base, names, count - 1);
    if (!dir.valid()) return VnFd();
    return vn_open_file_at(dir.get(), names[count - 1].value(), flags, mode);
}

std::vector<std::string> vn_dir_names(VnFd dir) {
    std::vector<std::string> names;
    DIR* directory = dir.valid() ? fdopendir(dir.get()) : nullptr;
    if (!directory) return names;
    dir.release();
    while (const dirent* entry = readdir(directory))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    closedir(directory);
    return names;
}

void (*_vn_after_size)(int fd) = nullptr;

namespace {

// Appends the bytes of fd from its current offset on to out, at most max of them: their number,
// or -1 when reading fails or out cannot hold them (out then holds part of them).
std::int64_t appendRead(int fd, std::int64_t max, VnString& out) {
    std::int64_t total = 0;
    char block[kReadBlock];
    try {
        while (total < max) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::int64_t>(sizeof block, max - total));
            const ssize_t got = read(fd, block, want);
            if (got == 0) break;
            if (got < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            out.append(block, static_cast<int>(got));
            total += got;
        }
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return total;
}

// Appends to out at most max bytes of fd from its current offset, as appendRead does, leaving
// out as it was when that fails or when more than cap bytes were read. The bytes go to a text of
// their own first, made with out's secure flag. When the file's size is known (sized), that text
// is made once for all of them; and when they are at least as many as out holds, out's bytes go
// in before them and the text then takes out's place, so a large read costs one buffer of its
// size. Fewer bytes are appended to out, which grows by its rule: a follower that adds small
// pieces to a long text moves it a few times, not once per piece.
std::int64_t appendWhole(int fd, std::int64_t max, std::int64_t cap, bool sized, VnString& out) {
    const int held = out.length();
    const bool replaces = sized ? max >= held : held == 0;
    try {
        VnString read;
        read.secure(out.secure());
        if (sized) read.reserve(static_cast<int>(replaces ? held + max : max));
        if (replaces) read += out;
        const std::int64_t got = appendRead(fd, max, read);
        if (got < 0 || got > cap) return -1;
        if (got == 0) return 0;
        if (replaces)
            out = std::move(read);
        else
            out += read;
        return got;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

// vn_read_fd for a file whose size was just taken: that size bounds the read.
std::int64_t readSized(int fd, std::int64_t size, std::int64_t pos, std::int64_t max, VnString& out) {
    if (_vn_after_size) _vn_after_size(fd);
    // A size of 0 tells nothing: whole blocks are read until the file ends or the cap is passed.
    const bool unsized = size == 0;
    const std::int64_t rest = unsized ? std::min(max, kVnUnsizedReadMax + kReadBlock)
                                      : std::min(std::max<std::int64_t>(size - pos, 0), max);
    if (!unsized && out.length() + rest >= INT_MAX) return -1;  // more than a text can hold: not read
    if (rest <= 0) return 0;
    if (lseek(fd, pos, SEEK_SET) < 0) return -1;
    return appendWhole(fd, rest, unsized ? kVnUnsizedReadMax : rest, !unsized, out);
}

}  // namespace

std::int64_t vn_read_fd(int fd, std::int64_t pos, std::int64_t max, VnString& out) {
    struct stat status;
    if (fstat(fd, &status) != 0) return -1;
    return readSized(fd, status.st_size, pos < 0 ? 0 : pos, max, out);
}

int vn_read_fd_from(int fd, int pos, VnString& out) {
    struct stat status;
    if (fstat(fd, &status) != 0 || status.st_size > INT_MAX) return -1;
    const std::int64_t start = pos < 0 ? 0 : pos;
    // Past offset INT_MAX nothing is read: only a file of size 0 can reach it.
    const std::int64_t got = readSized(fd, status.st_size, start, INT_MAX - start, out);
    return got < 0 ? -1 : static_cast<int>(start + got);
}

int vn_write_fd(int fd, const VnString& text) {
    const char* bytes = text.value();
    std::int64_t left = text.length();
    while (left > 0) {
        const ssize_t written = write(fd, bytes, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return 0;
        bytes += written;
        left -= written;
    }
    return 1;
}

// ---- Files named by a path ---------------------------------------------------------------

namespace {

// Never waiting on a FIFO or a device, never taking a terminal, never left open across exec.
constexpr int kNamedFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// The file at path when it is a regular file, its status in status.
VnFd openNamed(const VnString& path, int flags, int mode, struct stat& status) {
    VnFd file(open(path.value(), flags | kNamedFlags, static_cast<mode_t>(mode)));
    if (!file.valid() || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return VnFd();
    // Reads and writes of a regular file never wait anyway; the flag goes so that the
    // descriptor is an ordinary one.
    fcntl(file.get(), F_SETFL, fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    return file;
}

}  // namespace

VnFd vn_open_named(const VnString& path, int flags, int mode) {
    struct stat status;
    return openNamed(path, flags, mode, status);
}

VnFd vn_open_named_read(const VnString& path, std::int64_t max) {
    struct stat status;
    VnFd file = openNamed(path, O_RDONLY, 0, status);
    if (file.valid() && status.st_size > max) return VnFd();
    return file;
}
