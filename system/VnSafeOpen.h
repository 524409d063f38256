#ifndef VN_SYSTEM_VNSAFEOPEN_H
#define VN_SYSTEM_VNSAFEOPEN_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/VnString.h"

// Opening places that other users can write to, such as the log tree, without being led
// elsewhere. Below a base directory every name is opened on its own, relative to the open
// directory that holds it, and never followed when it is a symbolic link; a directory is
// taken only where one is asked for, and a file only when it is a regular file (checked on the
// open descriptor, so nothing can be swapped in between). A FIFO or a device in a file's place
// is refused without blocking. A file with a second hard link may be read, never written.

// A descriptor, closed with the object.
class VnFd {
public:
    VnFd() : _fd(-1) {}
    explicit VnFd(int fd) : _fd(fd) {}
    VnFd(VnFd&& other) noexcept : _fd(other._fd) { other._fd = -1; }
    VnFd& operator=(VnFd&& other) noexcept;
    VnFd(const VnFd&) = delete;
    VnFd& operator=(const VnFd&) = delete;
    ~VnFd();

    int get() const { return _fd; }
    bool valid() const { return _fd >= 0; }
    // Hands the descriptor over to the caller; the object holds none afterwards.
    int release();

private:
    int _fd;
};

// 1 when name can stand as one name in a path without leaving its directory or being cut
// short by the system: not empty, not "." or "..", with no "/" and no NUL byte. Else 0.
int vn_safe_name(const VnString& name);

// The directory name inside the open directory dir (AT_FDCWD: name is a path, whose final
// name is the one not followed). Invalid when it is not a directory or does not open.
VnFd vn_open_dir_at(int dir, const char* name);
// Creates the directory name inside dir with mode, then opens it as vn_open_dir_at does and
// sets mode on it through the descriptor, whether or not it was created, so that the umask
// does not narrow it. A link in its place is neither followed nor changed. made, when given,
// tells whether this call created it.
VnFd vn_make_dir_at(int dir, const char* name, int mode, bool* made = nullptr);
// The regular file name inside dir, opened with flags (O_RDONLY, or O_WRONLY with O_APPEND,
// O_CREAT and the like; a file created gets mode, narrowed by the umask). Invalid for a link,
// for anything that is not a regular file, and when it does not open. Opened for writing (or
// with O_TRUNC), it is also invalid when the file has more than one name (a hard link to it),
// and then it is left as it was: O_TRUNC empties a file only once it is known to have one.
VnFd vn_open_file_at(int dir, const char* name, int flags, int mode = 0666);

// The directory reached from base through the count names, each opened with vn_open_dir_at,
// or with vn_make_dir_at and mode when make is set. The base itself is opened as the caller
// named it, a final link followed ("" is the root directory). Invalid when a name is not
// safe (vn_safe_name) or a step fails.
VnFd vn_open_dir_below(const VnString& base, const VnString* names, int count, bool make = false,
                       int mode = 0777);
// The regular file named by the last of the count names, in the directory reached through the
// others (vn_open_dir_below, nothing made), opened as vn_open_file_at does.
VnFd vn_open_file_below(const VnString& base, const VnString* names, int count, int flags, int mode = 0666);

// The entry names of the open directory but "." and "..", in the order the system gives them;
// the descriptor is closed.
std::vector<std::string> vn_dir_names(VnFd dir);

// Appends to out the bytes of the open file from offset pos (0 when negative) up to its end,
// at most max of them. The end is where the size of the file puts it when the read starts:
// bytes added to the file while it is read are not taken. A file that reports size 0 (those of
// /proc and /sys do) is read to its end, but not past kVnUnsizedReadMax bytes. Answers the number
// appended, or -1 when reading fails, when out cannot hold them (a file too large by its size
// is not read at all) or when a file of size 0 holds more than kVnUnsizedReadMax bytes past pos
// (at most one block more is read then); out is then as it was. When the size is known, the bytes
// are read into a buffer made once for them: for out's bytes too when they are no more than those
// read, the buffer then taking out's place; else the bytes read are appended to out, which grows
// by its rule.
std::int64_t vn_read_fd(int fd, std::int64_t pos, std::int64_t max, VnString& out);
// For callers that answer an int offset: appends to out the bytes of the open file from offset
// pos (0 when negative) to its end, as vn_read_fd does. Answers the offset just past the last
// byte read, or -1, with out as it was, when reading fails, out cannot hold the bytes, or the
// file is of 2 GiB or more by its size when the read starts, whatever pos (not read at all then).
int vn_read_fd_from(int fd, int pos, VnString& out);
// The most that vn_read_fd takes from a file that reports size 0: 64 MiB.
constexpr std::int64_t kVnUnsizedReadMax = std::int64_t(64) << 20;
// Writes the bytes of text to the open file. 1 when every byte was written, else 0.
int vn_write_fd(int fd, const VnString& text);

// ---- Files named by a path, as the caller gives it --------------------------------------
// The library's general file calls follow links as any open does. What they must not do is
// wait: a FIFO, a device or a directory may stand in a file's place, even swapped in after a
// look at the path, so the open never blocks and the file is judged on the open descriptor.

// The file at path opened with flags (O_RDONLY, or O_WRONLY with O_CREAT, O_TRUNC, O_APPEND and
// the like; a file created gets mode, narrowed by the umask) and kept only when it is a regular
// file. The open waits on no FIFO, never takes a terminal as the controlling one and is not
// inherited across exec; the descriptor answered blocks again as an ordinary one does.
// Invalid otherwise: nothing has been read or written.
VnFd vn_open_named(const VnString& path, int flags, int mode = 0666);
// The regular file at path opened for reading (vn_open_named) when it holds at most max bytes
// by the size of the open file; invalid otherwise.
VnFd vn_open_named_read(const VnString& path, std::int64_t max);

#endif  // VN_SYSTEM_VNSAFEOPEN_H
