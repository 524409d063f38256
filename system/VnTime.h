#ifndef VN_SYSTEM_VNTIME_H
#define VN_SYSTEM_VNTIME_H

#include <iosfwd>

#include "base/VnDebug.h"
#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringList.h"

// A time stamp: whole seconds since 2000-01-01 00:00:00 US Eastern Standard Time (UTC-5),
// which is Unix time 946702800. The value 0 means no time.
//
// "Now" is the local clock corrected by a process-wide offset to the supervisor's clock. The
// offset is measured by one round trip to the supervisor and cached per user in the file
// "time_" + user + ".tmp" of the temporary directory, so that later processes start with it;
// the user is the login name of the process's real user, or "uid" and the numeric user id
// when the user database has no entry for it.
//
// Packed forms: the value as an int field under tag 1; in XML the element "value".
class VnTime : public VnPack {
public:
    VnTime();
    VnTime(int value);
    VnTime(const VnTime& other) = default;
    ~VnTime() override;

    // Takes every field.
    VnTime& operator=(const VnTime& other) = default;
    void copy(const VnTime& other);

    int value() const;
    void value(int value);
    // The value as Unix time, held to the int range.
    int unixvalue() const;
    // Sets the value from Unix time t, held to the int range.
    void unixvalue(int t);

    // The local clock plus the offset; the offset is loaded from the cache file first when
    // this process has not established it yet.
    void setToNow();
    // The local clock alone.
    void setToLocalClock();

    // Measures the offset against the supervisor that the client finds (or the named host)
    // and caches it. Without an answer the offset is 0.
    static void syncToServer();
    static void syncToServer(const VnString& host);
    // The offset that makes the local clock read as reference now.
    static void syncToDatabase(const VnTime& reference);
    static int diff();
    // This process is the time reference: its offset stays 0 for good.
    static void setAsReference();

    // "Mar 5, 2007 9:04:07" in local time; "None" for 0; "" when the time cannot be converted.
    VnString ascii() const;
    // Reads such a line as local standard time; a line that cannot be read changes nothing.
    void ascii(const VnString& text);
    // The weekday in local time: "Sun", "Mon", "Tues", "Wed", "Thurs", "Fri", "Sat"; "" when
    // the time cannot be converted.
    VnString day() const;
    // The hour of the day (0-23) in local time; 0 when the time cannot be converted.
    int hour() const;
    // The value read as a duration: "45 s", "2.5 m" (tenths of minutes), "2.5 h".
    VnString counter() const;

    // Each pauses the calling thread; a count of 0 or less returns at once.
    static void sleep_seconds(int n);
    static void sleep_milliseconds(int n);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

    // The process-wide offset state.
    static int _diff;        // seconds added to the local clock to read the supervisor's
    static bool _init;       // the offset is established for this process
    static bool _reference;  // this process is the reference: the offset stays 0

private:
    template <class Field>
    void fields(Field field) {
        field(1, "value", _value);
    }

    int _value;
};

// Appends the tokens of a date line: "," and ":" are tokens of their own; blanks, tabs, line
// feeds and carriage returns separate tokens.
void vn_time_tokenize(const VnString& text, VnStringList& tokens);

// Each writes ascii().
std::ostream& operator<<(std::ostream& os, const VnTime& time);
VnDebug& operator<<(VnDebug& debug, const VnTime& time);

#endif  // VN_SYSTEM_VNTIME_H
