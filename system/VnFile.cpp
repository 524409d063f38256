#include "system/VnFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

int VnFile::_file_unique = 0;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle openFile(const VnString& path, const char* mode) {
    return FileHandle(std::fopen(path.value(), mode));
}

// Opens an existing regular file for reading; null for anything else.
FileHandle openRegular(const VnString& path) {
    if (!VnFile::exists(path)) return nullptr;
    return openFile(path, "rb");
}

// Whether a string that holds `held` bytes can take the rest of an open regular file from
// offset `from` on. A file of 2 GiB or more cannot be held at all.
bool fits(std::FILE* file, std::int64_t from, std::int64_t held) {
    struct stat status;
    if (fstat(fileno(file), &status) != 0) return false;
    const std::int64_t rest = std::max<std::int64_t>(std::int64_t(status.st_size) - from, 0);
    return held + rest < INT_MAX;
}

// Reads in blocks of up to 1024 bytes until the end of the file is seen or a
// block comes back with 1022 bytes or fewer. Every read of a regular file but
// the last returns a full block, so the file is read whole. False, with `out`
// left partly filled, for a file that cannot be held or memory that runs out.
bool readBlocks(std::FILE* file, VnString& out) {
    if (!fits(file, 0, out.length())) return false;
    char block[1024];
    try {
        while (!std::feof(file)) {
            const std::size_t count = std::fread(block, 1, sizeof block, file);
            out.append(block, static_cast<int>(count));
            if (count <= 1022) break;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void writeAll(const VnString& path, const char* mode, const VnString& text) {
    FileHandle file = openFile(path, mode);
    if (!file) return;
    std::fwrite(text.value(), 1, static_cast<std::size_t>(text.length()), file.get());
    std::fflush(file.get());
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
    FileHandle file = openRegular(path);
    if (!file) return;
    VnString contents;
    if (!readBlocks(file.get(), contents)) return;
    _data = contents;
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
    if (!exists(path)) openFile(path, "w");  // closed again at once
    utime(path.value(), nullptr);
    return exists(path);
}

int VnFile::writable(const VnString& path) {
    return openFile(path, "a") ? 1 : 0;
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
    FileHandle file = openRegular(path);
    if (file && !readBlocks(file.get(), contents)) return VnString();
    return contents;
}

void VnFile::save(const VnString& path, const VnString& text) {
    writeAll(path, "wb", text);
}

void VnFile::append(const VnString& path, const VnString& text) {
    writeAll(path, "ab", text);
}

int VnFile::loadpos(const VnString& path, int pos, VnString& out) {
    FileHandle file = openRegular(path);
    if (!file) return -1;
    const std::int64_t start = pos < 0 ? 0 : pos;
    if (!fits(file.get(), start, out.length())) return -1;
    if (std::fseek(file.get(), static_cast<long>(start), SEEK_SET) != 0) return -1;
    VnString rest;
    char block[1024];
    std::size_t count;
    try {
        while ((count = std::fread(block, 1, sizeof block, file.get())) > 0)
            rest.append(block, static_cast<int>(count));
        out += rest;
    } catch (const std::bad_alloc&) {
        return -1;  // out is as it was
    }
    return static_cast<int>(std::min<std::int64_t>(start + rest.length(), INT_MAX));
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
