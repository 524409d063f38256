#include "system/VnFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <climits>
#include <cstdint>
#include <new>
#include <utility>

#include "system/VnSafeOpen.h"

int VnFile::_file_unique = 0;

namespace {

constexpr int kCreate = O_WRONLY | O_CREAT;

// Appends to out the bytes of the regular file at path from offset pos (0 when negative) up to
// its end by the size it has when opened (vn_read_fd_from). The offset past the last byte read,
// or -1, with out as it was, when the path is not a regular file or does not open, when the file
// is of 2 GiB or more by that size or out could not hold the bytes (not read at all then), when
// a file of size 0 holds more than kVnUnsizedReadMax bytes, or when reading fails.
int readFrom(const VnString& path, int pos, VnString& out) {
    const VnFd file = vn_open_named_read(path, INT_MAX);
    return file.valid() ? vn_read_fd_from(file.get(), pos, out) : -1;
}

void writeAll(const VnString& path, int flags, const VnString& text) {
    const VnFd file = vn_open_named(path, kCreate | flags);
    if (file.valid()) vn_write_fd(file.get(), text);
}

// Position of the last "/" in path, or -1.
int lastSlash(const VnString& path) {
    const char* bytes = path.value();
    for (int i = path.length() - 1; i >= 0; --i)
        if (bytes[i] == '/') return i;
    return -1;
}

}  // namespace

VnFile::VnFile() = default;

VnFile::VnFile(const VnString& path) {
    read(path);
}

VnFile::~VnFile() = default;

int VnFile::type() {
    return VN_TYPE_FILE;
}

VnString VnFile::typeXML() {
    return VnString(VN_XML_FILE);
}

void VnFile::read(const VnString& path) {
    VnString contents("");  // an empty file reads as a defined, empty text
    if (readFrom(path, 0, contents) < 0) return;
    _data = std::move(contents);
    _name = filename(path);
    _source = path;
}

void VnFile::write(const VnString& path) {
    save(path, _data);
}

VnString& VnFile::name() {
    return _name;
}
VnString& VnFile::source() {
    return _source;
}
VnString& VnFile::data() {
    return _data;
}
const VnString& VnFile::name() const {
    return _name;
}
const VnString& VnFile::source() const {
    return _source;
}
const VnString& VnFile::data() const {
    return _data;
}

int VnFile::exists(const VnString& path) {
    struct stat status;
    return stat(path.value(), &status) == 0 && S_ISREG(status.st_mode) ? 1 : 0;
}

int VnFile::touch(const VnString& path) {
    if (!exists(path)) vn_open_named(path, kCreate);  // closed again at once
    utime(path.value(), nullptr);
    return exists(path);
}

int VnFile::writable(const VnString& path) {
    return vn_open_named(path, kCreate | O_APPEND).valid() ? 1 : 0;
}

long VnFile::modified(const VnString& path) {
    struct stat status;
    if (stat(path.value(), &status) != 0) return 0;
    return static_cast<long>(status.st_mtime);
}

int VnFile::remove(const VnString& path) {
    return unlink(path.value()) == 0 ? 1 : 0;
}

int VnFile::hidden(const VnString&) {
    return 0;
}

int VnFile::clearhidden(const VnString&) {
    return 0;
}

VnString VnFile::load(const VnString& path) {
    VnString contents;
    if (readFrom(path, 0, contents) < 0) return VnString();
    return contents;
}

void VnFile::save(const VnString& path, const VnString& text) {
    writeAll(path, O_TRUNC, text);
}

void VnFile::append(const VnString& path, const VnString& text) {
    writeAll(path, O_APPEND, text);
}

int VnFile::loadpos(const VnString& path, int pos, VnString& out) {
    return readFrom(path, pos, out);
}

VnString VnFile::filename(const VnString& path) {
    const int slash = lastSlash(path);
    if (slash < 0) return path;
    return VnString(path.value() + slash + 1, path.length() - slash - 1);
}

VnString VnFile::dirbase(const VnString& path) {
    const int slash = lastSlash(path);
    if (slash <= 0) return VnString("");
    return VnString(path.value(), slash);
}

VnString VnFile::uniquefile() {
    VnString name("vorn");
    name += static_cast<int>(getpid());
    name += "u";
    name += _file_unique;
    name += ".tmp";
    // Counts on past INT_MAX by wrapping, never by signed overflow.
    _file_unique = static_cast<int>(static_cast<unsigned>(_file_unique) + 1u);
    return name;
}
