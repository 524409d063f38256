#ifndef VN_BASE_VNDEBUG_H
#define VN_BASE_VNDEBUG_H

#include <iosfwd>

#include "base/VnString.h"

class VnStringList;

// The debug log. Items are chained onto it with <<; a line usually starts
// with mark() (local date and time and host name) and ends with "\n".
//
// Every item goes to one of:
//   mode 0 with a file name set and not empty: that file;
//   mode 1 with a file name set and not empty: the file name, "." and the
//     week number (day of the year / 7, so 0 to 52);
//   otherwise standard output.
// No file stays open: each item opens its file for appending, writes and
// closes it again. An item whose file cannot be opened is lost.
class VnDebug {
public:
    VnDebug();
    VnDebug(const VnDebug&) = delete;
    VnDebug& operator=(const VnDebug&) = delete;
    virtual ~VnDebug();

    void mode(int m);
    int mode();
    // Takes name only while no file name is set: the first one stays.
    void filename(const VnString& name);

    // Kept for callers that bracket a line; the log takes no lock.
    void lock();
    void unlock();

    // Writes "[Mar 5, 2026 9:07:03] ", the host name and " : ".
    VnDebug& mark();

    VnDebug& operator<<(const VnString& s);
    VnDebug& operator<<(char* s);  // a null pointer writes nothing
    VnDebug& operator<<(const char* s);
    VnDebug& operator<<(char c);
    VnDebug& operator<<(int n);
    VnDebug& operator<<(unsigned int n);
    VnDebug& operator<<(long n);
    VnDebug& operator<<(unsigned long n);
    VnDebug& operator<<(long long n);
    VnDebug& operator<<(float x);
    VnDebug& operator<<(double x);

private:
    // A new stream on the destination file, or null for standard output.
    std::ofstream* _stream();
    template <class T>
    VnDebug& _write(const T& item);

    VnString* _filename;
    int _mode;
};

// The process-wide log. It is built on first use, so code that runs during
// static initialisation may already log. Callers write it as an object:
// _vn_debug_global_obj.mark() << "text" << "\n";
VnDebug& vn_debug_obj();
#define _vn_debug_global_obj (vn_debug_obj())

// On the process-wide log: sets the mode, then offers the file name (taken
// only when none is set yet).
void vn_debug_filename(const VnString& name, int mode);

// Pushes onto list every weekly file of name that exists as a regular file,
// name.0 up to name.52 in that order; the list's earlier elements stay.
void vn_debug_logfiles(const VnString& name, VnStringList& list);

#endif  // VN_BASE_VNDEBUG_H
