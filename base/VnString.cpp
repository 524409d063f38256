#include "base/VnString.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <strings.h>
#include <utility>

#include "base/VnTypes.h"

namespace {

// Capacity of a buffer that must hold `need` bytes: four times the need, at
// least 16, at most INT_MAX. A need beyond INT_MAX cannot be held at all.
int capacityFor(std::int64_t need) {
    if (need > INT_MAX) throw std::bad_alloc();
    const std::int64_t request = need * 4;
    if (request <= 16) return 16;
    return static_cast<int>(std::min<std::int64_t>(request, INT_MAX));
}

// Capacity of a buffer made for just `need` bytes: at least 16, at most INT_MAX.
int exactCapacityFor(std::int64_t need) {
    if (need > INT_MAX) throw std::bad_alloc();
    return static_cast<int>(std::max<std::int64_t>(need, 16));
}

// Zeroes memory through a volatile pointer, so that the stores are kept even
// when the memory is released right after.
void zeroBytes(char* p, int size) {
    volatile char* v = p;
    for (int i = 0; i < size; ++i)
        v[i] = 0;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Value of a hexadecimal digit, either case; any other byte counts as 0.
int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// 1 when one of the `length` bytes of text is one of the bytes of `set`.
int containsAny(const char* text, int length, const char* set, std::size_t setLength) {
    for (int i = 0; i < length; ++i) {
        if (std::memchr(set, text[i], setLength)) return 1;
    }
    return 0;
}

}  // namespace

// ---- Buffer management -----------------------------------------------------

void VnString::_init() {
    _data = nullptr;
    _length = 0;
    _size = 0;
    _secure = 0;
}

// Releases a place the text no longer uses, zeroing it first when the string
// is secure: a heap buffer of `size` bytes, or the bytes inside the object.
void VnString::_release(char* buffer, int size) const {
    if (!buffer) return;
    if (buffer == _inline) {
        if (_secure) zeroBytes(buffer, kInlineSize);
        return;
    }
    if (_secure) zeroBytes(buffer, size);
    delete[] buffer;
}

// Takes o's text, capacity and secure flag into this undefined string: a heap buffer by its
// pointer, a text inside o by its bytes. o is left undefined and keeps its secure flag, so a
// secret given to it later still goes to a heap buffer that is zeroed.
void VnString::_take(VnString& o) noexcept {
    if (o._isInline()) {  // the text and its NUL; the bytes past them are zero
        std::memcpy(_inline, o._inline, std::size_t(o._length) + 1);
        std::memset(_inline + o._length + 1, 0, kInlineSize - std::size_t(o._length) - 1);
        _data = _inline;
    } else {
        _data = o._data;
    }
    _length = o._length;
    _size = o._size;
    _secure = o._secure;
    o._data = nullptr;
    o._length = 0;
    o._size = 0;
}

std::int64_t VnString::heapCost(std::int64_t length) {
    const std::int64_t need = length + 1;
    if (need <= kInlineSize) return 0;
    return std::max<std::int64_t>(16, std::min<std::int64_t>(need * 4, INT_MAX)) + kBlockOverhead;
}

// Makes room for `need` bytes (the text and its NUL). The capacity follows
// the growth rule wherever the text is kept, or is just `need` when exact. The text stays inside the object
// while it fits there, the string is not secure and it never had a heap
// buffer; otherwise it lives in a heap buffer of the capacity's size.
// Answers the place the text was in when it moved to a new buffer (else
// NULL): the caller reads from it, then hands it to _release with the old
// capacity. Nothing changes when the allocation fails.
char* VnString::_makeRoom(std::int64_t need, bool exact) {
    const bool onHeap = _data != nullptr && !_isInline();
    if (onHeap && need <= _size) return nullptr;
    const int capacity = need <= _size ? _size : exact ? exactCapacityFor(need) : capacityFor(need);
    if (!onHeap && !_secure && need <= kInlineSize) {
        _data = _inline;
        _size = capacity;
        return nullptr;
    }
    char* fresh = new char[capacity];
    char* old = _data;
    _data = fresh;
    _size = capacity;
    return old;
}

// Every copy ends here: the text becomes the n bytes at s and a NUL. The old
// place stays alive until the bytes are copied, so s may point into it.
void VnString::_copyBytes(const char* s, std::int64_t n) {
    const int oldSize = _size;
    char* old = _makeRoom(n + 1);
    std::memmove(_data, s, n);
    _data[n] = '\0';
    _length = static_cast<int>(n);
    _release(old, oldSize);
}

// Every append ends here: makes room for k more bytes after the text (moving
// the text when it needs a new place), lets `write` fill them, then ends the
// text with a NUL. The old place is released only after `write` ran, so a
// source inside it (s += s) stays valid.
template <typename Write>
void VnString::_appendWith(std::int64_t k, Write write) {
    const int oldSize = _size;
    char* old = _makeRoom(std::int64_t(_length) + k + 1);
    if (old) std::memcpy(_data, old, _length);
    write(_data + _length);
    _length += static_cast<int>(k);
    _data[_length] = '\0';
    _release(old, oldSize);
}

void VnString::_appendBytes(const char* s, std::int64_t k) {
    _appendWith(k, [s, k](char* out) { std::memmove(out, s, k); });
}

// Appends printf text formatted straight into the string's own buffer, sized
// for the result whatever the width or the magnitude of the number.
template <typename... Args>
void VnString::_appendFormatted(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n < 0) throw std::bad_alloc();  // the text does not fit in an int
    _appendWith(n, [&](char* out) { std::snprintf(out, std::size_t(n) + 1, format, args...); });
}

// ---- Construction and assignment -------------------------------------------

VnString::VnString() {
    _init();
}

VnString::VnString(const char* s) {
    _init();
    copy(s);
}

VnString::VnString(const char* s, int n) {
    _init();
    copy(s, n);
}

VnString::VnString(const VnString& o) : VnBase() {
    _init();
    VnString::copy(o);
}

VnString::VnString(VnString&& o) noexcept : VnBase() {
    _init();
    _take(o);
}

VnString::VnString(int v) {
    _init();
    copy(v);
}

VnString::VnString(float v) {
    _init();
    copy(v);
}

VnString::~VnString() {
    _release(_data, _size);
}

int VnString::type() {
    return VN_TYPE_STRING;
}

void VnString::copy(const VnString& o) {
    // A buffer that held a secret is wiped before the flag that protects it
    // goes; otherwise its tail would outlive the secure flag.
    if (_secure && !o._secure) wipe();
    secure(o._secure);
    if (o._length > 0) {
        copy(o._data, o._length);
    } else {
        clear();
    }
}

void VnString::copy(const char* s) {
    if (!s || s == _data) return;
    _copyBytes(s, std::strlen(s));
}

void VnString::copy(const char* s, int n) {
    if (!s || s == _data) return;
    if (n <= 0) {
        clear();
        return;
    }
    _copyBytes(s, n);
}

void VnString::copy(int v) {
    clear();
    *this += v;
}

void VnString::copy(float v) {
    clear();
    *this += v;
}

VnString& VnString::operator=(const VnString& o) {
    copy(o);
    return *this;
}

VnString& VnString::operator=(VnString&& o) noexcept {
    if (&o != this) {
        _release(_data, _size);
        _init();
        _take(o);
    }
    return *this;
}

VnString& VnString::operator=(VnString* p) {
    if (p) copy(*p);
    return *this;
}

VnString& VnString::operator=(const char* s) {
    copy(s);
    return *this;
}

VnString& VnString::operator=(int v) {
    copy(v);
    return *this;
}

// ---- Access ----------------------------------------------------------------

char* VnString::copyvalue() const {
    char* out = new char[_length + 1]();
    const char* text = value();
    std::memcpy(out, text, std::strlen(text));
    return out;
}

char VnString::get(int i) const {
    return i >= 0 && i < _length ? _data[i] : 0;
}

void VnString::set(int i, char c) {
    if (i >= 0 && i < _length) _data[i] = c;
}

void VnString::clear() {
    if (!_data) return;
    _length = 0;
    _data[0] = '\0';
}

unsigned char VnString::secure() const {
    return _secure;
}

// A string that becomes secure moves a text held inside the object to a heap
// buffer, zeroing the bytes it leaves.
void VnString::secure(unsigned char on) {
    if (on && _isInline()) {
        char* fresh = new char[_size];
        std::memcpy(fresh, _inline, std::size_t(_length) + 1);
        zeroBytes(_inline, kInlineSize);
        _data = fresh;
    }
    _secure = on;
}

void VnString::wipe() const {
    if (_data) zeroBytes(_data, _isInline() ? kInlineSize : _size);
}

// As an append of no bytes, with the room made to measure.
void VnString::reserve(int length) {
    const int oldSize = _size;
    char* old = _makeRoom(std::int64_t(std::max(length, _length)) + 1, true);
    if (old) std::memcpy(_data, old, _length);
    _data[_length] = '\0';
    _release(old, oldSize);
}

void VnString::_debug_info() {
    std::cout << "VnString:" << std::endl
              << "\tsize: " << _size << std::endl
              << "\tlength: " << _length << std::endl
              << "\tdata: '" << value() << "'" << std::endl;
}

// ---- Appending -------------------------------------------------------------

void VnString::append(char c) {
    _appendBytes(&c, 1);
}

void VnString::append(const char* s, int n) {
    if (s && n > 0) _appendBytes(s, n);
}

void VnString::append(const char* s) {
    if (s && *s) _appendBytes(s, std::strlen(s));
}

VnString& VnString::operator+=(const VnString& o) {
    if (o._length > 0) _appendBytes(o._data, o._length);
    return *this;
}

VnString& VnString::operator+=(VnString* p) {
    if (p) *this += *p;
    return *this;
}

VnString& VnString::operator+=(const char* s) {
    append(s);
    return *this;
}

VnString& VnString::operator+=(char c) {
    append(c);
    return *this;
}

// The "%d" text, written by hand: numbers are appended often (the XML reader
// names every repeated element with one) and printf costs far more.
VnString& VnString::operator+=(int v) {
    char text[12];  // "-2147483648" and its terminator
    char* end = text + sizeof text;
    char* p = end;
    // Work on the magnitude as unsigned, so INT_MIN needs no special case.
    std::uint32_t magnitude = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (v < 0) *--p = '-';
    _appendBytes(p, end - p);
    return *this;
}

VnString& VnString::operator+=(float v) {
    _appendFormatted("%f", static_cast<double>(v));
    return *this;
}

// ---- Numbers ---------------------------------------------------------------

// As atoi, except that a number beyond 32 bits keeps its low 32 bits instead
// of being undefined.
int VnString::integervalue() const {
    if (_length <= 0) return 0;
    return static_cast<int>(static_cast<std::uint32_t>(std::strtol(_data, nullptr, 10)));
}

// As atof narrowed to float; a value beyond the float range becomes an
// infinity, as IEEE rounding gives, without an out-of-range conversion.
float VnString::floatvalue() const {
    if (_length <= 0) return 0.0f;
    const double d = std::strtod(_data, nullptr);
    const double overflow = 0x1.ffffffp127;  // FLT_MAX plus half a unit rounds up to infinity
    if (d >= overflow) return HUGE_VALF;
    if (d <= -overflow) return -HUGE_VALF;
    return static_cast<float>(d);
}

void VnString::floatvalue(float v) {
    copy(v);
}

void VnString::integervalue(int value, int width) {
    _appendFormatted("%0*d", width, value);
}

void VnString::integervalue(int value, int width, char pad) {
    char text[16];  // "%d" of any int takes at most 11 characters
    const int length = std::snprintf(text, sizeof text, "%d", value);
    const std::int64_t pads = std::max<std::int64_t>(0, std::int64_t(width) - length);
    _appendWith(pads + length, [&](char* out) {
        std::memset(out, pad, pads);
        std::memcpy(out + pads, text, length);
    });
}

int VnString::isinteger() const {
    if (_length < 1) return 0;
    if (!isDigit(_data[0]) && _data[0] != '-') return 0;
    for (int i = 1; i < _length; ++i) {
        if (!isDigit(_data[i])) return 0;
    }
    return 1;
}

int VnString::isfloat() const {
    if (_length < 1) return 0;
    const char first = _data[0];
    if (!isDigit(first) && first != '-' && first != '+' && first != '.') return 0;
    int dots = first == '.' ? 1 : 0;
    for (int i = 1; i < _length; ++i) {
        if (_data[i] == '.') {
            ++dots;
        } else if (!isDigit(_data[i])) {
            return 0;
        }
    }
    return dots <= 1 ? 1 : 0;
}

// ---- Hexadecimal -----------------------------------------------------------

void VnString::hexvalue(char c) {
    static const char digits[] = "0123456789ABCDEF";
    const unsigned char byte = static_cast<unsigned char>(c);
    const char pair[2] = {digits[byte >> 4], digits[byte & 0x0F]};
    _appendBytes(pair, 2);
}

unsigned char VnString::hexchar() const {
    if (_length == 0) return 0;
    if (_length == 1) return static_cast<unsigned char>(hexDigit(_data[0]));
    return static_cast<unsigned char>(hexDigit(_data[0]) * 16 + hexDigit(_data[1]));
}

int VnString::hexvalue() const {
    std::uint32_t v = 0;  // wraps past 32 bits
    for (int i = 0; i < _length; ++i)
        v = v * 16 + static_cast<std::uint32_t>(hexDigit(_data[i]));
    return static_cast<int>(v);
}

// ---- Tests on the text -----------------------------------------------------

int VnString::multiline() const {
    return containsAny(_data, _length, "\n\r", 2);
}

int VnString::haschar(char c) const {
    return containsAny(_data, _length, &c, 1);
}

int VnString::hasspace() const {
    return containsAny(_data, _length, " \t\n\r", 4);
}

// ---- Comparison ------------------------------------------------------------

int VnString::compare(const VnString& o, int mode) const {
    if (_length != o._length) return 0;
    if (_length == 0) return 1;
    switch (mode) {
        case 0:
            return std::strcmp(_data, o._data) == 0 ? 1 : 0;
        case 1:
            return strcasecmp(_data, o._data) == 0 ? 1 : 0;
        default:
            return 0;
    }
}

bool VnString::operator==(const VnString& o) const {
    return compare(o, 0) == 1;
}

bool VnString::operator!=(const VnString& o) const {
    return !(*this == o);
}

int VnString::cmp(const VnString& o) const {
    const bool empty = _length <= 0;
    const bool otherEmpty = o._length <= 0;
    if (empty && otherEmpty) return 0;
    if (otherEmpty) return 1;
    if (empty) return -1;
    return std::strcmp(_data, o._data);
}

bool VnString::operator<(const VnString& o) const {
    return cmp(o) < 0;
}

bool VnString::operator>(const VnString& o) const {
    return !(*this < o) && !(*this == o);
}

bool VnString::operator>=(const VnString& o) const {
    return !(*this < o);
}

bool VnString::operator<=(const VnString& o) const {
    return *this < o || *this == o;
}

// ---- Search, replacement and filtering -------------------------------------

// Whether the bytes from i on, as many as o holds (fewer at the end of the
// text), equal o by operator==. o must not be empty.
bool VnString::_matchesAt(int i, const VnString& o) const {
    if (_length - i < o._length) return false;  // a shorter piece has another length
    return std::strncmp(_data + i, o._data, o._length) == 0;
}

int VnString::find(const VnString& needle) const {
    if (needle._length <= 0) return 1;
    for (int i = 0; i < _length; ++i) {
        if (_matchesAt(i, needle)) return 1;
    }
    return 0;
}

VnString VnString::replacevalue(const VnString& from, const VnString& to) {
    return std::as_const(*this).replacevalue(from, to);
}

VnString VnString::replacevalue(const VnString& from, const VnString& to) const {
    if (from._length <= 0) return VnString(*this);
    VnString result;
    int i = 0;
    while (i < _length) {
        if (_matchesAt(i, from)) {
            result += to;
            i += from._length;
        } else {
            result.append(_data[i]);
            ++i;
        }
    }
    return result;
}

VnString VnString::removecontrolchars() const {
    VnString result;
    for (int i = 0; i < _length; ++i) {
        const signed char c = static_cast<signed char>(_data[i]);
        if ((c > 31 && c != 127) || c == '\t' || c == '\n' || c == '\r') result.append(_data[i]);
    }
    return result;
}

std::ostream& operator<<(std::ostream& os, const VnString& s) {
    return os << s.value();
}
