#include "system/VnFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>

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

// Reads in blocks of up to 1024 bytes until the end of the file is seen or a
// block comes back with 1022 bytes or fewer. Every read of a regular file but
// the last returns a full block, so the file is read whole.
void readBlocks(std::FILE* file, VnString& out) {
    char block[1024];
    while (!std::feof(file)) {
        const std::size_t count = std::fread(block, 1, sizeof block, file);
        out.append(block, static_cast<int>(count));
        if (count <= 1022) break;
    }
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
    readBlocks(file.get(), contents);
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
    if (FileHandle file = openRegular(path)) readBlocks(file.get(), contents);
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
    std::int64_t offset = pos < 0 ? 0 : pos;
    if (std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0) return -1;
    char block[1024];
    std::size_t count;
    while ((count = std::fread(block, 1, sizeof block, file.get())) > 0) {
        out.append(block, static_cast<int>(count));
        offset += static_cast<std::int64_t>(count);
    }
    return offset > INT_MAX ? INT_MAX : static_cast<int>(offset);
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
