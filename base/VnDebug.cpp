#include "base/VnDebug.h"

#include <unistd.h>

#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>

#include "base/VnStringList.h"
#include "system/VnFile.h"

namespace {

const char* const kMonths[] = {"Jan ", "Feb ", "Mar ", "Apr ", "May ", "Jun ",
                               "Jul ", "Aug ", "Sep ", "Oct ", "Nov ", "Dec "};

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    return local;
}

// Weekly files number the weeks of the year from 0 (1 to 7 January) to 52.
int weekOfYear() {
    return localNow().tm_yday / 7;
}

VnString twoDigits(int n) {
    VnString text;
    text.integervalue(n, 2);
    return text;
}

}  // namespace

VnDebug::VnDebug() : _filename(nullptr), _mode(0) {}

VnDebug::~VnDebug() {
    delete _filename;
}

void VnDebug::mode(int m) {
    _mode = m;
}

int VnDebug::mode() {
    return _mode;
}

void VnDebug::filename(const VnString& name) {
    if (!_filename) _filename = new VnString(name);
}

void VnDebug::lock() {}

void VnDebug::unlock() {}

// Each of the header's items is written on its own, like any other item.
VnDebug& VnDebug::mark() {
    const std::tm now = localNow();
    *this << "[" << kMonths[now.tm_mon] << now.tm_mday << ", " << now.tm_year + 1900 << " " << now.tm_hour
          << ":" << twoDigits(now.tm_min) << ":" << twoDigits(now.tm_sec) << "] ";
    // Zeroed and given one byte less than its size, the buffer always holds a
    // terminated name, truncated if need be; a failure leaves it empty.
    char host[1024] = {};
    if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    return *this << host << " : ";
}

VnDebug& VnDebug::operator<<(const VnString& s) {
    return _write(s);
}

VnDebug& VnDebug::operator<<(char* s) {
    return *this << static_cast<const char*>(s);
}

VnDebug& VnDebug::operator<<(const char* s) {
    return s ? _write(s) : *this;
}

VnDebug& VnDebug::operator<<(char c) {
    return _write(c);
}

VnDebug& VnDebug::operator<<(int n) {
    return _write(n);
}

VnDebug& VnDebug::operator<<(unsigned int n) {
    return _write(n);
}

VnDebug& VnDebug::operator<<(long n) {
    return _write(n);
}

VnDebug& VnDebug::operator<<(unsigned long n) {
    return _write(n);
}

VnDebug& VnDebug::operator<<(long long n) {
    return _write(n);
}

VnDebug& VnDebug::operator<<(float x) {
    return _write(x);
}

VnDebug& VnDebug::operator<<(double x) {
    return _write(x);
}

std::ofstream* VnDebug::_stream() {
    if (!_filename || _filename->length() == 0) return nullptr;
    if (_mode == 0) return new std::ofstream(_filename->value(), std::ios::out | std::ios::app);
    if (_mode != 1) return nullptr;
    VnString name(*_filename);
    name += ".";
    name += weekOfYear();
    return new std::ofstream(name.value(), std::ios::out | std::ios::app);
}

// One item to its destination; a file is closed again at once, so the item
// has reached it when this returns.
template <class T>
VnDebug& VnDebug::_write(const T& item) {
    std::unique_ptr<std::ofstream> file(_stream());
    if (file)
        *file << item;
    else
        std::cout << item;
    return *this;
}

VnDebug& vn_debug_obj() {
    static VnDebug log;
    return log;
}

void vn_debug_filename(const VnString& name, int mode) {
    VnDebug& log = vn_debug_obj();
    log.mode(mode);
    log.filename(name);
}

void vn_debug_logfiles(const VnString& name, VnStringList& list) {
    for (int week = 0; week <= 52; ++week) {
        VnString candidate(name);
        candidate += ".";
        candidate += week;
        if (!VnFile::exists(candidate)) continue;
        std::unique_ptr<VnString> found(new VnString(candidate));
        if (list.push(found.get())) found.release();
    }
}
