#ifndef VN_BASE_VNSTRING_H
#define VN_BASE_VNSTRING_H

#include <cstdint>
#include <iosfwd>

#include "base/VnBase.h"

// A byte string with an owned, NUL-terminated buffer.
//
// A string that was never given a value is undefined (it has no buffer); a
// string given an empty value is defined and empty. Both have length 0,
// compare equal and read as "". Once defined, a string keeps a buffer until
// it is destroyed.
//
// A secure string zeroes every byte of a buffer before releasing it, on
// growth and on destruction.
//
// The capacity grows to four times the size needed, at least 16 bytes;
// reserve sets it to just the size asked for, once, for a text whose length
// is known beforehand. Sizes beyond INT_MAX throw std::bad_alloc. A text of up to 23 bytes is kept
// inside the object itself, with no heap block, while the string has not
// needed a heap buffer yet; a heap buffer always has the capacity's size. A
// secure string keeps its text in a heap buffer, so that every place its
// bytes were held is zeroed when released.
//
// The text may lie inside the object: a string is copied with its copy
// constructor or assignment, never moved as raw bytes. A move takes the
// source's heap buffer and its secure flag without allocating (a text inside
// the source is copied into the target's own bytes) and leaves the source
// undefined, with its secure flag, ready for use.
class VnString : public VnBase {
public:
    VnString();
    VnString(const char* s);
    VnString(const char* s, int n);
    VnString(const VnString& o);
    VnString(VnString&& o) noexcept;
    VnString(int v);
    VnString(float v);
    ~VnString() override;

    int type() override;

    // Assignment. The assignments from another string change the secure flag:
    // copy(const VnString&), the copy assignment and the assignment from a
    // pointer (which call it) and the move assignment each take the source's
    // flag. The others keep the flag.
    virtual void copy(const VnString& o);
    void copy(const char* s);
    void copy(const char* s, int n);
    void copy(int v);
    void copy(float v);
    VnString& operator=(const VnString& o);
    VnString& operator=(VnString&& o) noexcept;
    VnString& operator=(VnString* p);
    VnString& operator=(const char* s);
    VnString& operator=(int v);

    // Access.
    int length() const { return _length; }
    int isundef() const { return _data == nullptr; }
    const char* value() const { return _data ? _data : ""; }
    char* copyvalue() const;  // the caller releases it with delete[]
    char get(int i) const;
    void set(int i, char c);
    void clear();
    unsigned char secure() const;
    void secure(unsigned char on);
    void wipe() const;
    // Makes room for a text of length bytes and its NUL, so that appends up to that length
    // never move the text. When it must move, the new buffer holds just that (at least 16
    // bytes), not four times as much; appends past it grow by the rule again. A length below
    // the text's own asks for nothing more, but an undefined string becomes defined and empty.
    // Throws std::bad_alloc when the allocation fails or length is INT_MAX; the string is then
    // as it was.
    void reserve(int length);
    void _debug_info();

    // Appending.
    void append(char c);
    void append(const char* s, int n);
    void append(const char* s);
    VnString& operator+=(const VnString& o);
    VnString& operator+=(VnString* p);
    VnString& operator+=(const char* s);
    VnString& operator+=(char c);
    VnString& operator+=(int v);
    VnString& operator+=(float v);

    // Numbers. The forms with arguments append or replace; the const forms read.
    int integervalue() const;
    float floatvalue() const;
    void floatvalue(float v);
    void integervalue(int value, int width);
    void integervalue(int value, int width, char pad);
    int isinteger() const;
    int isfloat() const;

    // Hexadecimal.
    void hexvalue(char c);
    unsigned char hexchar() const;
    int hexvalue() const;

    // Tests on the text.
    int multiline() const;
    int haschar(char c) const;
    int hasspace() const;

    // Comparison. Strings of length 0 are equal, defined or not, and sort first.
    int compare(const VnString& o, int mode) const;
    bool operator==(const VnString& o) const;
    bool operator!=(const VnString& o) const;
    int cmp(const VnString& o) const;
    bool operator<(const VnString& o) const;
    bool operator>(const VnString& o) const;
    bool operator>=(const VnString& o) const;
    bool operator<=(const VnString& o) const;

    // Search, replacement and filtering.
    int find(const VnString& needle) const;
    VnString replacevalue(const VnString& from, const VnString& to);
    VnString replacevalue(const VnString& from, const VnString& to) const;
    VnString removecontrolchars() const;

    // What the allocator adds to each heap block: its header and the rounding to its alignment.
    static constexpr std::int64_t kBlockOverhead = 16;
    // What a string holding a text of length bytes takes on the heap beside its own object,
    // allocator overhead included: nothing while the text fits inside the object, else one
    // buffer by the growth rule. Readers that bound their memory count stored texts with it.
    static std::int64_t heapCost(std::int64_t length);

private:
    static constexpr int kInlineSize = 24;  // 23 bytes and the NUL

    void _init();
    bool _matchesAt(int i, const VnString& o) const;
    bool _isInline() const { return _data == _inline; }
    char* _makeRoom(std::int64_t need, bool exact = false);
    void _copyBytes(const char* s, std::int64_t n);
    void _appendBytes(const char* s, std::int64_t k);
    template <typename Write>
    void _appendWith(std::int64_t k, Write write);
    template <typename... Args>
    void _appendFormatted(const char* format, Args... args);
    void _release(char* buffer, int size) const;
    void _take(VnString& o) noexcept;

    char* _data;  // null while undefined, else _inline or a heap buffer of _size bytes
    int _length;  // bytes of text before the NUL
    int _size;    // capacity by the growth rule or reserve, wherever the text is kept
    unsigned char _secure;
    char _inline[kInlineSize];
};

std::ostream& operator<<(std::ostream& os, const VnString& s);

#endif
