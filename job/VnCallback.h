#ifndef VN_JOB_VNCALLBACK_H
#define VN_JOB_VNCALLBACK_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"
#include "base/VnTypes.h"
#include "job/VnEvent.h"
#include "system/VnTime.h"

// Code that the queue runs when events happen: a trigger expression over event full names, the
// language of the code, the code itself, a counter with its limit, and a state text of ready
// pairs.
//
// Languages: 1 "perl", 2 "python", 3 "tcl", 4 "vorn", 5 none ("unknown"), 6 "post",
// 7 "mail", 8 "dependency".
class VnCallback : public VnPack {
public:
    // pid, id and maximum -1, count 0, language 5 ("unknown"), ready "0", no time stamp.
    VnCallback();
    VnCallback(const VnCallback& other) = default;
    ~VnCallback() override;

    // Takes every field.
    VnCallback& operator=(const VnCallback& other) = default;
    void copy(const VnCallback& other);

    int pid() const { return _pid; }
    void pid(int pid) { _pid = pid; }
    int id() const { return _id; }
    void id(int id) { _id = id; }
    const VnString& triggers() const { return _triggers; }
    void triggers(const VnString& triggers) { _triggers = triggers; }
    const VnString& code() const { return _code; }
    void code(const VnString& code) { _code = code; }
    int language() const { return _language; }
    void language(int language) { _language = language; }
    const VnString& user() const { return _user; }
    void user(const VnString& user) { _user = user; }
    int count() const { return _count; }
    void count(int count) { _count = count; }
    int maximum() const { return _maximum; }
    void maximum(int maximum) { _maximum = maximum; }
    const VnString& ready() const { return _ready; }
    void ready(const VnString& ready) { _ready = ready; }
    const VnTime& lastupdate() const { return _lastupdate; }
    void lastupdate(const VnTime& lastupdate) { _lastupdate = lastupdate; }

    // The word of the language; "unknown" for 5 and for every number without a word.
    VnString languagestring() const;
    // language := the number of the word, compared byte for byte; 5 for any other text.
    void languagestring(const VnString& word);

    // Appends to the list one event per distinct event full name among the words of the trigger
    // expression, in the order of a string hash's slots; other words and parentheses are
    // dropped. The list is not emptied first.
    void triggers(VnEventList& events) const;
    // Sets into the hash the pairs of the ready text: a name (the bytes up to the next blank), the
    // blank, one value byte and one separator byte, over and over. A later pair replaces an
    // earlier one of the same name. A name without a blank and a value byte after it ends the
    // walk without a pair, so the text "0" gives none.
    void ready(VnStringHash& pairs) const;

    // -1 while pid is unset (negative); else pid's remainder of n, with 0 where there is none.
    int sid(int n) const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "id", _id);
        field(10, "pid", _pid);
        field(3, "code", _code);
        field(6, "triggers", _triggers);
        field(2, "language", _language);
        field(5, "max", _maximum);
        field(4, "count", _count);
        field(9, "user", _user);
        field(8, "ready", _ready);
        field(11, "lastupdate", _lastupdate);
    }

    int _pid;
    int _id;
    VnString _triggers;
    VnTime _lastupdate;
    VnString _code;
    int _language;
    VnString _user;
    int _count;
    int _maximum;
    VnString _ready;
};

// The packable list of callbacks that a job carries.
class VnCallbackList : public VnList<VnCallback> {
public:
    VnCallbackList();
    ~VnCallbackList() override;

    // A deep copy of other's callbacks; each list keeps its own packing state.
    VnCallbackList& operator=(const VnCallbackList& other) = default;

    // Appends one callback per section of the sectioned configuration file at path that has
    // both a "language" and a "code" value: the section name is its triggers, "max" (when set)
    // its maximum. Other sections, and a file that does not read, add nothing.
    void load(const VnString& path);

    int type() override;
    VnString typeXML() override;
};

#endif  // VN_JOB_VNCALLBACK_H
